#include "EngineHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <random>
#include <thread>

// One engine shared the way the app shares it: the audio thread runs blocks of
// every size, the MIDI thread writes controllers, and the panel's timer reads
// every field. Built with the thread sanitizer, any unsynchronised access is
// reported and fails the run; in every build the values the reader sees and
// the output must stay sound.
namespace
{
    constexpr auto relaxed = std::memory_order_relaxed;

    // How long the three threads run together. The sanitizer runs ask for
    // longer through the environment; the bound is on the work, never asserted.
    std::chrono::milliseconds stressDuration()
    {
        if (const char* text = std::getenv ("VELTHORN_STRESS_SECONDS"))
            if (const auto seconds = std::atof (text); seconds > 0.0)
                return std::chrono::milliseconds (static_cast<long> (seconds * 1000.0));

        return std::chrono::seconds (2);
    }

    // Lets every thread get going before the clock starts, so they overlap.
    struct StartLine
    {
        explicit StartLine (int threads) : expected (threads) {}

        void arriveAndWait()
        {
            arrived.fetch_add (1);
            while (arrived.load() < expected)
                std::this_thread::yield();
        }

        const int expected;
        std::atomic<int> arrived { 0 };
    };

    constexpr float wildValues[] = { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                                     -std::numeric_limits<float>::infinity(), 1.0e30f, -3.0f };

    bool isSwitchValue (int32_t v) { return v == 0 || v == 1; }
    bool isLevel (float v) { return v >= 0.0f && v <= 1.0f; }
}

TEST (RaceStress, AudioMidiAndPanelThreadsShareOneEngine)
{
    constexpr int announcedBlock = 512;
    EngineHarness h (48000.0, announcedBlock);
    auto& engine = h.engine;
    engine.setParameter (2, 1.0f);   // delay on from the start, so its memory is in play
    engine.setParameter (0, 0.01f);

    StartLine start (3);
    std::atomic<bool> running { true };
    long audioBlocks = 0, midiMessages = 0, panelReads = 0;
    long nonFiniteOutputs = 0, unequalChannels = 0;
    long badSwitchReads = 0, badLevelReads = 0, badPeakReads = 0, badRateReads = 0;

    std::thread audio ([&]
    {
        std::mt19937 rng (7);
        // Up to twice the announced size, so the chunked path runs as well;
        // 0-sample blocks happen too.
        std::uniform_int_distribution<int> blockSize (0, 2 * announcedBlock + 3);
        const auto input = noise (2 * announcedBlock + 3, 8, 2.0f);
        std::vector<float> left (input.size()), right (input.size());
        const float* ins[] = { input.data(), input.data() };
        float* outs[] = { left.data(), right.data() };

        start.arriveAndWait();
        const auto deadline = std::chrono::steady_clock::now() + stressDuration();

        while (std::chrono::steady_clock::now() < deadline)
        {
            const int n = blockSize (rng);
            engine.process (ins, 2, outs, 2, n);
            for (int j = 0; j < n; ++j)
            {
                nonFiniteOutputs += std::isfinite (left[(size_t) j]) ? 0 : 1;
                unequalChannels += left[(size_t) j] == right[(size_t) j] ? 0 : 1;
            }
            ++audioBlocks;
        }

        running = false;
    });

    std::thread midi ([&]
    {
        start.arriveAndWait();
        // Unsigned, so a long run wraps the counter instead of overflowing it.
        for (unsigned i = 0; running.load(); ++i)
        {
            const auto at = [i] (unsigned n) { return static_cast<int> (i % n); };
            engine.handleMidi (juce::MidiMessage::controllerEvent (1 + at (16), at (10),
                                                                                           static_cast<int> ((i % 128u) * 37u % 128u)));
            // The panel writes too, as a dragged knob does, and now and then
            // a value no control gives, as a host's broken automation does:
            // every member must still read as in range.
            const float value = i % 13 == 0 ? wildValues[(i / 13) % std::size (wildValues)]
                                            : static_cast<float> (at (101)) / 100.0f;
            engine.setParameter (at (18), value);
            ++midiMessages;
        }
    });

    std::thread panel ([&]
    {
        start.arriveAndWait();
        while (running.load())
        {
            // Everything the display timer mirrors, and the device rate.
            const auto shown = engine.snapshot();
            const auto& c = shown.controls;

            for (const float level : { c.delTme, c.delAm, c.wahFreq, c.wahRes, c.wahGain, c.distGain, c.distFreq,
                                       c.ampDrv, c.ampLo, c.ampMid, c.ampHi, c.mast })
                badLevelReads += isLevel (level) ? 0 : 1;

            for (const int32_t toggle : { c.delOn, c.wahOn, c.distOn, c.ampOn, c.mastOn })
                badSwitchReads += isSwitchValue (toggle) ? 0 : 1;

            const float peak = shown.peakLevel;
            badPeakReads += std::isfinite (peak) && peak >= 0.0f ? 0 : 1;
            badRateReads += engine.getSampleRate() == 48000.0 ? 0 : 1;
            ++panelReads;
        }
    });

    audio.join();
    midi.join();
    panel.join();

    // Each thread did its work while the others ran.
    EXPECT_GT (audioBlocks, 0);
    EXPECT_GT (midiMessages, 0);
    EXPECT_GT (panelReads, 0);

    EXPECT_EQ (nonFiniteOutputs, 0);
    EXPECT_EQ (unequalChannels, 0);
    EXPECT_EQ (badLevelReads, 0);
    EXPECT_EQ (badSwitchReads, 0);
    EXPECT_EQ (badPeakReads, 0);
    EXPECT_EQ (badRateReads, 0);

    std::printf ("stress: %ld ms, %ld audio blocks, %ld MIDI messages, %ld panel reads\n",
                 static_cast<long> (stressDuration().count()), audioBlocks, midiMessages, panelReads);
}

// The plugin's Quality: the factor changed on another thread (a host's) while
// the audio thread runs blocks, every factor made ready beforehand. Each
// change starts the chain afresh at the next block; the output stays sound
// and the factor read back is always one of the four.
TEST (RaceStress, TheOversamplingFactorChangesWhileAudioRuns)
{
    constexpr int announcedBlock = 256;
    AudioMidiHandler engine;
    engine.prepareEveryOversampling (true);
    engine.prepare (48000.0, announcedBlock);
    for (int index : { 2, 6, 9, 14 })
        engine.setParameter (index, 1.0f);

    StartLine start (2);
    std::atomic<bool> running { true };
    long audioBlocks = 0, changes = 0, nonFiniteOutputs = 0, badFactorReads = 0;

    std::thread audio ([&]
    {
        std::mt19937 rng (11);
        std::uniform_int_distribution<int> blockSize (0, 2 * announcedBlock);
        const auto input = noise (2 * announcedBlock, 9, 1.0f);
        std::vector<float> out (input.size());
        const float* ins[] = { input.data() };
        float* outs[] = { out.data() };

        start.arriveAndWait();
        const auto deadline = std::chrono::steady_clock::now() + stressDuration() / 2;

        while (std::chrono::steady_clock::now() < deadline)
        {
            const int n = blockSize (rng);
            engine.process (ins, 1, outs, 1, n);
            for (int j = 0; j < n; ++j)
                nonFiniteOutputs += std::isfinite (out[(size_t) j]) ? 0 : 1;
            ++audioBlocks;
        }

        running = false;
    });

    std::thread host ([&]
    {
        start.arriveAndWait();
        for (unsigned i = 0; running.load(); ++i)
        {
            engine.setOversampling (1 << (i % 4));
            const int asked = engine.getOversampling(), now = engine.getRunningOversampling();
            badFactorReads += (asked == 1 || asked == 2 || asked == 4 || asked == 8) ? 0 : 1;
            badFactorReads += (now == 1 || now == 2 || now == 4 || now == 8) ? 0 : 1;
            ++changes;
            std::this_thread::yield();
        }
    });

    audio.join();
    host.join();
    engine.release();

    EXPECT_GT (audioBlocks, 0);
    EXPECT_GT (changes, 0);
    EXPECT_EQ (nonFiniteOutputs, 0);
    EXPECT_EQ (badFactorReads, 0);
}
