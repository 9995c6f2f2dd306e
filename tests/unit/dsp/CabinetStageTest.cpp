#include "CabinetStage.h"

#include "DesignExpectations.h"

#include <gtest/gtest.h>

#include <cmath>

TEST (CabinetStage, DesignsItsFixedVoicing)
{
    EffectState state (48000);
    processCabinet (state, 0.25f);

    BiquadSection highPass (48000), peak (48000), lowPass (48000);
    highPass.setHighPass (80.0f, 0.1f);
    peak.setPeak (932.0f, 3.0f, -11.0f);
    lowPass.setLowPass (3500.0f, 0.28f);

    for (const auto& [actual, expected] : { std::pair { &state.cabHighPass, &highPass }, std::pair { &state.cabPeak, &peak },
                                            std::pair { &state.cabLowPass1, &lowPass }, std::pair { &state.cabLowPass2, &lowPass } })
        expectSameDesign (*actual, *expected);
}

TEST (CabinetStage, FirstOutputIsMakeUpGainTimesTheLeadingRatios)
{
    for (float s : { 1.0f, 0.5f, -0.25f, 0.0123f })
    {
        EffectState state (44100);
        const float out = processCabinet (state, s);

        double product = 1.0;
        for (const BiquadSection* section : { &state.cabHighPass, &state.cabPeak, &state.cabLowPass1, &state.cabLowPass2 })
            product *= static_cast<double> (section->b0) / static_cast<double> (section->a0);

        EXPECT_FLOAT_EQ (out, static_cast<float> (std::pow (10.0, 0.75) * s * product)) << s;
    }
}

TEST (CabinetStage, RunsHighPassThenPeakThenBothLowPasses)
{
    EffectState state (44100);
    float out = 0.0f;
    for (float x : { 0.3f, -0.1f, 0.2f })
        out = processCabinet (state, x);

    EXPECT_EQ (state.cabHighPass.x0, 0.2f);
    EXPECT_EQ (state.cabPeak.x0, state.cabHighPass.y0);
    EXPECT_EQ (state.cabLowPass1.x0, state.cabPeak.y0);
    EXPECT_EQ (state.cabLowPass2.x0, state.cabLowPass1.y0);
    EXPECT_EQ (out, static_cast<float> (std::pow (10.0, 0.75) * static_cast<double> (state.cabLowPass2.y0)));
}

TEST (CabinetStage, ConstantInputDecaysToSilence)
{
    EffectState state (44100);
    float out = 1.0f;
    for (int n = 0; n < 2 * 44100; ++n)
        out = processCabinet (state, 0.5f);
    EXPECT_NEAR (out, 0.0f, 1.0e-6f);
}
