#include "DspMaths.h"
#include "FourPoleFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

TEST (FourPoleFilter, StartsZeroedWithItsRate)
{
    const FourPoleFilter f (96000);
    EXPECT_EQ (f.sampleRate, 96000);
    for (float v : { f.y0, f.y1, f.y2, f.y3, f.y4, f.x0, f.x1, f.x2, f.c1, f.c2, f.c3, f.c4, f.b, f.norm })
        EXPECT_EQ (v, 0.0f);
}

TEST (FourPoleFilter, InitialWahDesignHasTheDocumentedCoefficients)
{
    FourPoleFilter f (44100);
    f.setParameters (1150.0f, 15.999999f, 0.3f);

    EXPECT_FLOAT_EQ (f.c1, 7.323895f);
    EXPECT_FLOAT_EQ (f.c2, 87.90908f);
    EXPECT_FLOAT_EQ (f.c3, 272.8122f);
    EXPECT_FLOAT_EQ (f.c4, 1387.533f);
    EXPECT_FLOAT_EQ (f.b, 235.0291f);
    EXPECT_NEAR (f.norm, 0.000569289, 0.0000000005);   // printed with six digits
}

TEST (FourPoleFilter, DesignIsTheExpandedBackwardDifference)
{
    // With k = rate / (2 pi f): c1 = 4 z k, c2 = (4 z^2 + 2) k^2, c3 = 4 z k^3,
    // c4 = k^4, b = G k^2; checked against an independent double evaluation.
    struct Case
    {
        int rate;
        float frequency, gainDb, damping;
    };

    for (const Case& c : { Case { 44100, 900.0f, 35.0f, 0.75f }, Case { 48000, 150.0f, -40.0f, 1.0f },
                           Case { 96000, 1800.0f, 40.0f, 0.05f }, Case { 22050, 100.0f, 0.0f, 0.0f } })
    {
        FourPoleFilter f (c.rate);
        f.setParameters (c.frequency, c.gainDb, c.damping);

        const double k = c.rate / (velthorn::dsp::twoPi * c.frequency);
        const double z = c.damping;
        const double g = std::pow (10.0, c.gainDb / 20.0);
        // f = 1 / w is rounded to float before its powers are taken, so k^4
        // carries up to about four float roundings of relative error.
        const auto near = [] (float actual, double expected) { return std::fabs (actual - expected) <= 1.0e-6 * std::fabs (expected); };
        EXPECT_PRED2 (near, f.c1, 4.0 * z * k) << c.frequency;
        EXPECT_PRED2 (near, f.c2, (4.0 * z * z + 2.0) * k * k) << c.frequency;
        EXPECT_PRED2 (near, f.c3, 4.0 * z * k * k * k) << c.frequency;
        EXPECT_PRED2 (near, f.c4, k * k * k * k) << c.frequency;
        EXPECT_PRED2 (near, f.b, g * k * k) << c.frequency;
        EXPECT_EQ (f.norm, static_cast<float> (1.0 / (1.0 + f.c1 + static_cast<double> (f.c2) + f.c3 + f.c4)))
            << c.frequency;
    }
}

TEST (FourPoleFilter, FirstStepFromZeroHistory)
{
    FourPoleFilter f (44100);
    f.setParameters (1150.0f, 15.999999f, 0.3f);

    const float y = f.process (1.0f);
    EXPECT_EQ (y, static_cast<float> (static_cast<double> (f.norm) * static_cast<double> (f.b)));
    EXPECT_NEAR (y, 0.13380, 0.000005);
    EXPECT_EQ (f.y0, y);
    EXPECT_EQ (f.y1, y);
    EXPECT_EQ (f.x0, 1.0f);
    EXPECT_EQ (f.x1, 1.0f);
    for (float v : { f.y2, f.y3, f.y4, f.x2 })
        EXPECT_EQ (v, 0.0f);
}

TEST (FourPoleFilter, ShiftsHistoryOneStepPerSample)
{
    FourPoleFilter f (44100);
    f.setParameters (900.0f, 35.0f, 0.75f);
    const float inputs[] = { 0.1f, -0.2f, 0.3f, -0.4f, 0.5f };
    float outputs[5];
    for (int i = 0; i < 5; ++i)
        outputs[i] = f.process (inputs[i]);

    EXPECT_EQ (f.y0, outputs[4]);
    EXPECT_EQ (f.y1, outputs[4]);
    EXPECT_EQ (f.y2, outputs[3]);
    EXPECT_EQ (f.y3, outputs[2]);
    EXPECT_EQ (f.y4, outputs[1]);
    EXPECT_EQ (f.x0, inputs[4]);
    EXPECT_EQ (f.x1, inputs[4]);
    EXPECT_EQ (f.x2, inputs[3]);
}

TEST (FourPoleFilter, StepSolvesTheDifferenceEquation)
{
    FourPoleFilter f (44100);
    f.setParameters (700.0f, 10.0f, 0.4f);
    f.y1 = 0.5f;
    f.y2 = 0.25f;
    f.y3 = -0.125f;
    f.y4 = 0.0625f;
    f.h1 = 0.5;
    f.h2 = 0.25;
    f.h3 = -0.125;
    f.h4 = 0.0625;
    f.x1 = 0.75f;
    f.x2 = -0.5f;

    // (1 + c1 + c2 + c3 + c4) y = b (x - 2 x1 + x2) - c1 d1 - c2 d2 - c3 d3 - c4 d4
    // with the differences of the output taken with y[n] = 0 (all exact here).
    const double d1 = -0.5, d2 = 0.25 - 1.0, d3 = 0.75 - 1.5 + 0.125, d4 = 0.0625 + 0.5 + 1.5 - 2.0;
    const double rhs = f.b * (0.3 - 1.5 - 0.5) - f.c1 * d1 - f.c2 * d2 - f.c3 * d3 - f.c4 * d4;
    const float y = f.process (0.3f);
    EXPECT_FLOAT_EQ (y, static_cast<float> (rhs / (1.0 + f.c1 + f.c2 + f.c3 + f.c4)));
}

TEST (FourPoleFilter, RedesignKeepsHistory)
{
    FourPoleFilter f (44100);
    f.setParameters (900.0f, 35.0f, 0.75f);
    for (float x : { 1.0f, 0.5f, -0.25f })
        f.process (x);
    const float before[] = { f.y0, f.y1, f.y2, f.y3, f.y4, f.x0, f.x1, f.x2 };

    f.setParameters (300.0f, -10.0f, 0.1f);
    const float after[] = { f.y0, f.y1, f.y2, f.y3, f.y4, f.x0, f.x1, f.x2 };
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ (after[i], before[i]) << i;
}

TEST (FourPoleFilter, ConstantInputDecaysToZero)
{
    FourPoleFilter f (44100);
    float y = 1.0f;
    for (int n = 0; n < 44100; ++n)
    {
        f.setParameters (1150.0f, 15.999999f, 0.3f);
        y = f.process (0.5f);
    }
    EXPECT_NEAR (y, 0.0f, 1.0e-6f);
}

TEST (FourPoleFilter, PassesTheCentreFrequencyWithTheAnalogueCentreGain)
{
    // Well below the sample rate the backward difference follows the analogue
    // prototype: centre gain G / (4 z^2), here 0.25. The backward difference
    // adds a little damping of its own (about w T / 2), hence the tolerance.
    FourPoleFilter f (44100);
    const float frequency = 300.0f;
    double peak = 0.0;
    for (int n = 0; n < 44100; ++n)
    {
        f.setParameters (frequency, 0.0f, 1.0f);
        const float x = static_cast<float> (std::sin (velthorn::dsp::twoPi * frequency * n / 44100.0));
        const float y = f.process (x);
        if (n > 22050)
            peak = std::max (peak, static_cast<double> (std::fabs (y)));
    }
    EXPECT_NEAR (peak, 0.25, 0.0125);
}

TEST (FourPoleFilter, UndampedDesignStaysFinite)
{
    FourPoleFilter f (44100);
    f.setParameters (1000.0f, 0.0f, 0.0f);
    EXPECT_EQ (f.c1, 0.0f);
    EXPECT_EQ (f.c3, 0.0f);

    std::mt19937 rng (99u);
    std::uniform_real_distribution<float> dist (-1.0f, 1.0f);
    for (int n = 0; n < 44100; ++n)
    {
        f.setParameters (1000.0f, 0.0f, 0.0f);
        ASSERT_TRUE (std::isfinite (f.process (dist (rng)))) << n;
    }
}

TEST (FourPoleFilter, RunawayOutputRestartsFromSilenceInsteadOfOverflowing)
{
    // A negative damping (no knob gives one) makes the prototype itself
    // unstable: the output grows until the last-resort guard restarts the
    // filter from silence, so it never becomes infinite.
    FourPoleFilter f (44100);
    std::mt19937 rng (7u);
    std::uniform_real_distribution<float> dist (-0.5f, 0.5f);

    float loudest = 0.0f;
    int restarts = 0;
    for (int n = 0; n < 2 * 44100; ++n)
    {
        f.setParameters (700.0f, 15.999999f, -0.2f);
        const float y = f.process (dist (rng));
        ASSERT_TRUE (std::isfinite (y)) << n;
        loudest = std::max (loudest, std::fabs (y));
        if (f.y1 == 0.0f && f.x1 == 0.0f)
            ++restarts;
    }
    EXPECT_LE (loudest, FourPoleFilter::runawayLimit);
    EXPECT_GT (loudest, 1.0e6f) << "the setting must really run away for this test to mean anything";
    EXPECT_GT (restarts, 0);

    // A stable design afterwards settles and filters normally again.
    for (int n = 0; n < 44100; ++n)
    {
        f.setParameters (1150.0f, 15.999999f, 0.3f);
        const float y = f.process (dist (rng));
        if (n > 22050)
            ASSERT_LT (std::fabs (y), 100.0f) << n;
    }
}
