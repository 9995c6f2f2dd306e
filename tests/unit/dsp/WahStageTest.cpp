#include "WahStage.h"

#include <gtest/gtest.h>

TEST (WahStage, AddsTheFilterOutputToTheDrySample)
{
    EffectState state (44100);
    for (float x : { 1.0f, -0.5f, 0.25f, 0.0f })
    {
        const float out = processWah (state, x, 800.0f, 12.0f, 0.2f);
        EXPECT_EQ (state.wahFilter.x0, x);
        EXPECT_EQ (out, x + state.wahFilter.y0);
    }
}

TEST (WahStage, DesignsItsFilterFromItsArguments)
{
    EffectState state (44100);
    processWah (state, 0.1f, 432.0f, -7.0f, 0.8f);

    FourPoleFilter expected (44100);
    expected.setParameters (432.0f, -7.0f, 0.8f);
    EXPECT_EQ (state.wahFilter.c1, expected.c1);
    EXPECT_EQ (state.wahFilter.c2, expected.c2);
    EXPECT_EQ (state.wahFilter.c3, expected.c3);
    EXPECT_EQ (state.wahFilter.c4, expected.c4);
    EXPECT_EQ (state.wahFilter.b, expected.b);
    EXPECT_EQ (state.wahFilter.norm, expected.norm);
}
