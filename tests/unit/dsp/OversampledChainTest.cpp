// The cached chain on an oversampled state, as the oversampled engine runs
// it (anti-aliased clips, the four-pole filters as copies in turn), and
// restarting a chain in place.

#include "CachedEffectChain.h"
#include "ChainAutomation.h"
#include "EffectStateBits.h"
#include "SoftClipper.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace chain_automation;

namespace
{
    constexpr LaneStyle midiKnobs { 5, 1, 2, Values::midi, 30000 };
    constexpr LaneStyle busyKnobs { 1, 6, 2, Values::unit, 500 };
    constexpr LaneStyle restingKnobs { 1, 0, 0, Values::midi, 96000 };
    constexpr LaneStyle wildKnobs { 4, 2, 1, Values::wild, 4000 };

    struct Scenario
    {
        const char* name;
        unsigned seed;
        int deviceRate;
        int oversampling;
        int samples;
        ScriptStyle style;
        Input input;
        std::function<void (ChainSettings&)> pin;
    };

    void allOn (ChainSettings& p)
    {
        p.wahOn = p.distOn = p.ampOn = p.delOn = p.mastOn = 1;
    }

    const std::vector<Scenario>& scenarios()
    {
        static const std::vector<Scenario> table {
            { "MIDI knobs and switch toggles", 1, 48000, 4, 4 * 48000,
              { midiKnobs, midiKnobs, midiKnobs, midiKnobs, midiKnobs, 1, 20000 }, Input::music, {} },
            { "every parameter changing on every sample, all on", 2, 44100, 2, 2 * 44100,
              { busyKnobs, busyKnobs, busyKnobs, busyKnobs, busyKnobs, 0, 96000 }, Input::music, allOn },
            { "still knobs, all on", 3, 48000, 8, 4 * 48000,
              { restingKnobs, restingKnobs, restingKnobs, restingKnobs, restingKnobs, 0, 96000 }, Input::music, allOn },
            // The distortion and the amp turning on and off apart: the clips
            // go from one curve to two and back.
            { "switches flickering on every sample", 4, 44100, 8, 2 * 44100,
              { midiKnobs, midiKnobs, midiKnobs, midiKnobs, midiKnobs, 9, 300 }, Input::music, {} },
            { "wild parameter values and huge input", 5, 48000, 4, 48000,
              { wildKnobs, wildKnobs, wildKnobs, midiKnobs, wildKnobs, 2, 5000 }, Input::huge, {} },
            { "non-finite input samples", 6, 48000, 2, 48000,
              { midiKnobs, midiKnobs, midiKnobs, midiKnobs, midiKnobs, 1, 20000 }, Input::nonFinite, allOn },
        };
        return table;
    }

    class OversampledChainBlocks : public testing::TestWithParam<Scenario>
    {
    };
}

// One sample at a time the chain runs its slots one by one; in longer blocks
// it runs its pipeline. Anti-aliased, both must still give the same bits.
TEST_P (OversampledChainBlocks, BlocksOfAnyLengthGiveTheBitsOfSampleBySample)
{
    const Scenario& scenario = GetParam();

    EffectState single (scenario.deviceRate, scenario.oversampling), blocks (scenario.deviceRate, scenario.oversampling);
    CachedEffectChain one (single, 512), many (blocks, 256);
    ASSERT_TRUE (one.isOversampled());

    AutomationScript script (scenario.seed, scenario.style);
    InputScript input (scenario.seed * 7919u, scenario.input);

    const auto n = static_cast<size_t> (scenario.samples);
    std::vector<float> expected (n), got (n);
    std::vector<ChainSettings> settings (n);

    for (size_t j = 0; j < n; ++j)
    {
        settings[j] = script.next();
        if (scenario.pin)
            scenario.pin (settings[j]);
        got[j] = expected[j] = input.next();
        one.processBlock (&expected[j], &settings[j], 1);
    }

    std::mt19937 lengths (scenario.seed);
    for (size_t done = 0; done < n;)
    {
        const auto length = std::min (n - done, static_cast<size_t> (std::uniform_int_distribution<int> (1, 700) (lengths)));
        many.processBlock (got.data() + done, settings.data() + done, static_cast<int> (length));
        done += length;
    }

    const long mismatch = effect_state_bits::firstDifferentSample (expected.data(), got.data(), n);
    EXPECT_EQ (mismatch, -1) << "first differing sample " << mismatch;
    EXPECT_EQ (effect_state_bits::firstDifference (single, blocks), "");
}

INSTANTIATE_TEST_SUITE_P (Automation, OversampledChainBlocks, testing::ValuesIn (scenarios()),
                          [] (const testing::TestParamInfo<Scenario>& info)
                          {
                              std::string name;
                              for (const char* c = info.param.name; *c != 0; ++c)
                                  if (std::isalnum (static_cast<unsigned char> (*c)))
                                      name += *c;
                              return name;
                          });

// The four-pole filters stay the device-rate filters: a signal that holds
// each device sample for the samples it becomes comes out of the wah as the
// device-rate wah's output, held the same way, bit for bit.
TEST (OversampledChain, TheWahIsTheDeviceRateWahOnEachCopy)
{
    for (const int factor : { 2, 4, 8 })
    {
        EffectState deviceState (44100), oversampledState (44100, factor);
        CachedEffectChain device (deviceState, 512), oversampled (oversampledState, 512);

        const ScriptStyle style { midiKnobs, midiKnobs, midiKnobs, midiKnobs, midiKnobs, 0, 96000 };
        AutomationScript script (31, style);
        InputScript input (32, Input::music);

        const size_t n = 20000;
        std::vector<float> a (n), held (n * static_cast<size_t> (factor));
        std::vector<ChainSettings> settings (n), heldSettings (held.size());
        for (size_t j = 0; j < n; ++j)
        {
            settings[j] = script.next();
            settings[j].wahOn = settings[j].mastOn = 1;
            settings[j].distOn = settings[j].ampOn = settings[j].delOn = 0;
            a[j] = input.next();
            for (size_t k = 0; k < static_cast<size_t> (factor); ++k)
            {
                held[j * static_cast<size_t> (factor) + k] = a[j];
                heldSettings[j * static_cast<size_t> (factor) + k] = settings[j];
            }
        }

        device.processBlock (a.data(), settings.data(), static_cast<int> (n));
        oversampled.processBlock (held.data(), heldSettings.data(), static_cast<int> (held.size()));

        for (size_t j = 0; j < n; ++j)
            for (size_t k = 0; k < static_cast<size_t> (factor); ++k)
                ASSERT_TRUE (effect_state_bits::sameBits (a[j], held[j * static_cast<size_t> (factor) + k]))
                    << factor << "x, device sample " << j << ", copy " << k << ": " << a[j] << " against "
                    << held[j * static_cast<size_t> (factor) + k];
    }
}

// The distortion alone still never leaves its clip's range, the amp alone
// feeds its tone stack from within its own, and both together from within
// the amp's: driven as hard as the knobs go, with full-scale noise.
TEST (OversampledChain, TheClipsKeepTheirRanges)
{
    struct Case
    {
        bool distortion, amp;
    };

    for (const auto& c : { Case { true, false }, Case { false, true }, Case { true, true } })
    {
        EffectState state (48000, 4);
        CachedEffectChain chain (state, 512);

        std::mt19937 rng (11);
        std::uniform_real_distribution<float> noise (-1.0f, 1.0f);

        for (int j = 0; j < 20000; ++j)
        {
            const float x = noise (rng);
            if (c.distortion && ! c.amp)
            {
                const float y = chain.processDistortionSlot (x, 1.0f, 0.4f);
                ASSERT_LE (std::fabs (y), 0.2f) << j;
            }
            else if (c.amp && ! c.distortion)
            {
                ASSERT_TRUE (std::isfinite (chain.processAmpSlot (x, 1.0f, 0.5f, 0.5f, 0.5f))) << j;
                ASSERT_LE (std::fabs (state.ampLowShelf.x0), 0.5f) << j;
            }
            else
            {
                ChainSettings p;
                p.distOn = p.ampOn = 1;
                p.distGain = p.ampDrv = 1.0f;
                float s = x;
                chain.processBlock (&s, &p, 1);
                ASSERT_TRUE (std::isfinite (s)) << j;
                ASSERT_LE (std::fabs (state.ampLowShelf.x0), 0.5f) << j;
            }
        }
    }
}

// A restart in place is a fresh chain on a fresh state: the same bits from
// then on, plain or anti-aliased.
TEST (CachedEffectChainRestart, GivesWhatAFreshChainGives)
{
    for (const int oversampling : { 1, 2, 8 })
    {
        EffectState usedState (48000, oversampling), freshState (48000, oversampling);
        CachedEffectChain used (usedState, 256), fresh (freshState, 256);

        const ScriptStyle style { midiKnobs, midiKnobs, midiKnobs, midiKnobs, midiKnobs, 1, 20000 };
        AutomationScript before (21, style), after (22, style);
        InputScript input (23, Input::music);

        // Everything running for a while, the delay full of echoes.
        std::vector<float> samples (3 * 48000);
        std::vector<ChainSettings> settings (samples.size());
        for (size_t j = 0; j < samples.size(); ++j)
        {
            settings[j] = before.next();
            allOn (settings[j]);
            samples[j] = input.next();
        }
        used.processBlock (samples.data(), settings.data(), static_cast<int> (samples.size()));

        used.restart();
        EXPECT_EQ (effect_state_bits::firstDifference (freshState, usedState), "") << oversampling;

        for (size_t j = 0; j < samples.size(); ++j)
        {
            settings[j] = after.next();
            samples[j] = input.next();
        }
        std::vector<float> a (samples), b (samples);
        used.processBlock (a.data(), settings.data(), static_cast<int> (a.size()));
        fresh.processBlock (b.data(), settings.data(), static_cast<int> (b.size()));

        EXPECT_EQ (effect_state_bits::firstDifferentSample (b.data(), a.data(), a.size()), -1) << oversampling;
        EXPECT_EQ (effect_state_bits::firstDifference (freshState, usedState), "") << oversampling;
    }
}
