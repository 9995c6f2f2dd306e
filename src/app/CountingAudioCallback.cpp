#include "CountingAudioCallback.h"

CountingAudioCallback::CountingAudioCallback (juce::AudioIODeviceCallback& targetToCall)
    : target (targetToCall)
{
}

void CountingAudioCallback::audioDeviceIOCallbackWithContext (const float* const* inputChannelData, int numInputChannels,
                                                              float* const* outputChannelData, int numOutputChannels,
                                                              int numSamples, const juce::AudioIODeviceCallbackContext& context)
{
    callbacks.fetch_add (1, std::memory_order_relaxed);
    target.audioDeviceIOCallbackWithContext (inputChannelData, numInputChannels, outputChannelData, numOutputChannels,
                                             numSamples, context);
}

void CountingAudioCallback::audioDeviceAboutToStart (juce::AudioIODevice* device)
{
    target.audioDeviceAboutToStart (device);
}

void CountingAudioCallback::audioDeviceStopped()
{
    target.audioDeviceStopped();
}

void CountingAudioCallback::audioDeviceError (const juce::String& errorMessage)
{
    target.audioDeviceError (errorMessage);
}
