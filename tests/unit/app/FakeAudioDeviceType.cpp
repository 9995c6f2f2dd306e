#include "FakeAudioDeviceType.h"

#include "FakeAudioDevice.h"

FakeAudioDeviceType::FakeAudioDeviceType (FakeAudioSystem& systemToUse)
    : juce::AudioIODeviceType ("Fake"), system (systemToUse)
{
}

void FakeAudioDeviceType::scanForDevices()
{
    const std::lock_guard<std::mutex> guard (system.lock);
    ++system.scans;
    found = system.listed;
}

juce::StringArray FakeAudioDeviceType::getDeviceNames (bool) const { return found; }
int FakeAudioDeviceType::getDefaultDeviceIndex (bool) const { return 0; }

int FakeAudioDeviceType::getIndexOfDevice (juce::AudioIODevice* device, bool) const
{
    return device != nullptr ? found.indexOf (device->getName()) : -1;
}

bool FakeAudioDeviceType::hasSeparateInputsAndOutputs() const { return true; }

juce::AudioIODevice* FakeAudioDeviceType::createDevice (const juce::String& outputDeviceName, const juce::String& inputDeviceName)
{
    const auto name = outputDeviceName.isNotEmpty() ? outputDeviceName : inputDeviceName;

    if (name.isEmpty() || ! found.contains (name))
        return nullptr;

    return new FakeAudioDevice (name, system);
}
