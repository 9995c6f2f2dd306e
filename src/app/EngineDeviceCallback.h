#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

#include "AudioMidiHandler.h"

// The engine as the app's audio device and MIDI inputs see it: a device's
// start prepares it at the device's rate and block size, each device block
// is processed, the device's stop releases it, and every MIDI message from
// an input acts at once.
class EngineDeviceCallback final : public juce::AudioIODeviceCallback,
                                   public juce::MidiInputCallback
{
public:
    // Message thread: `engine` must outlive this object's registration.
    explicit EngineDeviceCallback (AudioMidiHandler& engine);

    // Audio thread: processes one device block.
    void audioDeviceIOCallbackWithContext (const float* const* inputChannelData, int numInputChannels,
                                           float* const* outputChannelData, int numOutputChannels,
                                           int numSamples, const juce::AudioIODeviceCallbackContext& context) override;
    // Message thread (called by the device manager, never during a callback).
    void audioDeviceAboutToStart (juce::AudioIODevice* device) override;
    // Message thread (called by the device manager, never during a callback).
    void audioDeviceStopped() override;

    // MIDI input thread: the message goes to the engine as it comes.
    void handleIncomingMidiMessage (juce::MidiInput* source, const juce::MidiMessage& message) override;

private:
    AudioMidiHandler& engine;

    JUCE_DECLARE_NON_COPYABLE (EngineDeviceCallback)
};
