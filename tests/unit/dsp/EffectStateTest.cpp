#include "EffectState.h"

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
