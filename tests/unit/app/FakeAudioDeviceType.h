#pragma once

#include "FakeAudioSystem.h"

// A device type named "Fake" over a FakeAudioSystem: a scan lists what the
// system lists at that moment, and only a listed device can be created, as
// the framework's own types behave. Message thread, or the one thread that
// owns this object (the device recovery's look-up).
class FakeAudioDeviceType final : public juce::AudioIODeviceType
{
public:
    // Any thread: `system` must outlive the type and its devices.
    explicit FakeAudioDeviceType (FakeAudioSystem& system);

    // The owning thread.
    void scanForDevices() override;
    juce::StringArray getDeviceNames (bool wantInputNames) const override;
    int getDefaultDeviceIndex (bool forInput) const override;
    int getIndexOfDevice (juce::AudioIODevice* device, bool asInput) const override;
    bool hasSeparateInputsAndOutputs() const override;
    juce::AudioIODevice* createDevice (const juce::String& outputDeviceName, const juce::String& inputDeviceName) override;

private:
    FakeAudioSystem& system;
    juce::StringArray found;
};
