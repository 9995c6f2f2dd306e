#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

#include <vector>

// An audio device without hardware: it runs at the file's sample rate and
// block size and hands blocks to its callback whenever the renderer asks,
// as fast as the callback can take them. To the engine it looks like any
// other device: audioDeviceAboutToStart on start(), then
// audioDeviceIOCallbackWithContext for each block, then audioDeviceStopped on
// stop(). Its channels are all active; nothing is resampled or reordered.
class OfflineDevice final : public juce::AudioIODevice
{
public:
    // Main thread. A closed device with the given rate, block size and number
    // of input and output channels.
    OfflineDevice (double sampleRate, int blockSize, int numChannels);
    // Main thread. Stops the device first if it is still running.
    ~OfflineDevice() override;

    // Main thread. Runs `numSamples` samples through the running callback, in
    // blocks no longer than the announced block size. `inputs` and `outputs`
    // hold one pointer per channel.
    void process (const float* const* inputs, float* const* outputs, int numSamples);

    // Main thread. The juce::AudioIODevice interface.
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

private:
    juce::StringArray channelNames (const char* prefix) const;
    juce::BigInteger allChannels() const;

    const double rate;
    const int blockSize;
    const int numChannels;
    bool opened = false;
    juce::AudioIODeviceCallback* callback = nullptr;
    juce::String lastError;
    std::vector<const float*> blockInputs;
    std::vector<float*> blockOutputs;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OfflineDevice)
};
