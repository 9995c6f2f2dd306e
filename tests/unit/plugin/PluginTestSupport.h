#pragma once

#include "PluginParameterTable.h"
#include "VelthornProcessor.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

// Helpers for the plugin's in-process tests: the processor driven the way a
// host drives it (buses chosen, prepareToPlay, processBlock on a buffer that
// is both input and output, MIDI in a MidiBuffer with sample positions).
namespace plugintest
{
    // A MIDI event at a sample position from the start of the whole run.
    struct TimedEvent
    {
        int64_t sample;
        juce::MidiMessage message;
    };

    // Planar audio, every channel the same length.
    using Channels = std::vector<std::vector<float>>;

    // Deterministic noise with a tone, a different one per channel.
    Channels makeInput (int numChannels, int numSamples, uint32_t seed, float level = 0.3f);

    // A processor with the given channel counts on its buses, prepared.
    std::unique_ptr<VelthornProcessor> makeProcessor (int inputs, int outputs, double rate, int maximumBlock,
                                                      juce::AudioProcessor::WrapperType wrapper = juce::AudioProcessor::wrapperType_Undefined);

    // Sets a parameter the way a host's automation does, by table position
    // and engine value (0..1, a switch 0 or 1).
    void setFromHost (VelthornProcessor& processor, int position, float engineValue);

    // Runs `input` through in blocks of the given sizes (repeated until the
    // input is used up), each event in the block it falls in. Returns every
    // output channel.
    Channels run (juce::AudioProcessor& processor, const Channels& input, int numOutputs,
                  const std::vector<int>& blockSizes, const std::vector<TimedEvent>& events = {});

    // Block sizes from 1 to `largest`, random, adding up to at least `total`.
    std::vector<int> randomBlockSizes (int total, int largest, uint32_t seed);

    // True when every float has the same bit pattern.
    bool bitIdentical (const std::vector<float>& a, const std::vector<float>& b);

    // The processor's parameter at a table position.
    juce::RangedAudioParameter& parameterAt (VelthornProcessor& processor, int position);
}
