#include "EngineHarness.h"
#include "EngineProbe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <thread>

namespace
{
    void switchAllSlots (AudioMidiHandler& engine, float on)
    {
        for (int index : { 2, 6, 9, 14 })
            engine.setParameter (index, on);
    }

    constexpr auto relaxed = std::memory_order_relaxed;
}

TEST (EngineCore, MasterOffPassesThePlainInputSumWhateverElseIsSet)
{
    EngineHarness h;
    switchAllSlots (h.engine, 1.0f);
    h.engine.setParameter (15, 1.0f);   // +40 dB, would be obvious
    h.engine.setParameter (17, 0.0f);

    const auto left = noise (300, 1), right = noise (300, 2);
    const auto out = h.run ({ left, right }, 2);

    float expectedPeak = 0.0f;
    for (size_t j = 0; j < left.size(); ++j)
    {
        const float sum = 0.0f + left[j] + right[j];
        ASSERT_EQ (out[0][j], sum) << j;
        ASSERT_EQ (out[1][j], sum) << j;
        expectedPeak = std::max (expectedPeak, sum);
    }
    EXPECT_EQ (h.engine.snapshot().peakLevel, expectedPeak);
}

TEST (EngineCore, OutputLevelFollowsMastInDecibels)
{
    struct Case { float mast; float gain; };
    // 100 * mast - 60 dB, evaluated in double and rounded to float.
    const Case cases[] = {
        { 0.6f, 1.0000002384185791f },   // 0 dB to single-precision rounding
        { 1.0f, 100.0f },                // +40 dB
        { 0.0f, 0.001f },                // -60 dB
        { 0.5f, 0.31622776f },           // -10 dB
    };

    for (const auto& c : cases)
    {
        EngineHarness h;
        h.engine.setParameter (14, 0.0f);   // every slot off: only the output level
        h.engine.setParameter (15, c.mast);
        const auto in = noise (64, 3);
        const auto out = h.run ({ in }, 1);
        for (size_t j = 0; j < in.size(); ++j)
            ASSERT_FLOAT_EQ (out[0][j], c.gain * in[j]) << "mast " << c.mast << " sample " << j;
        // The 0 dB case is exact to the bit: gain 1 + 2^-22.
        if (c.mast == 0.6f)
            EXPECT_EQ (out[0][5], 1.0000002384185791f * in[5]);
    }
}

TEST (EngineCore, InputsAreSummedUnscaled)
{
    EngineHarness h;
    h.engine.setParameter (17, 0.0f);
    EXPECT_EQ (h.run ({ { 0.25f }, { 0.5f } }, 1)[0][0], 0.75f);

    h.engine.setParameter (17, 1.0f);
    h.engine.setParameter (14, 0.0f);
    EXPECT_EQ (h.run ({ { 0.25f }, { 0.5f } }, 1)[0][0], 0.75f * 1.0000002384185791f);
}

TEST (EngineCore, PeakIsTheLargestSignedSampleOfTheBlock)
{
    EngineHarness h;
    h.engine.setParameter (17, 0.0f);

    h.run ({ { 0.1f, 0.7f, 0.3f } });
    EXPECT_EQ (h.engine.snapshot().peakLevel, 0.7f);

    h.run ({ { -0.9f, -0.2f, -1.0f } });
    EXPECT_EQ (h.engine.snapshot().peakLevel, 0.0f) << "a negative-only block leaves the peak at 0";

    h.run ({ { 0.4f } });
    h.runSamples ({}, 2, 0);
    EXPECT_EQ (h.engine.snapshot().peakLevel, 0.0f) << "a 0-sample block only resets the peak";
}

TEST (EngineCore, SetParameterWritesTheIndexedMember)
{
    struct Case { int index; float ChainSettings::* member; };
    const Case continuous[] = {
        { 0, &ChainSettings::delTme },   { 1, &ChainSettings::delAm },
        { 3, &ChainSettings::wahFreq },  { 4, &ChainSettings::wahRes },
        { 5, &ChainSettings::wahGain },  { 7, &ChainSettings::distGain },
        { 8, &ChainSettings::distFreq }, { 10, &ChainSettings::ampDrv },
        { 11, &ChainSettings::ampLo },   { 12, &ChainSettings::ampMid },
        { 13, &ChainSettings::ampHi },   { 15, &ChainSettings::mast },
    };

    for (const auto& c : continuous)
    {
        AudioMidiHandler engine;
        engine.setParameter (c.index, 0.123f);
        EXPECT_EQ (engine.snapshot().controls.*c.member, 0.123f) << "index " << c.index;
        engine.setParameter (c.index, 1.5f);   // outside 0..1: clamped
        EXPECT_EQ (engine.snapshot().controls.*c.member, 1.0f) << "index " << c.index;
    }

    struct SwitchCase { int index; int32_t ChainSettings::* member; };
    const SwitchCase switches[] = {
        { 2, &ChainSettings::delOn },  { 6, &ChainSettings::wahOn },
        { 9, &ChainSettings::distOn }, { 14, &ChainSettings::ampOn },
        { 17, &ChainSettings::mastOn },
    };

    // On from 1, as truncating a value of 0..1 gives it, and stored as 0 or
    // 1; values outside the range are clamped first.
    struct Truncation { float value; int32_t stored; };
    const Truncation truncations[] = {
        { 0.0f, 0 }, { 0.5f, 0 }, { 0.99f, 0 }, { 1.0f, 1 }, { 1.7f, 1 }, { 2.5f, 1 }, { -0.5f, 0 }, { -1.5f, 0 },
    };

    for (const auto& s : switches)
        for (const auto& t : truncations)
        {
            AudioMidiHandler engine;
            engine.setParameter (s.index, t.value);
            EXPECT_EQ (engine.snapshot().controls.*s.member, t.stored) << "index " << s.index << " value " << t.value;
        }
}

TEST (EngineCore, StartsWithTheDocumentedDefaults)
{
    AudioMidiHandler engine;
    EXPECT_EQ (engine.getSampleRate(), 0.0);
    EXPECT_EQ (EngineProbe::state (engine), nullptr);

    const auto shown = engine.snapshot();
    const std::pair<float, float> floats[] = {
        { shown.controls.delAm, 0.5f },   { shown.controls.delTme, 0.5f },  { shown.controls.wahFreq, 1.0f },
        { shown.controls.wahRes, 0.3f },  { shown.controls.wahGain, 0.7f }, { shown.controls.distGain, 0.6f },
        { shown.controls.distFreq, 0.4f }, { shown.controls.ampDrv, 0.7f }, { shown.controls.ampLo, 0.5f },
        { shown.controls.ampMid, 0.5f },  { shown.controls.ampHi, 0.5f },  { shown.controls.mast, 0.6f },
        { shown.peakLevel, 0.0f },
    };
    for (const auto& [member, value] : floats)
        EXPECT_EQ (member, value);

    EXPECT_EQ (shown.controls.delOn, 0);
    EXPECT_EQ (shown.controls.wahOn, 0);
    EXPECT_EQ (shown.controls.distOn, 0);
    EXPECT_EQ (shown.controls.ampOn, 1);
    EXPECT_EQ (shown.controls.mastOn, 1);

    // Each control is one 32-bit value the audio thread reads without a lock.
    static_assert (sizeof (std::atomic<float>) == 4, "parameters are 32-bit values");
    EXPECT_TRUE (std::atomic<float> {}.is_lock_free());
}

TEST (EngineCore, UnusedAndUnknownIndicesChangeNothing)
{
    AudioMidiHandler reference, engine;
    for (int index : { 16, -1, 18, 1000 })
        engine.setParameter (index, 0.77f);

    const auto changed = engine.snapshot(), unchanged = reference.snapshot();

    for (auto member : { &ChainSettings::delTme, &ChainSettings::delAm, &ChainSettings::wahFreq,
                         &ChainSettings::wahRes, &ChainSettings::wahGain, &ChainSettings::distGain,
                         &ChainSettings::distFreq, &ChainSettings::ampDrv, &ChainSettings::ampLo,
                         &ChainSettings::ampMid, &ChainSettings::ampHi, &ChainSettings::mast })
        EXPECT_EQ (changed.controls.*member, unchanged.controls.*member);

    EXPECT_EQ (changed.peakLevel, unchanged.peakLevel);

    for (auto member : { &ChainSettings::delOn, &ChainSettings::wahOn, &ChainSettings::distOn,
                         &ChainSettings::ampOn, &ChainSettings::mastOn })
        EXPECT_EQ (changed.controls.*member, unchanged.controls.*member);
}

TEST (EngineCore, DeviceStartAndStopManageTheEffectState)
{
    AudioMidiHandler engine;
    FakeAudioDevice device (44100.0, 128);
    engine.prepare (device.getCurrentSampleRate(), device.getCurrentBufferSizeSamples());
    ASSERT_NE (EngineProbe::state (engine), nullptr);
    EXPECT_EQ (engine.getSampleRate(), 44100.0);
    EXPECT_EQ (EngineProbe::state (engine)->sampleRate, 44100);

    engine.release();
    EXPECT_EQ (EngineProbe::state (engine), nullptr);
    EXPECT_EQ (engine.getSampleRate(), 0.0);

    FakeAudioDevice odd (48000.9, 128);   // truncated toward zero, not rounded
    engine.prepare (odd.getCurrentSampleRate(), odd.getCurrentBufferSizeSamples());
    EXPECT_EQ (EngineProbe::state (engine)->sampleRate, 48000);
    engine.release();
}

TEST (EngineCore, ADeviceRestartSilencesTheDelayMemory)
{
    EngineHarness h (1000.0, 64);
    h.engine.setParameter (14, 0.0f);
    h.engine.setParameter (2, 1.0f);
    h.engine.setParameter (0, 0.1f);   // 100-sample loop at 1000 Hz
    h.engine.setParameter (1, 0.5f);

    std::vector<float> impulse (50, 0.0f);
    impulse[0] = 1.0f;
    h.run ({ impulse });

    // Without a restart the echo comes 100 samples after the impulse.
    {
        EngineHarness twin (1000.0, 64);
        twin.engine.setParameter (14, 0.0f);
        twin.engine.setParameter (2, 1.0f);
        twin.engine.setParameter (0, 0.1f);
        twin.run ({ impulse });
        const auto echo = twin.run ({ std::vector<float> (100, 0.0f) });
        ASSERT_NE (echo[0][50], 0.0f) << "the delay must sound before the restart for this test to mean anything";
    }

    h.engine.release();
    h.engine.prepare (h.device.getCurrentSampleRate(), h.device.getCurrentBufferSizeSamples());
    const auto out = h.run ({ std::vector<float> (300, 0.0f) });
    for (float v : out[0])
        ASSERT_EQ (v, 0.0f);
}

TEST (EngineCore, NoOutputChannelsStillAdvancesTheChain)
{
    EngineHarness h (1000.0, 64);
    h.engine.setParameter (14, 0.0f);
    h.engine.setParameter (2, 1.0f);
    h.engine.setParameter (0, 0.1f);

    h.runSamples ({ { 0.5f, 0.2f, 0.1f } }, 0, 3);
    EXPECT_EQ (EngineProbe::state (h.engine)->delayWriteIndex, 3);
    EXPECT_GT (h.engine.snapshot().peakLevel, 0.0f);
}

TEST (EngineCore, NoInputChannelsRunsTheChainOnSilence)
{
    EngineHarness h (1000.0, 64);
    h.engine.setParameter (14, 0.0f);
    h.engine.setParameter (2, 1.0f);
    h.engine.setParameter (0, 0.01f);   // 10-sample loop
    h.engine.setParameter (1, 0.5f);

    h.run ({ { 1.0f } });
    const auto out = h.runSamples ({}, 2, 20);
    // The echo of the impulse still sounds, on every output.
    EXPECT_EQ (out[0][8], 0.0f);
    EXPECT_FLOAT_EQ (out[0][9], 0.5f * 1.0000002f);
    EXPECT_EQ (out[0], out[1]);
    EXPECT_EQ (out[0][0], 0.0f);
}

TEST (EngineCore, BlocksLongerThanAnnouncedGiveTheSameOutput)
{
    const auto in = noise (5000, 7, 0.8f);
    auto configure = [] (AudioMidiHandler& e)
    {
        switchAllSlots (e, 1.0f);
        e.setParameter (0, 0.01f);
    };

    EngineHarness announced (44100.0, 64);
    configure (announced.engine);
    const auto longBlock = announced.run ({ in, in });   // 5000 samples into a 64-sample device

    EngineHarness reference (44100.0, 8192);
    configure (reference.engine);
    std::vector<float> expected;
    for (size_t start = 0; start < in.size(); start += 100)
    {
        const std::vector<float> part (in.begin() + static_cast<long> (start),
                                       in.begin() + static_cast<long> (std::min (in.size(), start + 100)));
        const auto out = reference.run ({ part, part }, 1);
        expected.insert (expected.end(), out[0].begin(), out[0].end());
    }

    ASSERT_EQ (longBlock[0].size(), expected.size());
    for (size_t j = 0; j < expected.size(); ++j)
        ASSERT_EQ (longBlock[0][j], expected[j]) << j;
    EXPECT_EQ (longBlock[0], longBlock[1]);
}

TEST (EngineCore, NonFiniteInputCountsAsSilence)
{
    const float bad[] = { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity() };

    for (float b : bad)
    {
        auto in = noise (2000, 11);
        auto clean = in;
        in[10] = b;
        clean[10] = 0.0f;

        auto configure = [] (AudioMidiHandler& e)
        {
            switchAllSlots (e, 1.0f);
            e.setParameter (0, 0.001f);
        };
        EngineHarness dirty, reference;
        configure (dirty.engine);
        configure (reference.engine);

        const auto out = dirty.run ({ in, noise (2000, 12) });
        const auto expected = reference.run ({ clean, noise (2000, 12) });
        for (size_t j = 0; j < in.size(); ++j)
        {
            ASSERT_TRUE (std::isfinite (out[0][j])) << j;
            ASSERT_EQ (out[0][j], expected[0][j]) << j;
        }
    }
}

TEST (EngineCore, AnInputSumThatOverflowsCountsAsSilence)
{
    // Every channel is finite on its own; only their sum leaves the float
    // range. Left in, the infinity would come back with every echo.
    struct Case { std::vector<float> channels; };
    const Case cases[] = {
        { { 2.0e38f, 2.0e38f } },
        { { -2.0e38f, -2.0e38f } },
        { { 3.0e38f, 3.0e38f, -3.0e38f } },   // overflows half-way, ends at +Inf all the same
    };

    for (const auto& c : cases)
    {
        auto configure = [] (AudioMidiHandler& e)
        {
            switchAllSlots (e, 1.0f);
            e.setParameter (0, 0.01f);   // a 441-sample loop at 44100 Hz
            e.setParameter (1, 0.2f);
        };
        EngineHarness dirty, reference;
        configure (dirty.engine);
        configure (reference.engine);

        std::vector<std::vector<float>> in, clean;
        for (size_t channel = 0; channel < c.channels.size(); ++channel)
        {
            in.push_back (noise (4000, 40 + static_cast<unsigned> (channel)));
            clean.push_back (in.back());
            in.back()[10] = c.channels[channel];
            clean.back()[10] = 0.0f;
        }
        const float sum = c.channels[0] + c.channels[1] + (c.channels.size() > 2 ? c.channels[2] : 0.0f);
        ASSERT_FALSE (std::isfinite (sum)) << "the case must overflow to mean anything";

        const auto out = dirty.run (in, 1);
        const auto expected = reference.run (clean, 1);
        for (size_t j = 0; j < out[0].size(); ++j)
        {
            ASSERT_TRUE (std::isfinite (out[0][j])) << "first channel " << c.channels[0] << ", sample " << j;
            ASSERT_EQ (out[0][j], expected[0][j]) << "first channel " << c.channels[0] << ", sample " << j;
        }
    }
}

TEST (EngineCore, ParametersMayChangeFromOtherThreadsWhileTheCallbackRuns)
{
    // The message thread and the MIDI thread write the parameter block while
    // the audio thread reads it, with no lock. Under the thread sanitizer this
    // shows the sharing is race-free; here it shows the output stays sound.
    EngineHarness h (48000.0, 256);
    std::atomic<bool> running { true };

    std::thread panel ([&]
    {
        for (int i = 0; running.load(); ++i)
            h.engine.setParameter (i % 18, static_cast<float> (i % 101) / 100.0f);
    });
    std::thread midi ([&]
    {
        for (int i = 0; running.load(); ++i)
            h.engine.handleMidi (juce::MidiMessage::controllerEvent (1 + i % 16, i % 10,
                                                                                         i % 128));
    });

    const auto in = noise (256, 31);
    for (int block = 0; block < 400; ++block)
    {
        const auto out = h.run ({ in, in });
        for (float v : out[0])
            ASSERT_TRUE (std::isfinite (v)) << "block " << block;
        ASSERT_EQ (out[0], out[1]);
    }

    running = false;
    panel.join();
    midi.join();
}
