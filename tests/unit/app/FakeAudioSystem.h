#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

#include <map>
#include <mutex>

// What the fake device type offers and what happened to its devices, shared
// by every FakeAudioDeviceType made over it: the device manager's own and the
// ones the device recovery makes for its look-ups on a thread of its own.
// Any thread; every member is used under `lock`.
struct FakeAudioSystem final
{
    std::mutex lock;

    // Devices a scan finds, the type's default first.
    juce::StringArray listed;
    // Listed devices whose open() fails.
    juce::StringArray refusingToOpen;

    // The one rate and block size every device runs at.
    double sampleRate = 48000.0;
    int bufferSize = 256;

    int scans = 0;
    std::map<juce::String, int> openAttempts;
    std::map<juce::String, int> opens;
    std::map<juce::String, int> stops;

    // Any thread: a copy of a count taken under the lock.
    int countOf (const std::map<juce::String, int>& counts, const juce::String& device)
    {
        const std::lock_guard<std::mutex> guard (lock);
        const auto found = counts.find (device);
        return found != counts.end() ? found->second : 0;
    }
};
