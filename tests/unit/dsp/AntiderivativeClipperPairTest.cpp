// The distortion's clip, the amp's drive and the amp's clip as one curve with
// antiderivative anti-aliasing, as the oversampled chain runs them when both
// slots are on.

#include "AntiderivativeClipperPair.h"
#include "SoftClipper.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <random>

namespace
{
    constexpr float infinity = std::numeric_limits<float>::infinity();

    // Drive factors either side of 5, where the amp's clip starts to reach
    // its limit before the distortion's does: 0 dB, +10, +14 (5.0119),
    // +28 (the default), +40 dB.
    constexpr double drives[] { 1.0, 3.1622776601683795, 4.999, 5.0, 5.011872336272722, 25.118864315095795, 100.0 };

    // The two clips and the drive, one after the other, in double.
    double chained (double x, double drive)
    {
        const auto clip = [] (double v, double t)
        {
            v = std::clamp (v, -2.0 * t, 2.0 * t);
            return v - v * std::fabs (v) / (4.0 * t);
        };
        return clip (drive * clip (x, 0.2), 0.5);
    }

    AntiderivativeClipperPair at (double drive)
    {
        AntiderivativeClipperPair pair;
        pair.process (0.0f, drive);   // sets the drive; from rest, 0 gives 0
        return pair;
    }
}

TEST (AntiderivativeClipperPair, TheCurveIsTheTwoClipsWithTheDriveBetweenThem)
{
    for (const double drive : drives)
    {
        const auto pair = at (drive);
        for (int i = -3000; i <= 3000; ++i)
        {
            const double x = i * 2.0e-4;
            ASSERT_NEAR (pair.curve (x), chained (x, drive), 1.0e-12) << "drive " << drive << ", x " << x;
        }
        EXPECT_EQ (pair.curve (1.0e30), pair.curve (0.4));
        EXPECT_EQ (pair.curve (-1.0e30), -pair.curve (0.4));
    }
}

// The antiderivative's slope is the curve, and it has no step anywhere
// (the knee included), or the quotient would jump there.
TEST (AntiderivativeClipperPair, TheAntiderivativeRisesAsTheCurveAndIsContinuous)
{
    for (const double drive : drives)
    {
        const auto pair = at (drive);
        EXPECT_EQ (pair.antiderivative (0.0), 0.0);

        for (int i = -2000; i <= 2000; ++i)
        {
            const double x = i * 3.7e-4;
            const double h = 1.0e-6;
            const double slope = (pair.antiderivative (x + h) - pair.antiderivative (x - h)) / (2.0 * h);
            ASSERT_NEAR (slope, pair.curve (x), 1.0e-6) << "drive " << drive << ", x " << x;
            ASSERT_EQ (pair.antiderivative (-x), pair.antiderivative (x));
        }
    }
}

TEST (AntiderivativeClipperPair, FromRestTheFirstSampleIsTheMeanOfTheCurveFromZero)
{
    for (const double drive : drives)
    {
        for (const float x : { 0.001f, 0.01f, 0.05f, 0.3f, 2.0f, -0.02f })
        {
            // The mean by the midpoint rule over many steps.
            constexpr int steps = 20000;
            double sum = 0.0;
            for (int k = 0; k < steps; ++k)
                sum += chained ((k + 0.5) * x / steps, drive);

            AntiderivativeClipperPair pair;
            EXPECT_NEAR (pair.process (x, drive), sum / steps, 1.0e-6) << "drive " << drive << ", x " << x;
        }
    }
}

// The drive may move on every sample (a MIDI sweep of the amp's drive). The
// previous input must then be taken on the new curve, or the quotient of two
// different curves' areas blows up for close inputs.
TEST (AntiderivativeClipperPair, AMovingDriveFollowsTheCurveOfTheMoment)
{
    AntiderivativeClipperPair pair;
    float x = 0.0123f;
    pair.process (x, 25.0);

    for (int n = 1; n < 2000; ++n)
    {
        const double drive = 1.0 + (n % 127) * 0.78;
        const float next = x * (1.0f + 1.0e-4f);
        const float y = pair.process (next, drive);
        ASSERT_NEAR (y, chained (0.5 * (x + next), drive), 1.0e-5) << "sample " << n << ", drive " << drive;
        x = next;
    }
}

TEST (AntiderivativeClipperPair, NearlyEqualInputsGiveTheCurveAtTheirMiddle)
{
    for (const double drive : drives)
    {
        for (const float x : { 0.0f, 1.0e-9f, 0.004f, 0.0101f, 0.2f, 0.4f, 3.0f, -0.05f, 1.0e30f })
        {
            for (const float next : { x, std::nextafter (x, infinity), std::nextafter (x, -infinity), x * (1.0f + 1.0e-6f) })
            {
                AntiderivativeClipperPair pair;
                pair.process (x, drive);
                const float y = pair.process (next, drive);
                ASSERT_TRUE (std::isfinite (y)) << x << " then " << next;
                EXPECT_NEAR (y, chained (0.5 * x + 0.5 * next, drive), 1.0e-6) << "drive " << drive << ": " << x;
            }
        }
    }
}

TEST (AntiderivativeClipperPair, AnyInputGivesAFiniteOutputWithinTheCurvesRange)
{
    std::mt19937 rng (17);
    const float specials[] { infinity, -infinity, std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
                             0.0f, -0.0f, std::numeric_limits<float>::denorm_min(), 1.0e20f };

    for (const double drive : drives)
    {
        AntiderivativeClipperPair pair;
        const double ceiling = chained (1.0, drive);

        for (int n = 0; n < 100000; ++n)
        {
            float x;
            switch (rng() % 3)
            {
                case 0:  x = specials[rng() % std::size (specials)]; break;
                case 1:  x = std::uniform_real_distribution<float> (-0.5f, 0.5f) (rng); break;
                default: x = std::uniform_real_distribution<float> (-1.0e5f, 1.0e5f) (rng); break;
            }

            const float y = pair.process (x, drive);
            ASSERT_TRUE (std::isfinite (y)) << "sample " << n << ": " << x;
            ASSERT_LE (std::fabs (y), ceiling + 1.0e-7) << "sample " << n << ": " << x;
        }
    }
}

TEST (AntiderivativeClipperPair, NaNInputOrDrivePassesAndIsForgotten)
{
    AntiderivativeClipperPair pair;
    pair.process (0.01f, 25.0);
    EXPECT_TRUE (std::isnan (pair.process (std::numeric_limits<float>::quiet_NaN(), 25.0)));
    EXPECT_TRUE (std::isfinite (pair.process (0.02f, 25.0)));

    EXPECT_TRUE (std::isnan (pair.process (0.02f, std::numeric_limits<double>::quiet_NaN())));
    EXPECT_TRUE (std::isfinite (pair.process (0.03f, 25.0)));
}

TEST (AntiderivativeClipperPair, ItsMemoryRestoredRunsTheSameSamplesAgain)
{
    AntiderivativeClipperPair pair;
    pair.process (0.01f, 25.0);
    pair.process (0.03f, 30.0);

    const auto memory = pair.memory();
    const float first[] { pair.process (0.05f, 30.0), pair.process (-0.01f, 12.0), pair.process (0.2f, 12.0) };

    pair.restore (memory);
    EXPECT_EQ (pair.process (0.05f, 30.0), first[0]);
    EXPECT_EQ (pair.process (-0.01f, 12.0), first[1]);
    EXPECT_EQ (pair.process (0.2f, 12.0), first[2]);
}
