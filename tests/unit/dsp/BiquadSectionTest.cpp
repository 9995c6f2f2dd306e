#include "BiquadSection.h"
#include "DspMaths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace
{
    // |H(e^jw)| from the stored (unnormalised) coefficients, in double.
    double magnitudeAt (const BiquadSection& s, double frequency)
    {
        const double w = velthorn::dsp::twoPi * frequency / s.sampleRate;
        const std::complex<double> z1 = std::polar (1.0, -w);
        const std::complex<double> z2 = z1 * z1;
        const std::complex<double> num = static_cast<double> (s.b0) + static_cast<double> (s.b1) * z1 + static_cast<double> (s.b2) * z2;
        const std::complex<double> den = static_cast<double> (s.a0) + static_cast<double> (s.a1) * z1 + static_cast<double> (s.a2) * z2;
        return std::abs (num / den);
    }

    struct DesignCase
    {
        std::string name;
        std::function<void (BiquadSection&)> design;
        double frequency;   // where the response is probed
        double expectedGain;
        double relativeTolerance = 1.0e-5;
    };

    class BiquadResponse : public ::testing::TestWithParam<DesignCase> {};

    double dbToGain (double db) { return std::pow (10.0, db / 20.0); }
}

TEST (BiquadSection, StartsZeroedWithItsRate)
{
    const BiquadSection s (48000);
    EXPECT_EQ (s.sampleRate, 48000);
    for (float v : { s.a0, s.a1, s.a2, s.b0, s.b1, s.b2, s.y0, s.y1, s.y2, s.x0, s.x1, s.x2 })
        EXPECT_EQ (v, 0.0f);
}

TEST (BiquadSection, LowPassAt3500HzHasTheDocumentedAngleAndUnitGainAtDc)
{
    EXPECT_NEAR (velthorn::dsp::normalisedAngularFrequency (3500.0f, 44100), 0.498666, 0.0000005);

    BiquadSection s (44100);
    s.setLowPass (3500.0f, 0.28f);

    // a1 = -2 cos (w0), with the cosine taken in float of the float w0.
    const float w0 = velthorn::dsp::normalisedAngularFrequency (3500.0f, 44100);
    EXPECT_EQ (s.a1, -2.0f * std::cos (w0));

    const float dcGain = (s.b0 + s.b1 + s.b2) / (s.a0 + s.a1 + s.a2);
    EXPECT_FLOAT_EQ (dcGain, 1.0f);
}

TEST (BiquadSection, HighPassBlocksDc)
{
    for (float q : { 0.1f, 0.28f, 0.707f })
    {
        BiquadSection s (44100);
        s.setHighPass (80.0f, q);
        EXPECT_EQ (s.b0 + s.b1 + s.b2, 0.0f) << q;
    }
}

TEST (BiquadSection, GainZeroDesignsAreTransparent)
{
    const std::vector<std::function<void (BiquadSection&)>> designs {
        [] (BiquadSection& s) { s.setPeak (774.5967f, 2.0f, 0.0f); },
        [] (BiquadSection& s) { s.setPeak (932.0f, 3.0f, 0.0f); },
        [] (BiquadSection& s) { s.setLowShelf (200.0f, 1.0f, 0.0f); },
        [] (BiquadSection& s) { s.setHighShelf (3000.0f, 1.0f, 0.0f); },
    };

    for (size_t i = 0; i < designs.size(); ++i)
    {
        BiquadSection s (44100);
        designs[i] (s);
        EXPECT_EQ (s.b0, s.a0) << i;
        EXPECT_EQ (s.b1, s.a1) << i;
        EXPECT_EQ (s.b2, s.a2) << i;

        // Exact for any signal without exact zeros. At an exact zero after a
        // non-zero history the documented summation order leaves a residue of
        // the order of 1e-17 instead of cancelling to 0.
        std::mt19937 rng (1234u + static_cast<unsigned> (i));
        std::uniform_real_distribution<float> dist (0.001f, 1.0f);
        for (int n = 0; n < 4096; ++n)
        {
            const float x = (n % 3 == 0) ? -dist (rng) : dist (rng);
            designs[i] (s);
            ASSERT_EQ (s.process (x), x) << "design " << i << " sample " << n;
        }
        designs[i] (s);
        EXPECT_NEAR (s.process (0.0f), 0.0f, 1.0e-15f) << i;
    }
}

TEST (BiquadSection, FirstStepFromZeroHistory)
{
    const std::vector<std::function<void (BiquadSection&)>> designs {
        [] (BiquadSection& s) { s.setLowPass (3500.0f, 0.28f); },
        [] (BiquadSection& s) { s.setHighPass (80.0f, 0.1f); },
        [] (BiquadSection& s) { s.setPeak (932.0f, 3.0f, -11.0f); },
        [] (BiquadSection& s) { s.setLowShelf (200.0f, 1.0f, 6.0f); },
        [] (BiquadSection& s) { s.setHighShelf (3000.0f, 1.0f, -6.0f); },
    };

    for (size_t i = 0; i < designs.size(); ++i)
    {
        BiquadSection s (44100);
        designs[i] (s);
        const float expected = static_cast<float> (static_cast<double> (s.b0) / static_cast<double> (s.a0));
        EXPECT_EQ (s.process (1.0f), expected) << i;
        EXPECT_EQ (s.y0, expected) << i;
        EXPECT_EQ (s.y1, expected) << i;
        EXPECT_EQ (s.x0, 1.0f) << i;
        EXPECT_EQ (s.x1, 1.0f) << i;
        EXPECT_EQ (s.x2, 0.0f) << i;
        EXPECT_EQ (s.y2, 0.0f) << i;
    }
}

TEST (BiquadSection, ShiftsHistoryOneStepPerSample)
{
    BiquadSection s (44100);
    s.setLowPass (1000.0f, 0.7f);
    const float first = s.process (0.25f);
    const float second = s.process (-0.5f);
    const float third = s.process (0.75f);

    EXPECT_EQ (s.x0, 0.75f);
    EXPECT_EQ (s.x1, 0.75f);
    EXPECT_EQ (s.x2, -0.5f);
    EXPECT_EQ (s.y0, third);
    EXPECT_EQ (s.y1, third);
    EXPECT_EQ (s.y2, second);
    EXPECT_NE (first, second);
}

TEST (BiquadSection, StepIsTheNormalisedDirectFormOneSum)
{
    BiquadSection s (44100);
    s.setPeak (932.0f, 3.0f, -11.0f);
    s.x1 = 0.3f;
    s.x2 = -0.2f;
    s.y1 = 0.1f;
    s.y2 = 0.05f;

    const double a0 = s.a0;
    const double expected = s.b0 / a0 * 0.5 + s.b1 / a0 * 0.3f + s.b2 / a0 * -0.2f - s.a1 / a0 * 0.1f - s.a2 / a0 * 0.05f;
    EXPECT_EQ (s.process (0.5f), static_cast<float> (expected));
}

TEST (BiquadSection, RedesignKeepsHistory)
{
    BiquadSection s (44100);
    s.setLowPass (3500.0f, 0.28f);
    s.process (1.0f);
    s.process (0.5f);
    const float x1 = s.x1, x2 = s.x2, y1 = s.y1, y2 = s.y2;

    s.setHighShelf (3000.0f, 1.0f, 12.0f);
    EXPECT_EQ (s.x1, x1);
    EXPECT_EQ (s.x2, x2);
    EXPECT_EQ (s.y1, y1);
    EXPECT_EQ (s.y2, y2);
}

TEST_P (BiquadResponse, HasTheCookbookGain)
{
    const DesignCase c = GetParam();
    BiquadSection s (44100);
    c.design (s);
    EXPECT_NEAR (magnitudeAt (s, c.frequency), c.expectedGain, c.relativeTolerance * std::max (1.0, c.expectedGain));
}

INSTANTIATE_TEST_SUITE_P (
    Designs, BiquadResponse,
    ::testing::Values (
        DesignCase { "LowPassDc", [] (BiquadSection& s) { s.setLowPass (3500.0f, 0.28f); }, 0.0, 1.0 },
        DesignCase { "LowPassNyquist", [] (BiquadSection& s) { s.setLowPass (3500.0f, 0.28f); }, 22050.0, 0.0 },
        DesignCase { "LowPassCorner", [] (BiquadSection& s) { s.setLowPass (3500.0f, 0.28f); }, 3500.0, 0.28 },
        DesignCase { "HighPassDc", [] (BiquadSection& s) { s.setHighPass (80.0f, 0.1f); }, 0.0, 0.0 },
        DesignCase { "HighPassNyquist", [] (BiquadSection& s) { s.setHighPass (80.0f, 0.1f); }, 22050.0, 1.0 },
        DesignCase { "HighPassCorner", [] (BiquadSection& s) { s.setHighPass (80.0f, 0.1f); }, 80.0, 0.1 },
        DesignCase { "PeakCentreCut", [] (BiquadSection& s) { s.setPeak (932.0f, 3.0f, -11.0f); }, 932.0, dbToGain (-11.0) },
        DesignCase { "PeakCentreBoost", [] (BiquadSection& s) { s.setPeak (774.5967f, 2.0f, 20.0f); }, 774.5967, 10.0 },
        DesignCase { "PeakDc", [] (BiquadSection& s) { s.setPeak (932.0f, 3.0f, -11.0f); }, 0.0, 1.0 },
        // At 0 Hz a 200 Hz shelf's gain is a ratio of small differences of float
        // coefficients: good to about 1e-4 only.
        DesignCase { "LowShelfDc", [] (BiquadSection& s) { s.setLowShelf (200.0f, 1.0f, 20.0f); }, 0.0, 10.0, 5.0e-4 },
        DesignCase { "LowShelfNyquist", [] (BiquadSection& s) { s.setLowShelf (200.0f, 1.0f, 20.0f); }, 22050.0, 1.0 },
        DesignCase { "LowShelfCorner", [] (BiquadSection& s) { s.setLowShelf (200.0f, 1.0f, -20.0f); }, 200.0, dbToGain (-10.0) },
        DesignCase { "HighShelfDc", [] (BiquadSection& s) { s.setHighShelf (3000.0f, 1.0f, -20.0f); }, 0.0, 1.0 },
        DesignCase { "HighShelfNyquist", [] (BiquadSection& s) { s.setHighShelf (3000.0f, 1.0f, -20.0f); }, 22050.0, 0.1 },
        DesignCase { "HighShelfCorner", [] (BiquadSection& s) { s.setHighShelf (3000.0f, 1.0f, 20.0f); }, 3000.0, dbToGain (10.0) }),
    [] (const ::testing::TestParamInfo<DesignCase>& info) { return info.param.name; });
