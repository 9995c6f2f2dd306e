#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

// A device that exists only to be handed to audioDeviceAboutToStart: it
// reports a sample rate and a block size and never runs by itself.
class FakeAudioDevice final : public juce::AudioIODevice
{
public:
    FakeAudioDevice (double rate, int blockSize)
        : juce::AudioIODevice ("Fake", "Fake"), rate (rate), blockSize (blockSize) {}

    juce::StringArray getOutputChannelNames() override { return { "out_1", "out_2" }; }
    juce::StringArray getInputChannelNames() override { return { "in_1", "in_2" }; }
    juce::Array<double> getAvailableSampleRates() override { return { rate }; }
    juce::Array<int> getAvailableBufferSizes() override { return { blockSize }; }
    int getDefaultBufferSize() override { return blockSize; }
    juce::String open (const juce::BigInteger&, const juce::BigInteger&, double, int) override { return {}; }
    void close() override {}
    bool isOpen() override { return true; }
    void start (juce::AudioIODeviceCallback*) override {}
    void stop() override {}
    bool isPlaying() override { return true; }
    juce::String getLastError() override { return {}; }
    int getCurrentBufferSizeSamples() override { return blockSize; }
    double getCurrentSampleRate() override { return rate; }
    int getCurrentBitDepth() override { return 32; }
    juce::BigInteger getActiveOutputChannels() const override { return 3; }
    juce::BigInteger getActiveInputChannels() const override { return 3; }
    int getOutputLatencyInSamples() override { return 0; }
    int getInputLatencyInSamples() override { return 0; }

private:
    double rate;
    int blockSize;
};
