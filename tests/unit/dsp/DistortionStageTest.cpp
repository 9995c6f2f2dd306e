#include "DistortionStage.h"
#include "DspMaths.h"
#include "SoftClipper.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

TEST (DistortionStage, FirstSmallInputAtTheInitialSettings)
{
    EffectState state (44100);
    const float out = processDistortion (state, 0.0001f, 48.0f, 900.0f);

    // The filter's input is the raised sample u; its output plus u is v.
    const float u = state.distFilter.x0;
    const float v = state.distFilter.y0 + u;
    EXPECT_NEAR (u, 0.025119, 0.0000005);
    EXPECT_NEAR (v, 0.041014, 0.0000005);
    EXPECT_NEAR (v / u, 1.63280, 0.000005);
    EXPECT_NEAR (out, 0.0389115, 0.00000005);
    EXPECT_EQ (out, SoftClipper (v, 0.2f));
}

TEST (DistortionStage, DesignsItsFilterWithFixedGainAndDamping)
{
    for (float frequency : { 300.0f, 900.0f, 1800.0f })
    {
        EffectState state (44100);
        processDistortion (state, 0.1f, 20.0f, frequency);

        FourPoleFilter expected (44100);
        expected.setParameters (frequency, 35.0f, 0.75f);
        EXPECT_EQ (state.distFilter.c1, expected.c1) << frequency;
        EXPECT_EQ (state.distFilter.c2, expected.c2) << frequency;
        EXPECT_EQ (state.distFilter.c3, expected.c3) << frequency;
        EXPECT_EQ (state.distFilter.c4, expected.c4) << frequency;
        EXPECT_EQ (state.distFilter.b, expected.b) << frequency;
        EXPECT_EQ (state.distFilter.norm, expected.norm) << frequency;
    }
}

TEST (DistortionStage, LoudInputGivesExactlyTheThreshold)
{
    for (float x : { 0.01f, 0.5f, 1.0f, 1.0e3f, -0.01f, -0.5f, -1.0f, -1.0e3f })
    {
        EffectState state (44100);
        EXPECT_EQ (processDistortion (state, x, 48.0f, 900.0f), x > 0.0f ? 0.2f : -0.2f) << x;
    }
}

TEST (DistortionStage, OutputNeverExceedsTheThreshold)
{
    EffectState state (44100);
    std::mt19937 rng (7u);
    std::uniform_real_distribution<float> dist (-1.0f, 1.0f);
    for (int n = 0; n < 44100; ++n)
        ASSERT_LE (std::fabs (processDistortion (state, dist (rng), 80.0f, 1800.0f)), 0.2f) << n;
}

TEST (DistortionStage, ConstantInputSettlesToTheClippedRaisedValue)
{
    struct Case
    {
        float x, gainDb;
    };

    for (const Case& c : { Case { 0.1f, 0.0f }, Case { -0.05f, 6.0f }, Case { 0.001f, 40.0f } })
    {
        EffectState state (44100);
        float out = 0.0f;
        for (int n = 0; n < 44100; ++n)
            out = processDistortion (state, c.x, c.gainDb, 900.0f);
        EXPECT_FLOAT_EQ (out, SoftClipper (velthorn::dsp::applyGainDb (c.x, c.gainDb), 0.2f)) << c.x;
    }
}

TEST (DistortionStage, PassesNaNThrough)
{
    EffectState state (44100);
    EXPECT_TRUE (std::isnan (processDistortion (state, std::numeric_limits<float>::quiet_NaN(), 48.0f, 900.0f)));
}
