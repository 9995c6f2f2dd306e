#include "DeviceRecovery.h"

#include <algorithm>

namespace
{
    bool isModalDialogOpen()
    {
        return juce::Component::getCurrentlyModalComponent() != nullptr;
    }
}

DeviceRecovery::DeviceRecovery (juce::AudioDeviceManager& deviceManager, const CountingAudioCallback& audioCallbacks,
                                int inputs, int outputs, Clock clockToUse)
    : manager (deviceManager),
      callbacks (audioCallbacks),
      inputsNeeded (inputs),
      outputsNeeded (outputs),
      clock (std::move (clockToUse))
{
    noteCallbacks();
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
    check();
}

bool DeviceRecovery::isLookingUp() const
{
    return lookUp.joinable() && ! lookUpDone.load();
}

void DeviceRecovery::check()
{
    if (lookUp.joinable())
    {
        if (! lookUpDone.load())
            return;   // still looking; the next tick sees the answer

        lookUp.join();
        lookUpEnded();
        return;
    }

    noteCallbacks();

    if (isModalDialogOpen())
        return;

    const auto choice = chosenDevice();

    if (choice.isNone() || isRunning (choice))
        return;

    startLookUp (choice);
}

DeviceRecovery::Choice DeviceRecovery::chosenDevice() const
{
    Choice choice;

    if (const auto state = manager.createStateXml())
    {
        choice.type = state->getStringAttribute ("deviceType");

        // Older settings name one device for both directions.
        const auto both = state->getStringAttribute ("audioDeviceName");
        choice.outputName = both.isNotEmpty() ? both : state->getStringAttribute ("audioOutputDeviceName");
        choice.inputName = both.isNotEmpty() ? both : state->getStringAttribute ("audioInputDeviceName");
        return choice;
    }

    // No choice made: the device that ran last is the one to keep.
    return lastRun.has_value() ? lastRun->device : choice;
}

void DeviceRecovery::noteCallbacks()
{
    auto* const device = manager.getCurrentAudioDevice();
    const auto count = callbacks.count();

    if (device != watchedDevice || count != lastCount || device == nullptr || ! device->isPlaying())
        lastProgressMs = clock();

    watchedDevice = device;
    lastCount = count;

    if (device != nullptr && device->isOpen())
    {
        const auto setup = manager.getAudioDeviceSetup();
        lastRun = Run { { manager.getCurrentAudioDeviceType(), setup.outputDeviceName, setup.inputDeviceName }, setup };
    }
}

bool DeviceRecovery::isRunning (const Choice& choice) const
{
    auto* const device = manager.getCurrentAudioDevice();

    if (device == nullptr || ! device->isOpen())
        return false;

    const auto setup = manager.getAudioDeviceSetup();
    const Choice running { manager.getCurrentAudioDeviceType(), setup.outputDeviceName, setup.inputDeviceName };

    if (! (running == choice))
        return false;

    // Open and chosen, but is it still calling back?
    const auto periodMs = 1000.0 * device->getCurrentBufferSizeSamples() / std::max (1.0, device->getCurrentSampleRate());
    const auto silentForMs = clock() - lastProgressMs;
    return silentForMs < std::max (stalledPeriods * periodMs, 0.9 * checkIntervalMs);
}

bool DeviceRecovery::anotherDevicePlays (const Choice& choice) const
{
    auto* const device = manager.getCurrentAudioDevice();

    if (device == nullptr || ! device->isOpen() || ! device->isPlaying())
        return false;

    const auto setup = manager.getAudioDeviceSetup();
    return ! (Choice { manager.getCurrentAudioDeviceType(), setup.outputDeviceName, setup.inputDeviceName } == choice);
}

void DeviceRecovery::startLookUp (const Choice& choice)
{
    wanted = choice;
    lookUpDone = false;
    deviceAvailable = false;

    lookUp = std::thread ([this, choice, tryOpening = anotherDevicePlays (choice)]
    {
        deviceAvailable = isAvailable (choice, tryOpening);
        lookUpDone = true;
    });
}

bool DeviceRecovery::isAvailable (const Choice& choice, bool tryOpening)
{
    // Objects of our own, because the manager's belong to the message
    // thread. They are made once and kept until exit: some types set
    // process-wide state as they come and go (ALSA's error handler and
    // configuration). For JACK the scan is one client that connects and
    // leaves, and it fails at once while no server runs; ALSA reads the
    // device hints of its configuration.
    if (lookUpTypes.isEmpty())
        manager.createAudioDeviceTypes (lookUpTypes);

    for (auto* type : lookUpTypes)
    {
        if (type->getTypeName() != choice.type)
            continue;

        type->scanForDevices();
        const auto outputs = type->getDeviceNames (false);
        const auto inputs = type->getDeviceNames (true);

        if ((choice.outputName.isNotEmpty() && ! outputs.contains (choice.outputName))
            || (choice.inputName.isNotEmpty() && ! inputs.contains (choice.inputName)))
            return false;

        if (! tryOpening)
            return true;

        const std::unique_ptr<juce::AudioIODevice> device (type->createDevice (choice.outputName, choice.inputName));

        if (device == nullptr)
            return false;

        juce::BigInteger inputChannels, outputChannels;
        inputChannels.setRange (0, inputsNeeded, true);
        outputChannels.setRange (0, outputsNeeded, true);
        const auto error = device->open (inputChannels, outputChannels, 0.0, 0);
        device->close();
        return error.isEmpty();
    }

    return false;
}

void DeviceRecovery::lookUpEnded()
{
    if (! deviceAvailable.load())
        return;

    // Things may have moved on while the look-up ran.
    noteCallbacks();

    if (isModalDialogOpen() || ! (chosenDevice() == wanted) || isRunning (wanted))
        return;

    reopen (wanted);
}

void DeviceRecovery::reopen (const Choice& choice)
{
    // The manager opens a device only from its type's last scan, which was
    // made while the device was gone.
    for (auto* type : manager.getAvailableDeviceTypes())
        if (type->getTypeName() == choice.type)
            type->scanForDevices();

    const auto state = manager.createStateXml();

    // The dead device is closed first, so the setup counts as new and is
    // opened; the callbacks (the engine) are started on the new device.
    manager.closeAudioDevice();

    juce::String error;

    if (state != nullptr)
    {
        // A chosen device opens as it does at start, the default devices
        // standing in if it fails.
        error = manager.initialise (inputsNeeded, outputsNeeded, state.get(), true);
    }
    else if (lastRun.has_value())
    {
        // The device that merely ran, with the setup it had.
        if (manager.getCurrentAudioDeviceType() != lastRun->device.type)
            manager.setCurrentAudioDeviceType (lastRun->device.type, false);

        const auto setup = lastRun->setup;
        error = manager.setAudioDeviceSetup (setup, false);
    }

    noteCallbacks();

    if (error.isNotEmpty())
        DBG ("the audio device did not reopen: " << error);
}
