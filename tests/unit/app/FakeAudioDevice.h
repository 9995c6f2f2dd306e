#pragma once

#include "FakeAudioSystem.h"

// A device of the fake type: two inputs, two outputs, one rate and block
// size. It calls its callback back only when the test says so
// (deliverBlock), so the test decides whether it plays or has stalled.
// Message thread, and the device recovery's look-up thread for the devices
// it opens there.
class FakeAudioDevice final : public juce::AudioIODevice
{
public:
    // Any thread: `system` must outlive the device.
    FakeAudioDevice (const juce::String& name, FakeAudioSystem& system);
    // Any thread.
    ~FakeAudioDevice() override;

    // Any thread.
    juce::StringArray getOutputChannelNames() override;
    juce::StringArray getInputChannelNames() override;
    juce::Array<double> getAvailableSampleRates() override;
    juce::Array<int> getAvailableBufferSizes() override;
    int getDefaultBufferSize() override;
    juce::String open (const juce::BigInteger& inputChannels, const juce::BigInteger& outputChannels,
                       double sampleRate, int bufferSizeSamples) override;
    void close() override;
    bool isOpen() override;
    void start (juce::AudioIODeviceCallback* callback) override;
    void stop() override;
    bool isPlaying() override;
    juce::String getLastError() override;
    int getCurrentBufferSizeSamples() override;
    double getCurrentSampleRate() override;
    int getCurrentBitDepth() override;
    juce::BigInteger getActiveOutputChannels() const override;
    juce::BigInteger getActiveInputChannels() const override;
    int getOutputLatencyInSamples() override;
    int getInputLatencyInSamples() override;

    // Test thread: one block through the callback, as an audio thread would
    // call it; nothing when the device is not playing.
    void deliverBlock();

private:
    FakeAudioSystem& system;
    bool opened = false;
    juce::AudioIODeviceCallback* callback = nullptr;
    juce::BigInteger activeInputs, activeOutputs;
    juce::AudioBuffer<float> buffer;
    juce::String lastError;
};
