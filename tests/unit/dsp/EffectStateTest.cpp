#include "EffectState.h"
#include "EffectStateBits.h"

#include <gtest/gtest.h>

TEST (EffectState, StartsWithOneSecondOfSilenceAndZeroedFilters)
{
    EffectState state (44100);
    EXPECT_EQ (state.sampleRate, 44100);
    EXPECT_EQ (state.delayWriteIndex, 0);
    for (int i = 0; i < 44100; ++i)
        ASSERT_EQ (state.delayBuffer[i], 0.0f) << i;

    for (const BiquadSection* section : { &state.cabHighPass, &state.cabLowPass1, &state.cabLowPass2, &state.cabPeak,
                                          &state.ampLowShelf, &state.ampPeak, &state.ampHighShelf })
    {
        EXPECT_EQ (section->sampleRate, 44100);
        for (float v : { section->a0, section->a1, section->a2, section->b0, section->b1, section->b2,
                         section->y0, section->y1, section->y2, section->x0, section->x1, section->x2 })
            EXPECT_EQ (v, 0.0f);
    }

    for (const FourPoleFilter* filter : { &state.wahFilter, &state.distFilter })
    {
        EXPECT_EQ (filter->sampleRate, 44100);
        for (float v : { filter->y0, filter->y1, filter->y2, filter->y3, filter->y4, filter->x0, filter->x1,
                         filter->x2, filter->c1, filter->c2, filter->c3, filter->c4, filter->b, filter->norm })
            EXPECT_EQ (v, 0.0f);
    }
}

TEST (EffectState, RestartGivesTheStateAsMadeAtTheSameRate)
{
    for (const bool fourPolesInDouble : { false, true })
    {
        EffectState used (48000, fourPolesInDouble);
        const EffectState fresh (48000, fourPolesInDouble);

        // Run every filter and the delay, so that nothing is as made.
        used.wahFilter.setParameters (800.0f, 10.0f, 0.2f);
        used.distFilter.setParameters (900.0f, 35.0f, 0.75f);
        for (BiquadSection* section : { &used.cabHighPass, &used.cabLowPass1, &used.cabLowPass2, &used.cabPeak,
                                        &used.ampLowShelf, &used.ampPeak, &used.ampHighShelf })
        {
            section->setPeak (1000.0f, 1.0f, 6.0f);
            section->process (0.5f);
        }
        used.wahFilter.process (0.3f);
        used.distFilter.process (-0.3f);
        used.delayBuffer[12345] = 0.25f;
        used.delayWriteIndex = 777;

        used.restart();

        EXPECT_EQ (effect_state_bits::firstDifference (fresh, used), "") << fourPolesInDouble;
        EXPECT_EQ (used.wahFilter.designsOnlyInDouble, fourPolesInDouble);
        EXPECT_EQ (used.distFilter.designsOnlyInDouble, fourPolesInDouble);
    }
}

TEST (EffectState, FourPolesInDoubleUseTheirDesignInDoubleEvenWhereTheFloatOneWouldDo)
{
    // The wah's default setting at 44.1 kHz is well inside the float design's range.
    EffectState plain (44100), oversampled (44100, true);

    plain.wahFilter.setParameters (1150.0f, 15.999999f, 0.3f);
    oversampled.wahFilter.setParameters (1150.0f, 15.999999f, 0.3f);
    plain.distFilter.setParameters (900.0f, 35.0f, 0.75f);
    oversampled.distFilter.setParameters (900.0f, 35.0f, 0.75f);

    EXPECT_FALSE (plain.wahFilter.usesDoubleDesign);
    EXPECT_FALSE (plain.distFilter.usesDoubleDesign);
    EXPECT_TRUE (oversampled.wahFilter.usesDoubleDesign);
    EXPECT_TRUE (oversampled.distFilter.usesDoubleDesign);

    // The same difference equation either way: the first outputs agree to
    // float precision.
    for (float x : { 1.0f, 0.0f, -0.5f, 0.25f })
        EXPECT_NEAR (plain.wahFilter.process (x), oversampled.wahFilter.process (x), 1.0e-6f) << x;
}
