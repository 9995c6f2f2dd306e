#pragma once

#include "FakeAudioDeviceType.h"

// The framework's device manager with the fake device type as its only one;
// whoever asks it for its types (the device recovery, for its look-ups) gets
// fake ones over the same system. Message thread, as the framework's.
class FakeDeviceManager final : public juce::AudioDeviceManager
{
public:
    // Message thread: `system` must outlive the manager.
    explicit FakeDeviceManager (FakeAudioSystem& systemToUse) : system (systemToUse) {}

    // Any thread.
    void createAudioDeviceTypes (juce::OwnedArray<juce::AudioIODeviceType>& types) override
    {
        types.add (new FakeAudioDeviceType (system));
    }

private:
    FakeAudioSystem& system;
};
