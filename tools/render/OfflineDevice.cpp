#include "OfflineDevice.h"

#include <algorithm>
#include <utility>

OfflineDevice::OfflineDevice (double sampleRate, int blockSizeToUse, int numChannelsToUse)
    : juce::AudioIODevice ("Offline renderer", "Offline"),
      rate (sampleRate),
      blockSize (blockSizeToUse),
      numChannels (numChannelsToUse),
      blockInputs (static_cast<size_t> (numChannelsToUse)),
      blockOutputs (static_cast<size_t> (numChannelsToUse))
{
}

OfflineDevice::~OfflineDevice()
{
    close();
}

void OfflineDevice::process (const float* const* inputs, float* const* outputs, int numSamples)
{
    jassert (callback != nullptr);

    if (callback == nullptr)
        return;

    // The callback gets the pointers advanced block by block, exactly as a
    // driver hands over consecutive buffers.
    const juce::AudioIODeviceCallbackContext context;

    for (int offset = 0; offset < numSamples; offset += blockSize)
    {
        const auto length = std::min (blockSize, numSamples - offset);

        for (int channel = 0; channel < numChannels; ++channel)
        {
            blockInputs[static_cast<size_t> (channel)] = inputs[channel] + offset;
            blockOutputs[static_cast<size_t> (channel)] = outputs[channel] + offset;
        }

        callback->audioDeviceIOCallbackWithContext (blockInputs.data(), numChannels, blockOutputs.data(), numChannels,
                                                    length, context);
    }
}

juce::StringArray OfflineDevice::channelNames (const char* prefix) const
{
    juce::StringArray names;

    for (int channel = 0; channel < numChannels; ++channel)
        names.add (juce::String (prefix) + " " + juce::String (channel + 1));

    return names;
}

juce::BigInteger OfflineDevice::allChannels() const
{
    juce::BigInteger channels;
    channels.setRange (0, numChannels, true);
    return channels;
}

juce::StringArray OfflineDevice::getOutputChannelNames()         { return channelNames ("Output"); }
juce::StringArray OfflineDevice::getInputChannelNames()          { return channelNames ("Input"); }
juce::Array<double> OfflineDevice::getAvailableSampleRates()     { return { rate }; }
juce::Array<int> OfflineDevice::getAvailableBufferSizes()        { return { blockSize }; }
int OfflineDevice::getDefaultBufferSize()                        { return blockSize; }

juce::String OfflineDevice::open (const juce::BigInteger&, const juce::BigInteger&,
                                  double sampleRate, int bufferSizeSamples)
{
    // Only the one rate and block size it was made for: anything else would
    // silently render at a rate the file does not have.
    if ((sampleRate > 0.0 && sampleRate != rate) || (bufferSizeSamples > 0 && bufferSizeSamples != blockSize))
        lastError = "the offline device runs only at " + juce::String (rate) + " Hz with blocks of "
                  + juce::String (blockSize) + " samples";
    else
        lastError.clear();

    opened = lastError.isEmpty();
    return lastError;
}

void OfflineDevice::close()
{
    stop();
    opened = false;
}

bool OfflineDevice::isOpen()                                     { return opened; }

void OfflineDevice::start (juce::AudioIODeviceCallback* newCallback)
{
    if (! opened || newCallback == nullptr || newCallback == callback)
        return;

    stop();
    newCallback->audioDeviceAboutToStart (this);
    callback = newCallback;
}

void OfflineDevice::stop()
{
    if (auto* const previous = std::exchange (callback, nullptr))
        previous->audioDeviceStopped();
}

bool OfflineDevice::isPlaying()                                  { return callback != nullptr; }
juce::String OfflineDevice::getLastError()                       { return lastError; }
int OfflineDevice::getCurrentBufferSizeSamples()                 { return blockSize; }
double OfflineDevice::getCurrentSampleRate()                     { return rate; }
int OfflineDevice::getCurrentBitDepth()                          { return 32; }
juce::BigInteger OfflineDevice::getActiveOutputChannels() const  { return allChannels(); }
juce::BigInteger OfflineDevice::getActiveInputChannels() const   { return allChannels(); }
int OfflineDevice::getOutputLatencyInSamples()                   { return 0; }
int OfflineDevice::getInputLatencyInSamples()                    { return 0; }
