#include "EngineHarness.h"
#include "EngineProbe.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <random>
#include <thread>

// The device is started and stopped hundreds of times, at every rate and
// block size a device may announce, while a controller moves every parameter
// but the delay's. Each run must give finite output and begin with silent
// delay memory; the sanitizer builds add that nothing leaks or is touched
// after it is freed.
namespace
{
    // The delay is set by the test itself, so its echo time is known.
    constexpr float delayTime = 0.01f;

    std::vector<float> run (AudioMidiHandler& engine, const std::vector<float>& input, int blockSize)
    {
        std::vector<float> output (input.size(), -123.0f), second (input.size(), -123.0f);

        for (size_t offset = 0; offset < input.size(); offset += static_cast<size_t> (blockSize))
        {
            const int n = static_cast<int> (std::min (input.size() - offset, static_cast<size_t> (blockSize)));
            const float* ins[] = { input.data() + offset };
            float* outs[] = { output.data() + offset, second.data() + offset };
            engine.process (ins, 1, outs, 2, n);
        }

        return output;
    }

    bool delayMemoryIsEmpty (const EffectState& state)
    {
        for (int i = 0; i < state.sampleRate; ++i)
            if (state.delayBuffer[static_cast<size_t> (i)] != 0.0f)
                return false;

        return true;
    }
}

TEST (DeviceChurn, RestartsAcrossRatesAndBlockSizesStaySoundAndStartWithSilentDelay)
{
    const double rates[] = { 8000.0, 11025.0, 16000.0, 22050.0, 32000.0, 44100.0,
                             48000.0, 88200.0, 96000.0, 176400.0, 192000.0 };
    const int blockSizes[] = { 1, 2, 3, 16, 64, 100, 256, 441, 512, 1000, 1024, 2048, 4096, 8192 };
    constexpr int numRates = static_cast<int> (std::size (rates));
    constexpr int numBlockSizes = static_cast<int> (std::size (blockSizes));
    // Every pair of rate and block size at least twice.
    constexpr int cycles = 2 * numRates * numBlockSizes + 92;

    AudioMidiHandler engine;
    engine.setParameter (0, delayTime);
    engine.setParameter (1, 0.9f);
    engine.setParameter (2, 1.0f);
    engine.setParameter (17, 1.0f);

    // Every other parameter moves all the time, from another thread, as a
    // controller would while the user changes devices.
    std::atomic<bool> running { true };
    std::thread controller ([&]
    {
        const int others[] = { 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15 };
        for (int i = 0; running.load(); ++i)
            engine.setParameter (others[i % 13], static_cast<float> ((i * 7) % 101) / 100.0f);
    });

    std::mt19937 rng (5);
    int nonFinite = 0, dirtyStarts = 0, loudEchoes = 0, runsWithoutMemory = 0;

    for (int cycle = 0; cycle < cycles; ++cycle)
    {
        const double rate = rates[cycle % numRates];
        const int blockSize = blockSizes[(cycle / numRates) % numBlockSizes];
        const auto loop = static_cast<size_t> (std::floor (rate * delayTime));

        FakeAudioDevice device (rate, blockSize);
        engine.prepare (device.getCurrentSampleRate(), device.getCurrentBufferSizeSamples());
        ASSERT_NE (EngineProbe::state (engine), nullptr);
        ASSERT_EQ (EngineProbe::state (engine)->sampleRate, static_cast<int> (rate));

        if (! delayMemoryIsEmpty (*EngineProbe::state (engine)))
            ++dirtyStarts;

        // Silence for two echo times and a bit: anything heard is left over
        // from the previous run.
        for (float v : run (engine, std::vector<float> (2 * loop + 64, 0.0f), blockSize))
            if (v != 0.0f)
                ++loudEchoes;

        // Then hot noise in blocks of every size up to twice the announced
        // one, so the chunked path runs too, and enough of it to fill the
        // delay memory the next run must not hear.
        const auto input = noise (static_cast<int> (loop) + 2 * blockSize + 1, static_cast<unsigned> (cycle), 4.0f);
        std::uniform_int_distribution<int> size (1, 2 * blockSize);
        for (float v : run (engine, input, size (rng)))
            if (! std::isfinite (v))
                ++nonFinite;

        if (delayMemoryIsEmpty (*EngineProbe::state (engine)))
            ++runsWithoutMemory;

        engine.release();
        ASSERT_EQ (EngineProbe::state (engine), nullptr);
        ASSERT_EQ (engine.getSampleRate(), 0.0);
    }

    running = false;
    controller.join();

    EXPECT_EQ (runsWithoutMemory, 0) << "the delay must hold sound when a run ends, or the restart proves nothing";
    EXPECT_EQ (nonFinite, 0);
    EXPECT_EQ (dirtyStarts, 0);
    EXPECT_EQ (loudEchoes, 0) << "samples heard from a previous run";
}
