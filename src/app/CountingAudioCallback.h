#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

#include <atomic>
#include <cstdint>

// Passes every call of the audio device on to the engine and counts the audio
// callbacks on the way, so that the device recovery can tell a device that
// stopped calling back (while it still claims to be open) from one that
// runs. On the audio thread it only adds one to an atomic counter: no lock,
// no allocation.
class CountingAudioCallback final : public juce::AudioIODeviceCallback
{
public:
    // Message thread: `target` must outlive this object's registration.
    explicit CountingAudioCallback (juce::AudioIODeviceCallback& target);

    // Audio thread.
    void audioDeviceIOCallbackWithContext (const float* const* inputChannelData, int numInputChannels,
                                           float* const* outputChannelData, int numOutputChannels,
                                           int numSamples, const juce::AudioIODeviceCallbackContext& context) override;
    // Message thread, as the device manager calls them.
    void audioDeviceAboutToStart (juce::AudioIODevice* device) override;
    void audioDeviceStopped() override;
    // Any thread the device reports an error on.
    void audioDeviceError (const juce::String& errorMessage) override;

    // Any thread: audio callbacks so far (wrapping around).
    uint32_t count() const noexcept { return callbacks.load (std::memory_order_relaxed); }

private:
    juce::AudioIODeviceCallback& target;
    std::atomic<uint32_t> callbacks { 0 };

    JUCE_DECLARE_NON_COPYABLE (CountingAudioCallback)
};
