#include "DeviceRecovery.h"

DeviceRecovery::DeviceRecovery (juce::AudioDeviceManager& deviceManager)
    : manager (deviceManager)
{
    startTimer (checkIntervalMs);
}

DeviceRecovery::~DeviceRecovery()
{
    stopTimer();

    if (lookUp.joinable())
        lookUp.join();
}

void DeviceRecovery::timerCallback()
{
    if (lookUp.joinable())
    {
        if (! lookUpDone.load())
            return;   // still looking; the next tick sees the answer

        lookUp.join();

        if (deviceListedAgain.load())
            reopen();

        return;
    }

    auto* const device = manager.getCurrentAudioDevice();

    // No device is what the user chose, and an open one needs nothing.
    if (device == nullptr || device->isOpen())
        return;

    if (juce::Component::getCurrentlyModalComponent() != nullptr)
        return;

    startLookUp();
}

void DeviceRecovery::startLookUp()
{
    typeName = manager.getCurrentAudioDeviceType();
    wantedSetup = manager.getAudioDeviceSetup();
    lookUpDone = false;
    deviceListedAgain = false;

    lookUp = std::thread ([this, name = typeName, setup = wantedSetup]
    {
        deviceListedAgain = isListed (name, setup);
        lookUpDone = true;
    });
}

bool DeviceRecovery::isListed (const juce::String& name, const juce::AudioDeviceManager::AudioDeviceSetup& setup)
{
    // Objects of our own, because the manager's belong to the message
    // thread. They are made once and kept until exit: some types set
    // process-wide state as they come and go (ALSA's error handler). For
    // JACK the scan is one client that connects and leaves, and it fails at
    // once while no server runs.
    if (lookUpTypes.isEmpty())
        manager.createAudioDeviceTypes (lookUpTypes);

    for (auto* type : lookUpTypes)
    {
        if (type->getTypeName() != name)
            continue;

        type->scanForDevices();
        const auto outputs = type->getDeviceNames (false);
        const auto inputs = type->getDeviceNames (true);
        return (setup.outputDeviceName.isEmpty() || outputs.contains (setup.outputDeviceName))
               && (setup.inputDeviceName.isEmpty() || inputs.contains (setup.inputDeviceName));
    }

    return false;
}

void DeviceRecovery::reopen()
{
    // Things may have moved on while the look-up ran.
    auto* const device = manager.getCurrentAudioDevice();
    if (device == nullptr || device->isOpen() || manager.getCurrentAudioDeviceType() != typeName
        || juce::Component::getCurrentlyModalComponent() != nullptr)
        return;

    // The manager opens a device only from its type's last scan, which was
    // made while the device was gone. The dead device is closed first, so the
    // setup counts as new and is opened; its callbacks (the engine) are
    // started on the new device.
    if (auto* const type = manager.getCurrentDeviceTypeObject())
        type->scanForDevices();

    const auto setup = wantedSetup;
    manager.closeAudioDevice();
    const auto error = manager.setAudioDeviceSetup (setup, true);

    if (error.isNotEmpty())
        DBG ("the audio device did not reopen: " << error);
}
