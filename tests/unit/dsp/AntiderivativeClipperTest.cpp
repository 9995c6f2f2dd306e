// The distortion's and the amp's clip with first-order antiderivative
// anti-aliasing, as the oversampled chain runs them.

#include "AntiderivativeClipper.h"
#include "SoftClipper.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <cstdio>
#include <iterator>
#include <random>
#include <vector>

namespace
{
    constexpr float infinity = std::numeric_limits<float>::infinity();
    constexpr float largest = std::numeric_limits<float>::max();
    constexpr double twoPi = 6.283185307179586;

    // The clip's antiderivative, written out independently.
    double antiderivative (double x, double t)
    {
        const double m = std::fabs (x);
        if (m <= 2.0 * t)
            return x * x / 2.0 - m * m * m / (12.0 * t);
        return t * m - 2.0 * t * t / 3.0;
    }

    struct FromRest
    {
        float threshold, x;
        double expected;   // (F (x) - F (0)) / x, worked out by hand
    };
}

// From rest the previous input is 0, so the first output is the clip's mean
// over 0..x.
TEST (AntiderivativeClipper, TheFirstSampleIsTheMeanOfTheClipFromZero)
{
    const FromRest cases[] {
        { 0.5f, 0.5f, (0.125 - 0.125 / 6.0) / 0.5 },          // 0.208333
        { 0.5f, 3.0f, (1.5 - 0.5 / 3.0) / 3.0 },              // 0.444444: beyond 2t the clip is flat
        { 0.5f, -3.0f, -(1.5 - 0.5 / 3.0) / 3.0 },
        { 0.2f, 0.1f, (0.005 - 0.001 / 2.4) / 0.1 },          // 0.0458333
        { 0.2f, 0.4f, (0.08 - 0.064 / 2.4) / 0.4 },           // at 2t: 0.133333
    };

    for (const auto& c : cases)
    {
        AntiderivativeClipper clipper (c.threshold);
        EXPECT_NEAR (clipper.process (c.x), c.expected, 1.0e-7) << c.threshold << ", " << c.x;
        EXPECT_NEAR (c.expected, antiderivative (c.x, c.threshold) / c.x, 1.0e-8);
    }
}

TEST (AntiderivativeClipper, TwoInputsBeyondTheKneeOnOneSideGiveExactlyTheThreshold)
{
    for (const float t : { 0.2f, 0.5f })
    {
        AntiderivativeClipper clipper (t);
        clipper.process (5.0f * t);
        for (const float x : { 3.0f * t, 1000.0f, 2.0f * t + 0.001f, largest, infinity, 7.0f })
            EXPECT_EQ (clipper.process (x), t) << x;

        clipper.process (-5.0f * t);
        for (const float x : { -3.0f * t, -1.0e6f, -largest, -infinity })
            EXPECT_EQ (clipper.process (x), -t) << x;
    }
}

// A slow signal barely moves between samples: the mean over the step is the
// clip at its middle.
TEST (AntiderivativeClipper, ASlowSignalGivesThePlainClipHalfASampleLate)
{
    for (const float t : { 0.2f, 0.5f })
    {
        AntiderivativeClipper clipper (t);
        float previous = 0.0f;

        for (int n = 1; n < 20000; ++n)
        {
            const float x = static_cast<float> (3.0 * t * std::sin (n * 1.0e-3));
            const float y = clipper.process (x);
            const float middle = 0.5f * (x + previous);
            ASSERT_NEAR (y, SoftClipper (middle, t), 2.0e-6f) << "t " << t << ", n " << n;
            previous = x;
        }
    }
}

// Two nearly equal inputs: the quotient of differences is ill-conditioned
// there, and the clip of the midpoint takes over.
TEST (AntiderivativeClipper, NearlyEqualInputsGiveTheClipOfTheirMiddleAndStayFinite)
{
    for (const float t : { 0.2f, 0.5f })
    {
        for (const float x : { 0.0f, 1.0e-30f, 1.0e-7f, 0.1f, 0.3999999f, 0.4f, 0.4000001f, 0.9999f, 1.0f, 1.0001f, 3.0f,
                               -0.17f, 1.0e6f, 3.0e38f })
        {
            const float neighbours[] { x, std::nextafter (x, infinity), std::nextafter (x, -infinity),
                                       x * (1.0f + 1.0e-6f), x + 1.0e-6f };

            for (const float next : neighbours)
            {
                AntiderivativeClipper clipper (t);
                clipper.process (x);
                const float y = clipper.process (next);
                ASSERT_TRUE (std::isfinite (y)) << x << " then " << next;
                EXPECT_NEAR (y, SoftClipper (0.5f * x + 0.5f * next, t), 1.0e-6f) << "t " << t << ": " << x << " then " << next;
            }
        }
    }
}

// Either side of the distance where the midpoint takes over, the two ways
// agree: no step in the output where the branch changes.
TEST (AntiderivativeClipper, TheTwoBranchesMeetWithoutAStep)
{
    for (const float x : { 0.05f, 0.21f, 0.39f, 0.41f, 0.7f })
    {
        for (const double relative : { 0.5e-7, 0.9e-7, 1.1e-7, 2.0e-7, 1.0e-6, 1.0e-5 })
        {
            AntiderivativeClipper clipper (0.2f);
            clipper.process (x);
            const float next = static_cast<float> (x * (1.0 + relative * 3.0));
            const float y = clipper.process (next);
            EXPECT_NEAR (y, SoftClipper (0.5f * (x + next), 0.2f), 1.0e-7f) << x << " + " << relative;
        }
    }
}

TEST (AntiderivativeClipper, AnyFiniteOrInfiniteInputGivesAFiniteOutputWithinTheThreshold)
{
    std::mt19937 rng (5);
    const float specials[] { infinity, -infinity, largest, -largest, 0.0f, -0.0f,
                             std::numeric_limits<float>::denorm_min(), 1.0e20f, -1.0e-20f };

    for (const float t : { 0.2f, 0.5f })
    {
        AntiderivativeClipper clipper (t);

        for (int n = 0; n < 200000; ++n)
        {
            float x;
            switch (rng() % 4)
            {
                case 0:  x = specials[rng() % std::size (specials)]; break;
                case 1:  x = std::uniform_real_distribution<float> (-3.0f * t, 3.0f * t) (rng); break;
                case 2:  x = std::ldexp (std::uniform_real_distribution<float> (-1.0f, 1.0f) (rng),
                                         static_cast<int> (rng() % 256) - 128); break;
                default: x = std::uniform_real_distribution<float> (-1.0e4f, 1.0e4f) (rng); break;
            }

            const float y = clipper.process (x);
            ASSERT_TRUE (std::isfinite (y)) << "sample " << n << ": " << x;
            ASSERT_LE (std::fabs (y), t) << "sample " << n << ": " << x;
        }
    }
}

TEST (AntiderivativeClipper, ANaNPassesAndIsForgottenAtTheNextSample)
{
    AntiderivativeClipper clipper (0.2f);
    clipper.process (0.3f);
    EXPECT_TRUE (std::isnan (clipper.process (std::numeric_limits<float>::quiet_NaN())));

    // Starts again from rest: the mean from 0, not a NaN.
    const float y = clipper.process (0.1f);
    EXPECT_NEAR (y, antiderivative (0.1, 0.2) / 0.1, 1.0e-7);
}

TEST (AntiderivativeClipper, ItsMemoryRestoredRunsTheSameSamplesAgain)
{
    AntiderivativeClipper clipper (0.5f);
    for (float x : { 0.1f, 0.7f, -0.2f })
        clipper.process (x);

    const auto memory = clipper.memory();
    const float first[] { clipper.process (0.9f), clipper.process (1.4f), clipper.process (-0.3f) };

    clipper.restore (memory);
    EXPECT_EQ (clipper.process (0.9f), first[0]);
    EXPECT_EQ (clipper.process (1.4f), first[1]);
    EXPECT_EQ (clipper.process (-0.3f), first[2]);

    clipper.reset();
    EXPECT_NEAR (clipper.process (0.5f), antiderivative (0.5, 0.5) / 0.5, 1.0e-7);
}

// What the anti-aliasing is for: a sine driven hard into the clip at eight
// times 44.1 kHz. Its harmonics reach far above that rate and fold back;
// below 20 kHz they land on multiples of 200 Hz between the harmonics of
// 1 kHz (the 353rd harmonic on 200 Hz, the 351st on 1800 Hz ...).
TEST (AntiderivativeClipper, FoldsBackFarLessBelow20kHzThanThePlainClip)
{
    constexpr double rate = 352800.0, frequency = 1000.0;
    constexpr int length = 352800;   // one second: every line falls on a whole hertz

    const auto run = [&] (bool antialiased)
    {
        AntiderivativeClipper clipper (0.2f);
        std::vector<double> y (length);
        for (int n = 0; n < length; ++n)
        {
            const float x = static_cast<float> (50.0 * std::sin (twoPi * frequency * n / rate));
            y[static_cast<size_t> (n)] = antialiased ? clipper.process (x) : SoftClipper (x, 0.2f);
        }
        return y;
    };

    // The amplitude of the line at f (Goertzel over the whole second).
    const auto amplitude = [&] (const std::vector<double>& y, double f)
    {
        const double coefficient = 2.0 * std::cos (twoPi * f / rate);
        double s1 = 0.0, s2 = 0.0;
        for (double v : y)
        {
            const double s0 = v + coefficient * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        return 2.0 * std::sqrt (std::max (s1 * s1 + s2 * s2 - coefficient * s1 * s2, 0.0)) / length;
    };

    // The loudest folded line below 20 kHz, in dB under the fundamental.
    const auto worstFolded = [&] (const std::vector<double>& y)
    {
        double worst = 0.0;
        for (int f = 200; f < 20000; f += 200)
            if (f % 1000 != 0)
                worst = std::max (worst, amplitude (y, f));
        return 20.0 * std::log10 (std::max (worst, 1.0e-30) / amplitude (y, frequency));
    };

    const double plain = worstFolded (run (false));
    const double antialiased = worstFolded (run (true));
    std::printf ("loudest folded line below 20 kHz: plain clip %.1f dB, anti-aliased %.1f dB\n", plain, antialiased);
    EXPECT_LT (antialiased, plain - 20.0);
}
