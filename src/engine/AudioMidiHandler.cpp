#include "AudioMidiHandler.h"

#include "CachedEffectChain.h"
#include "OversampledChain.h"

#include <algorithm>
#include <cmath>

namespace
{
    constexpr auto relaxed = std::memory_order_relaxed;

    // Every way in (the panel, MIDI, a host, a restored project, the
    // renderer's command line) delivers continuous values in 0..1, and that
    // is the range the chain's mappings are made for: far outside it a gain
    // overflows, and one infinity or NaN in a filter's or the delay's memory
    // stays there until the device restarts. So a value is clamped into the
    // range before it is stored (an infinity too). The caller has dealt with
    // NaN already.
    float toLevel (float value) noexcept
    {
        return std::clamp (value, 0.0f, 1.0f);
    }

    // A switch is on from 1 and off below it (0.99 is off), as truncating a
    // value of 0..1 toward zero gives it, and is stored as 0 or 1. Decided by
    // a comparison: converting an infinity or a float beyond the int range
    // to an int is undefined.
    int32_t toSwitch (float value) noexcept
    {
        return value >= 1.0f ? 1 : 0;
    }

    // Used when a device announces no block size at all.
    constexpr int fallbackBlockSize = 512;
}

AudioMidiHandler::AudioMidiHandler()
{
    // Measures the resampler's delay once, here rather than on an audio thread.
    static_cast<void> (OversampledChain::latencyFor (2));
}

AudioMidiHandler::~AudioMidiHandler() = default;

void AudioMidiHandler::setParameter (int index, float value)
{
    // A NaN is no value at all (a host's broken automation, say): the member
    // keeps the one it has. Nothing is stored, so a change that another
    // thread makes meanwhile is not undone either.
    if (std::isnan (value))
        return;

    switch (index)
    {
        case 0:  delTme.store (toLevel (value), relaxed); break;
        case 1:  delAm.store (toLevel (value), relaxed); break;
        case 2:  delOn.store (toSwitch (value), relaxed); break;
        case 3:  wahFreq.store (toLevel (value), relaxed); break;
        case 4:  wahRes.store (toLevel (value), relaxed); break;
        case 5:  wahGain.store (toLevel (value), relaxed); break;
        case 6:  wahOn.store (toSwitch (value), relaxed); break;
        case 7:  distGain.store (toLevel (value), relaxed); break;
        case 8:  distFreq.store (toLevel (value), relaxed); break;
        case 9:  distOn.store (toSwitch (value), relaxed); break;
        case 10: ampDrv.store (toLevel (value), relaxed); break;
        case 11: ampLo.store (toLevel (value), relaxed); break;
        case 12: ampMid.store (toLevel (value), relaxed); break;
        case 13: ampHi.store (toLevel (value), relaxed); break;
        case 14: ampOn.store (toSwitch (value), relaxed); break;
        case 15: mast.store (toLevel (value), relaxed); break;
        case 17: mastOn.store (toSwitch (value), relaxed); break;
        default: break;   // 16 is a free slot; anything else is not ours
    }
}

void AudioMidiHandler::audioDeviceAboutToStart (juce::AudioIODevice* device)
{
    const auto rate = device != nullptr ? device->getCurrentSampleRate() : 0.0;
    const auto blockSize = device != nullptr ? device->getCurrentBufferSizeSamples() : 0;
    prepare (rate, blockSize);
}

void AudioMidiHandler::prepare (double newSampleRate, int maximumBlockSize)
{
    sampleRate = newSampleRate;
    const int blockSize = maximumBlockSize > 0 ? maximumBlockSize : fallbackBlockSize;
    effectChain.reset();
    effectState = std::make_unique<EffectState> (static_cast<int> (newSampleRate));
    effectChain = std::make_unique<CachedEffectChain> (*effectState, blockSize);
    scratch.assign (static_cast<size_t> (blockSize), 0.0f);
    sampleSettings.assign (static_cast<size_t> (blockSize), ChainSettings {});

    const int factor = oversampling.load (relaxed);
    activeOversampledChain = nullptr;

    for (size_t i = 0; i < std::size (oversampledChains); ++i)
    {
        const int chainFactor = OversampledChain::factors[i];
        oversampledChains[i].reset();

        if (prepareAllFactors || chainFactor == factor)
            oversampledChains[i] = std::make_unique<OversampledChain> (chainFactor, effectState->sampleRate, blockSize,
                                                                      resampling);

        if (chainFactor == factor)
            activeOversampledChain = oversampledChains[i].get();
    }

    runningOversampling.store (factor, relaxed);
}

void AudioMidiHandler::audioDeviceStopped()
{
    sampleRate = 0.0;
    activeOversampledChain = nullptr;
    for (auto& chain : oversampledChains)
        chain.reset();
    runningOversampling.store (1, relaxed);
    effectChain.reset();
    effectState.reset();
}

void AudioMidiHandler::setOversampling (int factor) noexcept
{
    if (OversampledChain::isSupportedFactor (factor))
        oversampling.store (factor, relaxed);
}

int AudioMidiHandler::latencyForOversampling (int factor, Resampling filters) noexcept
{
    return OversampledChain::latencyFor (factor, filters);
}

void AudioMidiHandler::switchOversampling (int factor) noexcept
{
    OversampledChain* next = nullptr;

    for (size_t i = 0; i < std::size (oversampledChains); ++i)
        if (OversampledChain::factors[i] == factor)
            next = oversampledChains[i].get();

    if (factor != 1 && next == nullptr)
        return;   // not prepared: the next device start takes it up

    // The chain starts afresh, as at a device start.
    if (next != nullptr)
        next->restart();
    else
        effectChain->restart();

    activeOversampledChain = next;
    runningOversampling.store (factor, relaxed);
}

void AudioMidiHandler::audioDeviceIOCallbackWithContext (const float* const* inputChannelData,
                                                         int numInputChannels,
                                                         float* const* outputChannelData,
                                                         int numOutputChannels,
                                                         int numSamples,
                                                         const juce::AudioIODeviceCallbackContext&)
{
    // Decaying filter and echo tails would otherwise fall into subnormal
    // numbers, which cost the CPU many times more.
    const juce::ScopedNoDenormals noDenormals;

    peakLevel.store (0.0f, relaxed);

    if (effectChain == nullptr || scratch.empty())
    {
        // Not started: nothing to run the chain on, so stay silent.
        for (int channel = 0; channel < numOutputChannels; ++channel)
            if (outputChannelData[channel] != nullptr)
                std::fill_n (outputChannelData[channel], std::max (numSamples, 0), 0.0f);
        return;
    }

    if (const int factor = oversampling.load (relaxed); factor != runningOversampling.load (relaxed))
        switchOversampling (factor);

    // A block longer than the device announced runs in scratch-sized chunks.
    // The chain is sample by sample, so the output is the same either way.
    float peak = 0.0f;
    const auto chunkSize = static_cast<int> (scratch.size());

    for (int offset = 0; offset < numSamples; offset += chunkSize)
        processChunk (inputChannelData, numInputChannels, outputChannelData, numOutputChannels,
                      offset, std::min (chunkSize, numSamples - offset), peak);
}

void AudioMidiHandler::processChunk (const float* const* inputs, int numInputs,
                                     float* const* outputs, int numOutputs,
                                     int offset, int numSamples, float& peak)
{
    float* const mono = scratch.data();
    std::fill_n (mono, numSamples, 0.0f);

    // Mix-down, unscaled: two identical channels give twice the amplitude. A
    // non-finite sample (a faulty driver or adapter) counts as silence: it
    // would otherwise poison every filter's history and the delay memory
    // until the device restarts.
    for (int channel = 0; channel < numInputs; ++channel)
    {
        const float* const in = inputs[channel];
        if (in == nullptr)
            continue;

        for (int j = 0; j < numSamples; ++j)
        {
            const float x = in[offset + j];
            mono[j] = mono[j] + (std::isfinite (x) ? x : 0.0f);
        }
    }

    // Finite samples can still add up past the float range (2e38 + 2e38),
    // and an infinite sum would poison the chain just the same, so it counts
    // as silence too.
    if (numInputs > 1)
        for (int j = 0; j < numSamples; ++j)
            if (! std::isfinite (mono[j]))
                mono[j] = 0.0f;

    // Every member is read afresh for every sample, so a change from another
    // thread takes effect from the next sample, mid-block too. The values are
    // read for the whole chunk first and then the chain runs over it: the
    // chain works on several samples at once (see CachedEffectChain), each
    // with its own sample's values, with the same result as one at a time.
    for (int j = 0; j < numSamples; ++j)
    {
        ChainSettings& p = sampleSettings[static_cast<size_t> (j)];
        p.mastOn = mastOn.load (relaxed);
        p.wahOn = wahOn.load (relaxed);
        p.wahFreq = wahFreq.load (relaxed);
        p.wahRes = wahRes.load (relaxed);
        p.wahGain = wahGain.load (relaxed);
        p.distOn = distOn.load (relaxed);
        p.distGain = distGain.load (relaxed);
        p.distFreq = distFreq.load (relaxed);
        p.ampOn = ampOn.load (relaxed);
        p.ampDrv = ampDrv.load (relaxed);
        p.ampLo = ampLo.load (relaxed);
        p.ampMid = ampMid.load (relaxed);
        p.ampHi = ampHi.load (relaxed);
        p.delOn = delOn.load (relaxed);
        p.delTme = delTme.load (relaxed);
        p.delAm = delAm.load (relaxed);
        p.mast = mast.load (relaxed);
    }

    // While mastOn is 0 a sample stays the plain input sum; otherwise wah,
    // distortion, amp with cabinet and delay run as switched, in that order,
    // then the output level. Redesigns are skipped while their inputs rest.
    // Oversampled, the chain's output lags its input by the resampler's delay.
    if (activeOversampledChain != nullptr)
        activeOversampledChain->process (mono, sampleSettings.data(), numSamples);
    else
        effectChain->processBlock (mono, sampleSettings.data(), numSamples);

    for (int j = 0; j < numSamples; ++j)
    {
        // Signed on purpose: the meter shows the largest sample, not the
        // largest magnitude.
        if (peak < mono[j])
        {
            peak = mono[j];
            peakLevel.store (peak, relaxed);
        }
    }

    for (int channel = 0; channel < numOutputs; ++channel)
        if (float* const out = outputs[channel])
            std::copy_n (mono, numSamples, out + offset);
}

void AudioMidiHandler::handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage& message)
{
    if (message.getRawDataSize() < 3)
        return;

    const auto* const data = message.getRawData();
    const auto status = static_cast<unsigned> (data[0]);
    const auto controller = static_cast<unsigned> (data[1]);

    // Control changes on any channel; controllers 10 and above are not ours.
    if ((status & 0xF0u) != 0xB0u || controller > 9u)
        return;

    // A data byte has seven bits; one with the eighth set is not MIDI, and
    // is read as the largest value rather than as one beyond the range.
    const double v = static_cast<double> (std::min (static_cast<unsigned> (data[2]), 127u)) / 127.0;
    // Switches need exactly 127 to turn on; 0..126 switch off.
    const auto asSwitch = static_cast<int32_t> (v);
    const auto asLevel = static_cast<float> (v);

    switch (controller)
    {
        case 0: distOn.store (asSwitch, relaxed); break;
        case 1: ampOn.store (asSwitch, relaxed); break;
        case 2: delOn.store (asSwitch, relaxed); break;
        case 3: mastOn.store (asSwitch, relaxed); break;
        case 4: wahOn.store (asSwitch, relaxed); break;
        case 5: mast.store (asLevel, relaxed); break;
        case 6: delAm.store (asLevel, relaxed); break;
        case 7: ampDrv.store (asLevel, relaxed); break;
        case 8: distGain.store (asLevel, relaxed); break;
        case 9: wahFreq.store (asLevel, relaxed); break;
        default: break;
    }
}
