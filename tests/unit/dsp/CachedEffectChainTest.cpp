#include "CachedEffectChain.h"
#include "ChainAutomation.h"
#include "EffectStateBits.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace chain_automation;

namespace
{
    constexpr LaneStyle midiKnobs { 5, 1, 2, Values::midi, 30000 };
    constexpr LaneStyle restingKnobs { 1, 0, 0, Values::midi, 96000 };
    constexpr LaneStyle busyKnobs { 1, 6, 2, Values::unit, 500 };
    constexpr LaneStyle wildKnobs { 4, 2, 1, Values::wild, 4000 };
    constexpr LaneStyle signedZeros { 3, 2, 0, Values::zeros, 50 };

    struct Scenario
    {
        const char* name;
        unsigned seed;
        int sampleRate;
        int samples;
        ScriptStyle style;
        Input input;
        // Overrides the scripted settings of sample n, for pinned stretches.
        std::function<void (ChainSettings&, int n)> pin;
        bool expectWahRunaway, expectDistortionRunaway;
    };

    void allOn (ChainSettings& p)
    {
        p.wahOn = p.distOn = p.ampOn = p.delOn = p.mastOn = 1;
    }

    const std::vector<Scenario>& scenarios()
    {
        static const std::vector<Scenario> table {
            { "MIDI knobs and switch toggles", 1, 48000, 6 * 48000,
              { midiKnobs, midiKnobs, midiKnobs, midiKnobs, midiKnobs, 1, 20000 }, Input::music, {}, false, false },

            { "every parameter changing on every sample", 2, 48000, 3 * 48000,
              { busyKnobs, busyKnobs, busyKnobs, busyKnobs, busyKnobs, 0, 96000 }, Input::music,
              [] (ChainSettings& p, int) { allOn (p); }, false, false },

            { "long holds with rare jumps, all slots on", 3, 48000, 8 * 48000,
              { restingKnobs, restingKnobs, restingKnobs, restingKnobs, restingKnobs, 0, 96000 }, Input::music,
              [] (ChainSettings& p, int) { allOn (p); }, false, false },

            { "switches flickering on every sample", 4, 44100, 3 * 44100,
              { midiKnobs, midiKnobs, midiKnobs, midiKnobs, midiKnobs, 9, 300 }, Input::music, {}, false, false },

            { "MIDI sweeps of the wah and the drive on every sample", 5, 48000, 4 * 48000,
              { { 0, 0, 1, Values::midi, 1 }, restingKnobs, { 0, 0, 1, Values::midi, 1 }, restingKnobs, restingKnobs, 0, 96000 },
              Input::music, [] (ChainSettings& p, int) { allOn (p); }, false, false },

            { "out-of-range, NaN and infinite filter and level parameters", 6, 48000, 4 * 48000,
              { wildKnobs, wildKnobs, wildKnobs, midiKnobs, wildKnobs, 2, 20000 }, Input::music, {}, false, false },

            { "out-of-range, NaN and infinite delay parameters", 7, 22050, 4 * 22050,
              { midiKnobs, midiKnobs, midiKnobs, wildKnobs, midiKnobs, 2, 20000 }, Input::music,
              [] (ChainSettings& p, int) { p.delOn = p.mastOn = 1; }, false, false },

            { "parameters switching between 0.0 and -0.0", 8, 48000, 2 * 48000,
              { signedZeros, signedZeros, signedZeros, signedZeros, signedZeros, 1, 5000 }, Input::music,
              [] (ChainSettings& p, int) { p.mastOn = 1; }, false, false },

            // Damping 0 at the lowest frequency packs the poles against z = 1:
            // the float design runs away there, so the filter runs the design
            // in double, which stays bounded.
            { "the wah held in its formerly runaway region for four seconds", 9, 48000, 6 * 48000,
              { midiKnobs, midiKnobs, midiKnobs, midiKnobs, midiKnobs, 1, 20000 }, Input::music,
              [] (ChainSettings& p, int n)
              {
                  if (n < 4 * 48000)
                  {
                      p.wahFreq = (n / 24000) % 2 == 0 ? 0.0f : -0.2f;
                      p.wahRes = 0.0f;
                      p.wahOn = p.mastOn = 1;
                  }
              },
              false, false },

            // MIDI sweeps of the pedal through the low end with little damping,
            // and the distortion at its lowest frequency: at these rates many
            // of the settings run the design in double, and the sweeps cross
            // between it and the float design on every few samples.
            { "the wah swept with little damping at 96 kHz", 16, 96000, 3 * 96000,
              { { 0, 0, 1, Values::midi, 1 }, midiKnobs, midiKnobs, midiKnobs, midiKnobs, 0, 96000 }, Input::music,
              [] (ChainSettings& p, int n)
              {
                  p.wahRes = (n / 48000) % 2 == 0 ? 0.0f : 0.05f;
                  p.wahGain = 1.0f;
                  p.wahOn = p.mastOn = 1;
              },
              false, false },
            { "the wah and the distortion at their low end at 192 kHz", 17, 192000, 2 * 192000,
              { { 0, 0, 1, Values::midi, 1 }, { 0, 0, 1, Values::midi, 1 }, midiKnobs, midiKnobs, midiKnobs, 0, 96000 },
              Input::music,
              [] (ChainSettings& p, int n)
              {
                  p.wahRes = (n / 64000) % 3 == 0 ? 0.0f : 0.3f;
                  if ((n / 96000) % 2 == 0)
                      p.distFreq = 0.0f;
                  p.wahOn = p.distOn = p.mastOn = 1;
              },
              false, false },

            // No knob reaches a negative damping: the prototype itself is
            // unstable there, and only the last-resort guard keeps it finite.
            { "the wah at a negative damping", 18, 48000, 2 * 48000,
              { midiKnobs, midiKnobs, midiKnobs, midiKnobs, midiKnobs, 1, 20000 }, Input::music,
              [] (ChainSettings& p, int)
              {
                  p.wahRes = -0.3f;
                  p.wahOn = p.mastOn = 1;
              },
              true, false },

            { "the distortion overdriven far beyond full scale", 10, 48000, 3 * 48000,
              { midiKnobs, wildKnobs, midiKnobs, midiKnobs, midiKnobs, 1, 20000 }, Input::huge,
              [] (ChainSettings& p, int) { p.distOn = p.mastOn = 1; }, false, true },

            { "non-finite input samples", 11, 48000, 2 * 48000,
              { midiKnobs, midiKnobs, midiKnobs, midiKnobs, midiKnobs, 1, 20000 }, Input::nonFinite, {}, false, false },

            // A NaN sample meeting a NaN parameter: two NaNs of different
            // sign or payload in one operation. Short runs, since a NaN
            // stays in a biquad's history for good.
            { "NaN samples meeting NaN parameters, run 1", 12, 48000, 48000,
              { wildKnobs, wildKnobs, wildKnobs, wildKnobs, wildKnobs, 2, 5000 }, Input::nonFinite, {}, false, false },
            { "NaN samples meeting NaN parameters, run 2", 13, 48000, 48000,
              { wildKnobs, wildKnobs, wildKnobs, wildKnobs, wildKnobs, 2, 5000 }, Input::nonFinite,
              [] (ChainSettings& p, int) { allOn (p); }, false, false },
            { "NaN samples meeting NaN parameters, run 3", 14, 48000, 48000,
              { midiKnobs, midiKnobs, wildKnobs, midiKnobs, wildKnobs, 2, 5000 }, Input::nonFinite,
              [] (ChainSettings& p, int) { p.ampOn = p.mastOn = 1; }, false, false },
            { "NaN samples meeting NaN parameters, run 4", 15, 48000, 48000,
              { midiKnobs, wildKnobs, midiKnobs, wildKnobs, wildKnobs, 2, 5000 }, Input::nonFinite,
              [] (ChainSettings& p, int) { p.distOn = p.delOn = p.mastOn = 1; }, false, false },
        };
        return table;
    }

    class CachedEffectChainEquivalence : public testing::TestWithParam<Scenario>
    {
    };
}

TEST_P (CachedEffectChainEquivalence, RendersTheSameBitsAndLeavesTheSameStateAsTheLiteralSlots)
{
    const Scenario& scenario = GetParam();

    // Three runs of the same automation: the literal slots, the cached slot
    // functions sample by sample, and the cached chain's pipelined blocks (of
    // random lengths, and in pieces, as its capacity is smaller than some).
    EffectState literal (scenario.sampleRate);
    EffectState cached (scenario.sampleRate);
    EffectState blocks (scenario.sampleRate);
    CachedEffectChain chain (cached);
    CachedEffectChain blockChain (blocks, 256);

    AutomationScript script (scenario.seed, scenario.style);
    InputScript input (scenario.seed * 7919u, scenario.input);
    GuardCount guards;

    const auto n = static_cast<size_t> (scenario.samples);
    std::vector<float> inputs (n), expected (n), got (n);
    std::vector<ChainSettings> settings (n);

    for (size_t j = 0; j < n; ++j)
    {
        ChainSettings& p = settings[j];
        p = script.next();
        if (scenario.pin)
            scenario.pin (p, static_cast<int> (j));

        inputs[j] = input.next();
        expected[j] = runLiteralChain (literal, inputs[j], p, &guards);
        got[j] = runCachedChain (chain, inputs[j], p);
    }

    std::vector<float> gotBlocks (inputs);
    std::mt19937 blockLengths (scenario.seed);
    for (size_t done = 0; done < n;)
    {
        const auto length = std::min (n - done, static_cast<size_t> (std::uniform_int_distribution<int> (1, 700) (blockLengths)));
        blockChain.processBlock (gotBlocks.data() + done, settings.data() + done, static_cast<int> (length));
        done += length;
    }

    for (const auto* run : { &got, &gotBlocks })
    {
        const long mismatch = effect_state_bits::firstDifferentSample (expected.data(), run->data(), n);
        EXPECT_EQ (mismatch, -1) << (run == &got ? "sample by sample" : "blocks") << ": first differing sample " << mismatch
                                 << ": literal " << expected[static_cast<size_t> (std::max (mismatch, 0L))] << ", cached "
                                 << (*run)[static_cast<size_t> (std::max (mismatch, 0L))];
    }
    EXPECT_EQ (effect_state_bits::firstDifference (literal, cached), "");
    EXPECT_EQ (effect_state_bits::firstDifference (literal, blocks), "");

    // The pinned stretches must really have reached the region they are about.
    if (scenario.expectWahRunaway)
        EXPECT_GT (guards.wah, 0);
    if (scenario.expectDistortionRunaway)
        EXPECT_GT (guards.distortion, 0);
}

INSTANTIATE_TEST_SUITE_P (Automation, CachedEffectChainEquivalence, testing::ValuesIn (scenarios()),
                          [] (const testing::TestParamInfo<Scenario>& info)
                          {
                              std::string name;
                              for (const char* c = info.param.name; *c != 0; ++c)
                                  if (std::isalnum (static_cast<unsigned char> (*c)))
                                      name += *c;
                              return name;
                          });

TEST (CachedEffectChain, TheCabinetIsDesignedTheFirstTimeTheAmpSlotRunsAndNotBefore)
{
    EffectState literal (48000), cached (48000);
    CachedEffectChain chain (cached);

    // Other slots running leave the cabinet as constructed, all zero.
    for (float x : { 0.3f, -0.2f, 0.1f })
    {
        ASSERT_EQ (processWahSlot (literal, x, 0.5f, 0.3f, 0.7f), chain.processWahSlot (x, 0.5f, 0.3f, 0.7f));
        ASSERT_EQ (processDelaySlot (literal, x, 0.01f, 0.5f), chain.processDelaySlot (x, 0.01f, 0.5f));
    }
    EXPECT_EQ (effect_state_bits::firstDifference (literal, cached), "");
    EXPECT_EQ (cached.cabHighPass.a0, 0.0f);

    const float expected = processAmpSlot (literal, 0.25f, 0.7f, 0.5f, 0.5f, 0.5f);
    EXPECT_EQ (chain.processAmpSlot (0.25f, 0.7f, 0.5f, 0.5f, 0.5f), expected);
    EXPECT_EQ (effect_state_bits::firstDifference (literal, cached), "");
    EXPECT_NE (cached.cabHighPass.a0, 0.0f);
}

TEST (CachedEffectChain, RunsOnTheStateItWasMadeFor)
{
    EffectState state (44100);
    CachedEffectChain chain (state);
    EXPECT_EQ (&chain.getState(), &state);

    chain.processDelaySlot (1.0f, 0.5f, 0.5f);
    EXPECT_EQ (state.delayWriteIndex, 1);
    EXPECT_EQ (state.delayBuffer[0], 0.5f);
}

namespace
{
    // A NaN sample meeting a NaN parameter (or a NaN already stored) in one
    // slot, the two NaNs differing in sign and payload.
    struct Collision
    {
        const char* name;
        std::function<void (ChainSettings&)> set;
    };

    const float sampleNaN = nanWithPayload (0x0BAD, true);
    const float parameterNaN = nanWithPayload (0x0123, false);

    const std::vector<Collision>& collisions()
    {
        static const std::vector<Collision> table {
            { "wah frequency", [] (ChainSettings& p) { p.wahOn = 1; p.wahFreq = parameterNaN; } },
            { "wah damping", [] (ChainSettings& p) { p.wahOn = 1; p.wahRes = parameterNaN; } },
            { "wah gain", [] (ChainSettings& p) { p.wahOn = 1; p.wahGain = parameterNaN; } },
            { "distortion gain", [] (ChainSettings& p) { p.distOn = 1; p.distGain = parameterNaN; } },
            { "distortion frequency", [] (ChainSettings& p) { p.distOn = 1; p.distFreq = parameterNaN; } },
            { "amp drive", [] (ChainSettings& p) { p.ampOn = 1; p.ampDrv = parameterNaN; } },
            { "amp low", [] (ChainSettings& p) { p.ampOn = 1; p.ampLo = parameterNaN; } },
            { "amp mid", [] (ChainSettings& p) { p.ampOn = 1; p.ampMid = parameterNaN; } },
            { "amp high", [] (ChainSettings& p) { p.ampOn = 1; p.ampHi = parameterNaN; } },
            { "delay amount", [] (ChainSettings& p) { p.ampOn = 0; p.delOn = 1; p.delAm = parameterNaN; p.delTme = 0.0f; } },
            { "delay time", [] (ChainSettings& p) { p.ampOn = 0; p.delOn = 1; p.delTme = parameterNaN; } },
            { "output level", [] (ChainSettings& p) { p.ampOn = 0; p.mast = parameterNaN; } },
        };
        return table;
    }
}

TEST (CachedEffectChain, NaNSamplesMeetingNaNParametersGiveTheLiteralBits)
{
    for (const auto& collision : collisions())
    {
        EffectState literal (48000), cached (48000);
        CachedEffectChain chain (cached);

        // Clean samples first, then NaN parameter and NaN samples together,
        // then clean samples with the NaN parameter still set.
        std::vector<float> expected, got;
        for (int j = 0; j < 64; ++j)
        {
            ChainSettings p;
            if (j >= 8)
                collision.set (p);

            const float x = (j >= 8 && j % 3 != 0) ? sampleNaN : 0.25f * static_cast<float> ((j % 7) - 3);
            expected.push_back (runLiteralChain (literal, x, p));
            got.push_back (runCachedChain (chain, x, p));
        }

        EXPECT_EQ (effect_state_bits::firstDifferentSample (expected.data(), got.data(), expected.size()), -1) << collision.name;
        EXPECT_EQ (effect_state_bits::firstDifference (literal, cached), "") << collision.name;
    }
}

TEST (CachedEffectChain, BlocksAndSlotCallsCanTakeTurnsOnOneChain)
{
    EffectState literal (48000), cached (48000);
    CachedEffectChain chain (cached, 64);

    ChainSettings blockSettings;
    blockSettings.wahOn = blockSettings.distOn = blockSettings.delOn = 1;
    std::vector<ChainSettings> settings (100, blockSettings);

    std::mt19937 rng (9);
    std::uniform_real_distribution<float> noise (-0.5f, 0.5f);

    for (int round = 0; round < 6; ++round)
    {
        // A block at the block settings...
        std::vector<float> in (100), expected (100);
        for (auto& x : in)
            x = noise (rng);
        for (size_t j = 0; j < in.size(); ++j)
            expected[j] = runLiteralChain (literal, in[j], blockSettings);
        chain.processBlock (in.data(), settings.data(), static_cast<int> (in.size()));
        ASSERT_EQ (effect_state_bits::firstDifferentSample (expected.data(), in.data(), in.size()), -1) << "round " << round;

        // ...then single slot calls with other parameters, which redesign the same filters.
        const float x = noise (rng);
        const float knob = 0.1f * static_cast<float> (round);
        ASSERT_TRUE (effect_state_bits::sameBits (processWahSlot (literal, x, knob, 0.5f, knob), chain.processWahSlot (x, knob, 0.5f, knob)));
        ASSERT_TRUE (effect_state_bits::sameBits (processDistortionSlot (literal, x, knob, knob), chain.processDistortionSlot (x, knob, knob)));
        ASSERT_TRUE (effect_state_bits::sameBits (processAmpSlot (literal, x, knob, knob, knob, knob), chain.processAmpSlot (x, knob, knob, knob, knob)));
        ASSERT_TRUE (effect_state_bits::sameBits (applyOutputLevel (x, knob), chain.applyOutputLevel (x, knob)));
        ASSERT_EQ (effect_state_bits::firstDifference (literal, cached), "") << "round " << round;
    }
}
