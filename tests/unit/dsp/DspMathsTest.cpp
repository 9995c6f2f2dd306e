#include "DspMaths.h"

#include <gtest/gtest.h>

namespace
{
    struct GainCase
    {
        float x, gainDb;
        double expected, tolerance;   // tolerance: half a unit in the last documented digit
    };

    class ApplyGainDbTable : public ::testing::TestWithParam<GainCase> {};
}

TEST_P (ApplyGainDbTable, RaisesBy10ToTheGainOver20)
{
    const GainCase c = GetParam();
    EXPECT_NEAR (velthorn::dsp::applyGainDb (c.x, c.gainDb), c.expected, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P (Documented, ApplyGainDbTable,
                          ::testing::Values (GainCase { 0.01f, 28.0f, 0.2512, 0.00005 },      // amp drive at start
                                             GainCase { 0.0001f, 48.0f, 0.025119, 0.0000005 }, // distortion pre-gain at start
                                             GainCase { 1.0f, 0.0f, 1.0, 0.0 },
                                             GainCase { -0.5f, -20.0f, -0.05, 1.0e-9 },
                                             GainCase { 1.0e-4f, 80.0f, 1.0, 1.0e-7 }));

TEST (DspMaths, GainIsRoundedOnceAfterTheProduct)
{
    // The factor stays in double until multiplied by the sample.
    const float x = 0.3f;
    EXPECT_EQ (velthorn::dsp::applyGainDb (x, 28.0f), static_cast<float> (std::pow (10.0, 1.4) * static_cast<double> (x)));
}

TEST (DspMaths, NormalisedAngularFrequencyIsFormedInDouble)
{
    EXPECT_NEAR (velthorn::dsp::normalisedAngularFrequency (3500.0f, 44100), 0.498666, 0.0000005);
    EXPECT_EQ (velthorn::dsp::normalisedAngularFrequency (932.0f, 48000),
               static_cast<float> (6.283185307179586 * 932.0 / 48000.0));
}
