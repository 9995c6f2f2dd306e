#include "AudioMidiHandler.h"

#include "CachedEffectChain.h"
#include "OversampledChain.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace
{
    namespace controls = velthorn::controls;

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

    // The stored word of a knob's level or a switch's state.
    std::uint32_t levelWord (float level) noexcept
    {
        std::uint32_t word;
        std::memcpy (&word, &level, sizeof word);
        return word;
    }

    std::uint32_t switchWord (int32_t on) noexcept
    {
        return static_cast<std::uint32_t> (on);
    }

    float levelOf (std::uint32_t word) noexcept
    {
        float level;
        std::memcpy (&level, &word, sizeof level);
        return level;
    }

    using ControlWords = std::array<std::atomic<std::uint32_t>, controls::numControls>;

    std::uint32_t defaultWord (const controls::Control& control) noexcept
    {
        return control.isSwitch() ? switchWord (static_cast<int32_t> (control.defaultValue))
                                  : levelWord (control.defaultValue);
    }

    // Used when a device announces no block size at all.
    constexpr int fallbackBlockSize = 512;

    // One control into the chain's member for it. The table is constant, so
    // each copy compiles to one load and one store.
    template <std::size_t position>
    void copyControl (ChainSettings& settings, const std::atomic<std::uint32_t>& value) noexcept
    {
        constexpr const auto& control = controls::table[position];
        const auto word = value.load (relaxed);

        if constexpr (control.isSwitch())
            settings.*control.onOff = static_cast<int32_t> (word);
        else
            settings.*control.level = levelOf (word);
    }

    template <std::size_t... positions>
    void copyControls (ChainSettings& settings, const ControlWords& values, std::index_sequence<positions...>) noexcept
    {
        (copyControl<positions> (settings, values[positions]), ...);
    }

    void copyControls (ChainSettings& settings, const ControlWords& values) noexcept
    {
        copyControls (settings, values, std::make_index_sequence<controls::numControls>());
    }
}

AudioMidiHandler::AudioMidiHandler()
{
    for (std::size_t i = 0; i < controls::numControls; ++i)
        values[i].store (defaultWord (controls::table[i]), relaxed);

    // Measures the resampler's delay once, here rather than on an audio thread.
    static_cast<void> (OversampledChain::latencyFor (2));
}

AudioMidiHandler::~AudioMidiHandler() = default;

void AudioMidiHandler::setParameter (int index, float value) noexcept
{
    // A NaN is no value at all (a host's broken automation, say): the
    // control keeps the one it has. Nothing is stored, so a change that
    // another thread makes meanwhile is not undone either.
    if (std::isnan (value))
        return;

    // Index 16 is a free slot; anything else not in the table is not ours.
    const int position = controls::positionOfIndex (index);
    if (position < 0)
        return;

    const auto& control = controls::table[static_cast<std::size_t> (position)];
    values[static_cast<std::size_t> (position)].store (control.isSwitch() ? switchWord (toSwitch (value))
                                                                          : levelWord (toLevel (value)), relaxed);
}

void AudioMidiHandler::handleMidi (const juce::uint8* data, int numBytes) noexcept
{
    if (data == nullptr || numBytes < 3)
        return;

    const auto status = static_cast<unsigned> (data[0]);
    const auto controller = static_cast<int> (data[1]);

    // Control changes on any channel; controllers the table does not name
    // are not ours.
    if ((status & 0xF0u) != 0xB0u)
        return;

    const int position = controls::positionOfController (controller);
    if (position < 0)
        return;

    // A data byte has seven bits; one with the eighth set is not MIDI, and
    // is read as the largest value rather than as one beyond the range.
    const double v = static_cast<double> (std::min (static_cast<unsigned> (data[2]), 127u)) / 127.0;
    // Switches need exactly 127 to turn on; 0..126 switch off.
    const auto asSwitch = static_cast<int32_t> (v);
    const auto asLevel = static_cast<float> (v);

    const auto& control = controls::table[static_cast<std::size_t> (position)];
    values[static_cast<std::size_t> (position)].store (control.isSwitch() ? switchWord (asSwitch) : levelWord (asLevel), relaxed);
}

float AudioMidiHandler::controlValue (std::size_t position) const noexcept
{
    const auto word = values[position].load (relaxed);
    return controls::table[position].isSwitch() ? static_cast<float> (static_cast<int32_t> (word)) : levelOf (word);
}

EngineSnapshot AudioMidiHandler::snapshot() const noexcept
{
    EngineSnapshot shown;
    copyControls (shown.controls, values);
    shown.peakLevel = peakLevel.load (relaxed);
    return shown;
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

void AudioMidiHandler::release()
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
        return;   // not prepared: the next prepare takes it up

    // The chain starts afresh, as at a device start.
    if (next != nullptr)
        next->restart();
    else
        effectChain->restart();

    activeOversampledChain = next;
    runningOversampling.store (factor, relaxed);
}

void AudioMidiHandler::process (const float* const* inputs, int numInputs,
                                float* const* outputs, int numOutputs, int numSamples) noexcept
{
    process (inputs, numInputs, outputs, numOutputs, numSamples, juce::MidiBuffer());
}

void AudioMidiHandler::process (const float* const* inputs, int numInputs,
                                float* const* outputs, int numOutputs, int numSamples,
                                const juce::MidiBuffer& midi) noexcept
{
    // Decaying filter and echo tails would otherwise fall into subnormal
    // numbers, which cost the CPU many times more.
    const juce::ScopedNoDenormals noDenormals;

    peakLevel.store (0.0f, relaxed);

    if (effectChain == nullptr || scratch.empty())
    {
        // Not prepared: nothing to run the chain on, so stay silent; the
        // controls still follow the MIDI.
        for (int channel = 0; channel < numOutputs; ++channel)
            if (outputs[channel] != nullptr)
                std::fill_n (outputs[channel], std::max (numSamples, 0), 0.0f);

        for (const auto event : midi)
            if (event.numBytes <= 3)
                handleMidi (event.data, event.numBytes);

        return;
    }

    if (const int factor = oversampling.load (relaxed); factor != runningOversampling.load (relaxed))
        switchOversampling (factor);

    // The block is cut at each MIDI event, which so acts from its own
    // sample on. The chain is sample by sample, so the cuts change nothing
    // else.
    float peak = 0.0f;
    int done = 0;

    for (const auto event : midi)
    {
        const int position = std::clamp (event.samplePosition, done, std::max (numSamples, done));

        if (position > done)
        {
            processPiece (inputs, numInputs, outputs, numOutputs, done, position - done, peak);
            done = position;
        }

        // Control changes are three bytes; a longer message (system
        // exclusive) is never one.
        if (event.numBytes <= 3)
            handleMidi (event.data, event.numBytes);
    }

    if (numSamples > done)
        processPiece (inputs, numInputs, outputs, numOutputs, done, numSamples - done, peak);
}

void AudioMidiHandler::processPiece (const float* const* inputs, int numInputs,
                                     float* const* outputs, int numOutputs,
                                     int offset, int numSamples, float& peak) noexcept
{
    // A piece longer than prepared runs in scratch-sized chunks. The chain
    // is sample by sample, so the output is the same either way.
    const auto chunkSize = static_cast<int> (scratch.size());

    for (int start = 0; start < numSamples; start += chunkSize)
        processChunk (inputs, numInputs, outputs, numOutputs,
                      offset + start, std::min (chunkSize, numSamples - start), peak);
}

void AudioMidiHandler::processChunk (const float* const* inputs, int numInputs,
                                     float* const* outputs, int numOutputs,
                                     int offset, int numSamples, float& peak) noexcept
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

    // Every control is read afresh for every sample, so a change from
    // another thread takes effect from the next sample, mid-block too. The
    // values are read for the whole chunk first and then the chain runs over
    // it: the chain works on several samples at once (see CachedEffectChain),
    // each with its own sample's values, with the same result as one at a time.
    for (int j = 0; j < numSamples; ++j)
        copyControls (sampleSettings[static_cast<size_t> (j)], values);

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
