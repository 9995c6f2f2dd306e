#include "FakeAudioDevice.h"

#include <utility>

FakeAudioDevice::FakeAudioDevice (const juce::String& name, FakeAudioSystem& systemToUse)
    : juce::AudioIODevice (name, "Fake"), system (systemToUse)
{
}

FakeAudioDevice::~FakeAudioDevice()
{
    close();
}

juce::StringArray FakeAudioDevice::getOutputChannelNames() { return { "out 1", "out 2" }; }
juce::StringArray FakeAudioDevice::getInputChannelNames() { return { "in 1", "in 2" }; }

juce::Array<double> FakeAudioDevice::getAvailableSampleRates()
{
    const std::lock_guard<std::mutex> guard (system.lock);
    return { system.sampleRate };
}

juce::Array<int> FakeAudioDevice::getAvailableBufferSizes() { return { getDefaultBufferSize() }; }

int FakeAudioDevice::getDefaultBufferSize()
{
    const std::lock_guard<std::mutex> guard (system.lock);
    return system.bufferSize;
}

juce::String FakeAudioDevice::open (const juce::BigInteger& inputChannels, const juce::BigInteger& outputChannels, double, int)
{
    close();

    const std::lock_guard<std::mutex> guard (system.lock);
    ++system.openAttempts[getName()];

    if (system.refusingToOpen.contains (getName()))
    {
        lastError = getName() + " cannot be opened";
        return lastError;
    }

    ++system.opens[getName()];
    opened = true;
    activeInputs = inputChannels;
    activeInputs.setRange (2, activeInputs.getHighestBit() + 1, false);
    activeOutputs = outputChannels;
    activeOutputs.setRange (2, activeOutputs.getHighestBit() + 1, false);
    buffer.setSize (4, system.bufferSize);
    lastError = {};
    return {};
}

void FakeAudioDevice::close()
{
    stop();
    opened = false;
}

bool FakeAudioDevice::isOpen() { return opened; }

void FakeAudioDevice::start (juce::AudioIODeviceCallback* callbackToUse)
{
    if (! opened || callbackToUse == nullptr)
        return;

    stop();
    callbackToUse->audioDeviceAboutToStart (this);
    callback = callbackToUse;
}

void FakeAudioDevice::stop()
{
    if (callback == nullptr)
        return;

    std::exchange (callback, nullptr)->audioDeviceStopped();
    {
        const std::lock_guard<std::mutex> guard (system.lock);
        ++system.stops[getName()];
    }
}

bool FakeAudioDevice::isPlaying() { return callback != nullptr; }
juce::String FakeAudioDevice::getLastError() { return lastError; }
int FakeAudioDevice::getCurrentBufferSizeSamples() { return buffer.getNumSamples(); }

double FakeAudioDevice::getCurrentSampleRate()
{
    const std::lock_guard<std::mutex> guard (system.lock);
    return system.sampleRate;
}

int FakeAudioDevice::getCurrentBitDepth() { return 32; }
juce::BigInteger FakeAudioDevice::getActiveOutputChannels() const { return activeOutputs; }
juce::BigInteger FakeAudioDevice::getActiveInputChannels() const { return activeInputs; }
int FakeAudioDevice::getOutputLatencyInSamples() { return 0; }
int FakeAudioDevice::getInputLatencyInSamples() { return 0; }

void FakeAudioDevice::deliverBlock()
{
    if (callback == nullptr)
        return;

    buffer.clear();
    const float* inputs[] { buffer.getReadPointer (0), buffer.getReadPointer (1) };
    float* outputs[] { buffer.getWritePointer (2), buffer.getWritePointer (3) };
    callback->audioDeviceIOCallbackWithContext (inputs, 2, outputs, 2, buffer.getNumSamples(), {});
}
