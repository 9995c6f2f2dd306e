#include "CachedBiquad.h"
#include "ChainAutomation.h"
#include "EffectStateBits.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace
{
    enum class Kind
    {
        lowPass,
        highPass,
        peak,
        lowShelf,
        highShelf
    };

    struct Design
    {
        Kind kind;
        float frequency, second, gainDb;
    };

    void designLiteral (BiquadSection& s, const Design& d)
    {
        switch (d.kind)
        {
            case Kind::lowPass: s.setLowPass (d.frequency, d.second); break;
            case Kind::highPass: s.setHighPass (d.frequency, d.second); break;
            case Kind::peak: s.setPeak (d.frequency, d.second, d.gainDb); break;
            case Kind::lowShelf: s.setLowShelf (d.frequency, d.second, d.gainDb); break;
            case Kind::highShelf: s.setHighShelf (d.frequency, d.second, d.gainDb); break;
        }
    }

    void designCached (CachedBiquad& s, const Design& d)
    {
        switch (d.kind)
        {
            case Kind::lowPass: s.setLowPass (d.frequency, d.second); break;
            case Kind::highPass: s.setHighPass (d.frequency, d.second); break;
            case Kind::peak: s.setPeak (d.frequency, d.second, d.gainDb); break;
            case Kind::lowShelf: s.setLowShelf (d.frequency, d.second, d.gainDb); break;
            case Kind::highShelf: s.setHighShelf (d.frequency, d.second, d.gainDb); break;
        }
    }

    const float nan = std::numeric_limits<float>::quiet_NaN();

    struct Sequence
    {
        const char* name;
        std::vector<Design> designs;   // one per sample, in turn, repeated
    };

    // Each sequence is designed and stepped sample by sample on a literal
    // section and a cached one; they must stay identical bit for bit.
    const std::vector<Sequence>& sequences()
    {
        static const std::vector<Sequence> table {
            { "the same design on every sample", { { Kind::peak, 932.0f, 3.0f, -11.0f } } },
            { "two kinds with the same inputs in turn",
              { { Kind::lowPass, 3500.0f, 0.28f, 0.0f }, { Kind::highPass, 3500.0f, 0.28f, 0.0f } } },
            { "low and high shelf with the same inputs in turn",
              { { Kind::lowShelf, 1000.0f, 1.0f, 6.0f }, { Kind::highShelf, 1000.0f, 1.0f, 6.0f } } },
            { "a gain moving every sample",
              { { Kind::lowShelf, 200.0f, 1.0f, -20.0f }, { Kind::lowShelf, 200.0f, 1.0f, -19.685f },
                { Kind::lowShelf, 200.0f, 1.0f, 20.0f } } },
            { "a gain of 0 dB and -0 dB in turn",
              { { Kind::peak, 774.5967f, 2.0f, 0.0f }, { Kind::peak, 774.5967f, 2.0f, -0.0f } } },
            { "a NaN gain held, then a finite one",
              { { Kind::highShelf, 3000.0f, 1.0f, nan }, { Kind::highShelf, 3000.0f, 1.0f, nan },
                { Kind::highShelf, 3000.0f, 1.0f, 3.0f } } },
            { "NaNs with different payloads in turn",
              { { Kind::peak, 774.5967f, 2.0f, chain_automation::nanWithPayload (5, false) },
                { Kind::peak, 774.5967f, 2.0f, chain_automation::nanWithPayload (9, true) } } },
            { "only the frequency moving",
              { { Kind::lowPass, 3500.0f, 0.28f, 0.0f }, { Kind::lowPass, 3499.9998f, 0.28f, 0.0f } } },
            { "only the second input moving",
              { { Kind::highPass, 80.0f, 0.1f, 0.0f }, { Kind::highPass, 80.0f, 0.1000001f, 0.0f } } },
        };
        return table;
    }
}

TEST (CachedBiquad, FollowsTheLiteralSectionBitForBitThroughEveryDesignSequence)
{
    for (const auto& sequence : sequences())
    {
        BiquadSection literal (48000), target (48000);
        CachedBiquad cached (target);
        std::mt19937 rng (3);
        std::uniform_real_distribution<float> noise (-1.0f, 1.0f);

        for (int j = 0; j < 2000; ++j)
        {
            const Design& d = sequence.designs[static_cast<size_t> (j) % sequence.designs.size()];
            designLiteral (literal, d);
            designCached (cached, d);

            const float x = noise (rng);
            const float expected = literal.process (x);
            const float got = cached.process (x);
            ASSERT_TRUE (effect_state_bits::sameBits (expected, got)) << sequence.name << ", sample " << j;
            ASSERT_EQ (effect_state_bits::firstDifference ("section", literal, target), "") << sequence.name << ", sample " << j;
        }
    }
}

TEST (CachedBiquad, AStepBeforeAnyDesignComputesWhatTheLiteralStepWould)
{
    BiquadSection literal (44100), target (44100);
    CachedBiquad cached (target);

    const float expected = literal.process (0.5f);   // 0 / 0: NaN
    EXPECT_TRUE (effect_state_bits::sameBits (cached.process (0.5f), expected));
    EXPECT_EQ (effect_state_bits::firstDifference ("section", literal, target), "");
}

TEST (CachedBiquad, KeepsTheHistoryOfASectionThatWasAlreadyRunning)
{
    BiquadSection literal (48000);
    literal.setLowPass (1000.0f, 0.7f);
    for (float x : { 1.0f, -0.5f, 0.25f })
        literal.process (x);

    BiquadSection target = literal;
    CachedBiquad cached (target);

    // Describes the section as it was designed, and redesigns nothing yet.
    EXPECT_TRUE (effect_state_bits::sameBits (cached.process (0.1f), literal.process (0.1f)));
    EXPECT_EQ (effect_state_bits::firstDifference ("section", literal, target), "");
}
