#include "CachedFourPole.h"
#include "ChainAutomation.h"
#include "EffectStateBits.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string>
#include <vector>

namespace
{
    struct Design
    {
        float frequency, gainDb, damping;
    };

    struct Sequence
    {
        const char* name;
        std::vector<Design> designs;   // one per sample, in turn, repeated
        float inputLevel;
        bool expectRunaway;
    };

    const float nan = std::numeric_limits<float>::quiet_NaN();

    const std::vector<Sequence>& sequences()
    {
        static const std::vector<Sequence> table {
            { "the wah at rest", { { 1150.0f, 15.999999f, 0.3f } }, 0.5f, false },
            { "the wah moving on every sample", { { 600.0f, 16.0f, 0.3f }, { 601.0f, 16.0f, 0.3f }, { 602.0f, 16.0f, 0.3f } }, 0.5f, false },
            // Jumping across the whole range on every sample modulates the
            // filter hard enough to run away as well.
            { "the wah jumping on every sample", { { 150.0f, 16.0f, 0.3f }, { 400.0f, 16.0f, 0.3f }, { 1150.0f, 16.0f, 0.3f } }, 0.5f, true },
            { "damping 0 and -0 in turn", { { 700.0f, 10.0f, 0.0f }, { 700.0f, 10.0f, -0.0f } }, 0.5f, false },
            { "a NaN damping held", { { 700.0f, 10.0f, nan } }, 0.5f, true },
            { "NaNs with different payloads in turn",
              { { 700.0f, chain_automation::nanWithPayload (3, false), 0.3f },
                { 700.0f, chain_automation::nanWithPayload (4, true), 0.3f } },
              0.5f, true },
            { "a frequency of 0", { { 0.0f, 0.0f, 0.5f } }, 0.5f, true },
            // Poles packed against z = 1: the float design is unstable here, so
            // the filter runs the design in double, which stays bounded.
            { "undamped at the lowest wah frequency", { { 100.0f, 40.0f, 0.0f } }, 0.5f, false },
            // The double design (118 Hz) and the float one (125 Hz) in turn,
            // on the same history.
            { "the double and the float design in turn", { { 118.0f, 40.0f, 0.05f }, { 125.0f, 40.0f, 0.05f } }, 0.5f, false },
            // No knob reaches a negative damping: the prototype itself is
            // unstable, and only the guard keeps the output finite.
            { "a negative damping", { { 700.0f, 10.0f, -0.5f } }, 0.5f, true },
            { "inputs far beyond full scale", { { 900.0f, 35.0f, 0.75f } }, 1.0e9f, true },
        };
        return table;
    }
}

TEST (CachedFourPole, FollowsTheLiteralFilterBitForBitIncludingItsRunawayGuard)
{
    for (const auto& sequence : sequences())
    {
        FourPoleFilter literal (48000), target (48000);
        CachedFourPole cached (target);
        std::mt19937 rng (5);
        std::uniform_real_distribution<float> noise (-sequence.inputLevel, sequence.inputLevel);
        long runaways = 0;

        for (int j = 0; j < 4 * 48000; ++j)
        {
            const Design& d = sequence.designs[static_cast<size_t> (j) % sequence.designs.size()];
            literal.setParameters (d.frequency, d.gainDb, d.damping);
            cached.setParameters (d.frequency, d.gainDb, d.damping);

            const float x = noise (rng);
            const float expected = literal.process (x);
            if (x != 0.0f && literal.x0 == 0.0f)
                ++runaways;

            const float got = cached.process (x);
            ASSERT_TRUE (effect_state_bits::sameBits (expected, got)) << sequence.name << ", sample " << j;
            ASSERT_EQ (effect_state_bits::firstDifference ("filter", literal, target), "") << sequence.name << ", sample " << j;
        }

        if (sequence.expectRunaway)
            EXPECT_GT (runaways, 0) << sequence.name;
        else
            EXPECT_EQ (runaways, 0) << sequence.name;
    }
}

TEST (CachedFourPole, AStepBeforeAnyDesignComputesWhatTheLiteralStepWould)
{
    FourPoleFilter literal (44100), target (44100);
    CachedFourPole cached (target);

    EXPECT_TRUE (effect_state_bits::sameBits (cached.process (0.5f), literal.process (0.5f)));
    EXPECT_EQ (effect_state_bits::firstDifference ("filter", literal, target), "");
}
