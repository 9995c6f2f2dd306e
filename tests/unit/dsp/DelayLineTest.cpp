#include "DelayLine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace
{
    // Feeds an impulse of 1 followed by silence and returns every output.
    std::vector<float> impulseResponse (EffectState& state, float delayTime, float amount, int length)
    {
        std::vector<float> out (static_cast<size_t> (length));
        for (int n = 0; n < length; ++n)
            out[static_cast<size_t> (n)] = processDelay (state, n == 0 ? 1.0f : 0.0f, delayTime, amount);
        return out;
    }

    // The loop length: the position of the first echo of an impulse.
    int loopLength (int sampleRate, float delayTime)
    {
        EffectState state (sampleRate);
        const std::vector<float> out = impulseResponse (state, delayTime, 0.5f, sampleRate + 2);
        for (size_t n = 1; n < out.size(); ++n)
            if (out[n] != 0.0f)
                return static_cast<int> (n);
        return -1;
    }

    struct LengthCase
    {
        std::string name;
        int sampleRate;
        float delayTime;
        int expectedLength;
    };

    class DelayLoopLength : public ::testing::TestWithParam<LengthCase> {};
}

TEST_P (DelayLoopLength, EchoesAfterTheLoopLength)
{
    const LengthCase c = GetParam();
    EXPECT_EQ (loopLength (c.sampleRate, c.delayTime), c.expectedLength);
}

INSTANTIATE_TEST_SUITE_P (
    Times, DelayLoopLength,
    ::testing::Values (LengthCase { "HalfSecond", 44100, 0.5f, 22050 },
                       LengthCase { "OneSecond", 44100, 1.0f, 44100 },
                       LengthCase { "TwoSecondsCountAsOne", 44100, 2.0f, 44100 },
                       LengthCase { "InfinityCountsAsOne", 44100, std::numeric_limits<float>::infinity(), 44100 },
                       LengthCase { "TwentyTwoPointOhFiveSamples", 44100, 0.0005f, 22 },
                       LengthCase { "TenthOfASecond", 44100, 0.1f, 4410 },
                       LengthCase { "Zero", 44100, 0.0f, 1 },
                       LengthCase { "BelowOneSample", 44100, 0.00002f, 1 },
                       LengthCase { "Negative", 44100, -0.3f, 1 },
                       LengthCase { "MinusInfinity", 44100, -std::numeric_limits<float>::infinity(), 1 },
                       LengthCase { "QuarterSecondAt48k", 48000, 0.25f, 12000 },
                       LengthCase { "NaNBehavesAsTheWholeBuffer", 44100, std::numeric_limits<float>::quiet_NaN(), 44100 }),
    [] (const ::testing::TestParamInfo<LengthCase>& info) { return info.param.name; });

TEST (DelayLine, ImpulseAtHalfASecondEchoesAtHalvingLevels)
{
    EffectState state (44100);
    const std::vector<float> out = impulseResponse (state, 0.5f, 0.5f, 70000);
    for (size_t n = 0; n < out.size(); ++n)
    {
        float expected = 0.0f;
        switch (n)
        {
            case 0: expected = 1.0f; break;
            case 22050: expected = 0.5f; break;
            case 44100: expected = 0.25f; break;
            case 66150: expected = 0.125f; break;
            default: break;
        }
        ASSERT_EQ (out[n], expected) << n;
    }
}

TEST (DelayLine, ZeroTimeIsAOneSampleFeedbackLoop)
{
    EffectState state (44100);
    const std::vector<float> out = impulseResponse (state, 0.0f, 0.5f, 6);
    const float expected[] = { 1.0f, 0.5f, 0.25f, 0.125f, 0.0625f, 0.03125f };
    for (size_t n = 0; n < out.size(); ++n)
        EXPECT_EQ (out[n], expected[n]) << n;
    EXPECT_EQ (state.delayWriteIndex, 0);
}

TEST (DelayLine, TwoSecondsBehavesExactlyAsOne)
{
    EffectState one (44100), two (44100);
    std::mt19937 rng (5u);
    std::uniform_real_distribution<float> dist (-1.0f, 1.0f);
    for (int n = 0; n < 100000; ++n)
    {
        const float x = dist (rng);
        ASSERT_EQ (processDelay (one, x, 1.0f, 0.7f), processDelay (two, x, 2.0f, 0.7f)) << n;
        ASSERT_EQ (one.delayWriteIndex, two.delayWriteIndex) << n;
    }
}

TEST (DelayLine, StoresTheSumScaledByTheAmount)
{
    EffectState state (44100);
    state.delayBuffer[0] = 0.3f;
    const float out = processDelay (state, 0.2f, 0.5f, 0.7f);
    EXPECT_EQ (out, 0.3f + 0.2f);
    EXPECT_EQ (state.delayBuffer[0], static_cast<float> ((static_cast<double> (0.3f) + static_cast<double> (0.2f)) * static_cast<double> (0.7f)));
    EXPECT_EQ (state.delayWriteIndex, 1);
}

TEST (DelayLine, ZeroAmountPassesTheInputOnceTheLoopHasBeenCleared)
{
    EffectState state (44100);
    impulseResponse (state, 0.01f, 0.9f, 2000);   // leave echoes in the loop

    const int length = 441;
    std::mt19937 rng (11u);
    std::uniform_real_distribution<float> dist (-1.0f, 1.0f);
    for (int n = 0; n < 3 * length; ++n)
    {
        const float x = dist (rng);
        const float out = processDelay (state, x, 0.01f, 0.0f);
        if (n >= length)
            ASSERT_EQ (out, x) << n;
    }
    for (int i = 0; i < length; ++i)
        EXPECT_EQ (state.delayBuffer[i], 0.0f) << i;
}

TEST (DelayLine, ShorterTimeTakesEffectAfterTheCurrentPosition)
{
    EffectState state (44100);
    for (int n = 0; n < 30000; ++n)
        processDelay (state, 0.0f, 1.0f, 0.5f);
    ASSERT_EQ (state.delayWriteIndex, 30000);

    state.delayBuffer[30000] = 0.3f;
    state.delayBuffer[0] = 0.7f;
    EXPECT_EQ (processDelay (state, 0.0f, 0.1f, 0.5f), 0.3f);   // still the old position
    EXPECT_EQ (state.delayWriteIndex, 0);
    EXPECT_EQ (processDelay (state, 0.0f, 0.1f, 0.5f), 0.7f);   // then back to the start
    EXPECT_EQ (state.delayWriteIndex, 1);
}

TEST (DelayLine, NaNTimeNeverLeavesTheBuffer)
{
    // The loop-length test is false for a NaN time, so the index relies on the
    // buffer-end test alone; without it this would write past the buffer.
    for (int rate : { 44100, 8000, 1 })
    {
        EffectState state (rate);
        int wraps = 0;
        for (int n = 0; n < 3 * rate + 7; ++n)
        {
            const float out = processDelay (state, 0.25f, std::numeric_limits<float>::quiet_NaN(), 0.5f);
            ASSERT_TRUE (std::isfinite (out)) << n;
            ASSERT_GE (state.delayWriteIndex, 0) << n;
            ASSERT_LT (state.delayWriteIndex, rate) << n;
            if (state.delayWriteIndex == 0)
                ++wraps;
        }
        EXPECT_EQ (wraps, 3 + (rate == 1 ? 7 : 0)) << rate;
    }
}
