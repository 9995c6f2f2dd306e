#include "FourPoleBound.h"
#include "FourPoleFilter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <random>
#include <string>
#include <vector>

// Full-scale noise through the four-pole filter at every reachable setting of
// the wah (frequency, damping and gain knobs) and of the distortion, for two
// seconds each, one test per sample rate.
//
// The bound: for an input that stays within +-1, the output of a linear
// filter started from rest can never exceed the sum of the magnitudes of its
// impulse response over the same span (each output is that response weighed
// by inputs of magnitude at most 1). That sum is computed here for the design
// in double, in double arithmetic, from k = rate / (2 pi f) directly. The
// design in double, with its history in double, must stay below it. The float
// design is that design rounded, and rounding norm moves the recursion's
// constant term by up to c4 * 2^-24 of itself, which at the low end (c4 up to
// 2^24) can leave the float design resonating louder than the one in double
// (up to about twice, over this grid) while it stays stable; it is held to
// four times the bound. A filter that runs away, or whose rounding feeds on
// itself, passes any such bound by orders of magnitude.
namespace
{
    constexpr double seconds = 2.0;

    struct Setting
    {
        float frequency, gainDb, damping;
    };

    float mapped (float value, double scale, double offset)
    {
        return static_cast<float> (scale * static_cast<double> (value) + offset);
    }

    // The wah's settings as its knobs reach them, and the distortion's.
    std::vector<Setting> reachableSettings()
    {
        static const float dampings[] { 0.0f, 0.001f, 0.002f, 0.005f, 0.01f, 0.02f, 0.03f, 0.05f, 0.075f, 0.1f,
                                        0.15f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.75f, 0.9f, 1.0f };
        std::vector<Setting> settings;
        for (int i = 0; i <= 20; ++i)
        {
            const float frequency = mapped (static_cast<float> (i) / 20.0f, 1000.0, 150.0);
            for (float damping : dampings)
                for (float gainKnob : { 0.0f, 0.5f, 1.0f })
                    settings.push_back ({ frequency, mapped (gainKnob, 80.0, -40.0), damping });
        }
        for (int i = 0; i <= 20; ++i)
            settings.push_back ({ mapped (static_cast<float> (i) / 20.0f, 1500.0, 300.0), 35.0f, 0.75f });
        return settings;
    }

    class FourPoleNoise : public testing::TestWithParam<int>
    {
    };
}

TEST_P (FourPoleNoise, FullScaleNoiseStaysWithinTheBoundOfTheDesignInDouble)
{
    const int rate = GetParam();
    const long samples = static_cast<long> (seconds * rate);

    double loudest = 0.0, tightestFloat = 0.0, tightestDouble = 0.0;
    int doubleDesigns = 0;
    float previousFrequency = -1.0f, previousDamping = -1.0f;
    double responseSum = 0.0;

    for (const Setting& s : reachableSettings())
    {
        if (s.frequency != previousFrequency || s.damping != previousDamping)
        {
            responseSum = four_pole_bound::impulseResponseSum (rate, s.frequency, s.damping, samples);
            previousFrequency = s.frequency;
            previousDamping = s.damping;
        }
        FourPoleFilter f (rate);
        f.setParameters (s.frequency, s.gainDb, s.damping);
        doubleDesigns += f.usesDoubleDesign ? 1 : 0;

        const double bound = (f.usesDoubleDesign ? 1.0 : 4.0) * std::pow (10.0, s.gainDb / 20.0) * responseSum;
        ASSERT_LT (bound, FourPoleFilter::runawayLimit / 10.0) << s.frequency << " Hz, damping " << s.damping;

        std::mt19937 rng (static_cast<unsigned> (rate) + static_cast<unsigned> (s.frequency));
        std::uniform_real_distribution<float> noise (-1.0f, 1.0f);
        double peak = 0.0;
        for (long n = 0; n < samples; ++n)
        {
            const float x = noise (rng);
            const float y = f.process (x);
            peak = std::max (peak, static_cast<double> (std::fabs (y)));
            // The guard leaves the input history at 0 when it fires.
            if (x != 0.0f && f.x1 != x)
                FAIL() << "the runaway guard fired at sample " << n << ": " << s.frequency << " Hz, " << s.gainDb
                       << " dB, damping " << s.damping;
        }

        ASSERT_TRUE (std::isfinite (peak));
        ASSERT_LE (peak, bound) << s.frequency << " Hz, " << s.gainDb << " dB, damping " << s.damping
                                << (f.usesDoubleDesign ? " (double design)" : " (float design)");
        loudest = std::max (loudest, peak);
        double& tightest = f.usesDoubleDesign ? tightestDouble : tightestFloat;
        tightest = std::max (tightest, peak / bound);
    }

    std::cout << rate << " Hz: " << doubleDesigns << " of " << reachableSettings().size()
              << " settings on the double design; loudest peak " << loudest << "; closest to the bound: "
              << tightestDouble << " of it (double design), " << tightestFloat << " of four times it (float design)\n";
}

INSTANTIATE_TEST_SUITE_P (Rates, FourPoleNoise, testing::Values (22050, 44100, 48000, 88200, 96000, 192000),
                          [] (const testing::TestParamInfo<int>& info) { return std::to_string (info.param); });
