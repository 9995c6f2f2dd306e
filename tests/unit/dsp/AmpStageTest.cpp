#include "AmpStage.h"
#include "DspMaths.h"
#include "SoftClipper.h"

#include "DesignExpectations.h"

#include <gtest/gtest.h>

#include <cmath>

TEST (AmpStage, StepOfOneHundredthAtTheInitialDrive)
{
    EffectState state (44100);

    // 28 dB raises 0.01 to 0.2512; the clipper at 0.5 makes that 0.2196, and
    // the flat tone stack passes it on untouched, sample after sample.
    EXPECT_NEAR (velthorn::dsp::applyGainDb (0.01f, 28.0f), 0.2512, 0.00005);
    for (int n = 0; n < 1000; ++n)
    {
        const float out = processAmp (state, 0.01f, 28.0f, 0.0f, 0.0f, 0.0f);
        ASSERT_NEAR (state.ampLowShelf.x0, 0.2196, 0.00005) << n;
        ASSERT_EQ (state.ampLowShelf.x0, SoftClipper (velthorn::dsp::applyGainDb (0.01f, 28.0f), 0.5f)) << n;
        ASSERT_EQ (out, state.ampLowShelf.x0) << n;
    }
}

TEST (AmpStage, FullScaleInputReachesTheToneStackAsExactlyHalf)
{
    for (float x : { 1.0f, 3.0f, 1.0e6f, -1.0f, -7.5f, -1.0e6f })
    {
        EffectState state (44100);
        processAmp (state, x, 0.0f, 0.0f, 0.0f, 0.0f);
        EXPECT_EQ (state.ampLowShelf.x0, x > 0.0f ? 0.5f : -0.5f) << x;
    }
}

TEST (AmpStage, DesignsTheToneStackFromItsArguments)
{
    struct Case
    {
        float lowDb, midDb, highDb;
    };

    for (const Case& c : { Case { 0.0f, 0.0f, 0.0f }, Case { 20.0f, -20.0f, 12.0f }, Case { -12.5f, 3.0f, -20.0f } })
    {
        EffectState state (44100);
        processAmp (state, 0.1f, 10.0f, c.lowDb, c.midDb, c.highDb);

        BiquadSection low (44100), mid (44100), high (44100);
        low.setLowShelf (200.0f, 1.0f, c.lowDb);
        mid.setPeak (774.5966796875f, 2.0f, c.midDb);
        high.setHighShelf (3000.0f, 1.0f, c.highDb);

        for (const auto& [actual, expected] : { std::pair { &state.ampLowShelf, &low }, std::pair { &state.ampPeak, &mid },
                                                std::pair { &state.ampHighShelf, &high } })
            expectSameDesign (*actual, *expected);
    }
}

TEST (AmpStage, RunsLowShelfThenPeakThenHighShelf)
{
    EffectState state (44100);
    float out = 0.0f;
    for (float x : { 0.01f, -0.02f, 0.03f })
        out = processAmp (state, x, 20.0f, 6.0f, -6.0f, 3.0f);

    EXPECT_EQ (state.ampPeak.x0, state.ampLowShelf.y0);
    EXPECT_EQ (state.ampHighShelf.x0, state.ampPeak.y0);
    EXPECT_EQ (out, state.ampHighShelf.y0);
    EXPECT_NE (state.ampLowShelf.y0, state.ampLowShelf.x0);
}
