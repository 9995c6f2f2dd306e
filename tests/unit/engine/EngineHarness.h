#pragma once

#include "AudioMidiHandler.h"
#include "FakeAudioDevice.h"

#include <random>
#include <vector>

// Deterministic white noise in [-level, level].
inline std::vector<float> noise (int n, unsigned seed, float level = 0.5f)
{
    std::mt19937 rng (seed);
    std::uniform_real_distribution<float> dist (-level, level);
    std::vector<float> v (static_cast<size_t> (n));
    for (auto& x : v)
        x = dist (rng);
    return v;
}

// Drives an engine the way a device would: start, blocks of planar audio, stop.
struct EngineHarness
{
    explicit EngineHarness (double rate = 44100.0, int blockSize = 256)
        : device (rate, blockSize)
    {
        engine.prepare (device.getCurrentSampleRate(), device.getCurrentBufferSizeSamples());
    }

    ~EngineHarness()
    {
        engine.release();
    }

    // Runs one block with the given input channels (all the same length) and
    // numOutputs output channels; returns the output channels.
    std::vector<std::vector<float>> run (const std::vector<std::vector<float>>& inputs, int numOutputs = 2)
    {
        const int n = inputs.empty() ? 0 : static_cast<int> (inputs.front().size());
        return runSamples (inputs, numOutputs, n);
    }

    std::vector<std::vector<float>> runSamples (const std::vector<std::vector<float>>& inputs, int numOutputs, int n)
    {
        std::vector<const float*> in;
        for (auto& channel : inputs)
            in.push_back (channel.data());

        std::vector<std::vector<float>> outputs (static_cast<size_t> (numOutputs),
                                                 std::vector<float> (static_cast<size_t> (n), -123.0f));
        std::vector<float*> out;
        for (auto& channel : outputs)
            out.push_back (channel.data());

        engine.process (in.data(), static_cast<int> (in.size()), out.data(),
                                                 static_cast<int> (out.size()), n);
        return outputs;
    }

    // One mono input sample in, the first output's sample back.
    float step (float x)
    {
        return run ({ { x } }, 1)[0][0];
    }

    FakeAudioDevice device;
    AudioMidiHandler engine;
};
