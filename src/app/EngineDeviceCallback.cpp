#include "EngineDeviceCallback.h"

EngineDeviceCallback::EngineDeviceCallback (AudioMidiHandler& engineToDrive)
    : engine (engineToDrive)
{
}

void EngineDeviceCallback::audioDeviceIOCallbackWithContext (const float* const* inputChannelData, int numInputChannels,
                                                             float* const* outputChannelData, int numOutputChannels,
                                                             int numSamples, const juce::AudioIODeviceCallbackContext&)
{
    engine.process (inputChannelData, numInputChannels, outputChannelData, numOutputChannels, numSamples);
}

void EngineDeviceCallback::audioDeviceAboutToStart (juce::AudioIODevice* device)
{
    const auto rate = device != nullptr ? device->getCurrentSampleRate() : 0.0;
    const auto blockSize = device != nullptr ? device->getCurrentBufferSizeSamples() : 0;
    engine.prepare (rate, blockSize);
}

void EngineDeviceCallback::audioDeviceStopped()
{
    engine.release();
}

void EngineDeviceCallback::handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage& message)
{
    engine.handleMidi (message);
}
