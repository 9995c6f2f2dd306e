#include "SoftClipper.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
    struct ClipCase
    {
        float x, threshold, expected;
    };

    class SoftClipperTable : public ::testing::TestWithParam<ClipCase> {};
}

TEST_P (SoftClipperTable, GivesTheDocumentedValue)
{
    const ClipCase c = GetParam();
    EXPECT_FLOAT_EQ (SoftClipper (c.x, c.threshold), c.expected);
}

INSTANTIATE_TEST_SUITE_P (Documented, SoftClipperTable,
                          ::testing::Values (ClipCase { 0.5f, 0.5f, 0.375f },
                                             ClipCase { 1.0f, 0.5f, 0.5f },
                                             ClipCase { 3.0f, 0.5f, 0.5f },
                                             ClipCase { -3.0f, 0.5f, -0.5f },
                                             ClipCase { -0.5f, 0.5f, -0.375f },
                                             ClipCase { 0.1f, 0.2f, 0.0875f },
                                             ClipCase { -0.1f, 0.2f, -0.0875f },
                                             ClipCase { 0.0f, 0.2f, 0.0f }));

TEST (SoftClipper, ReachesExactlyTheThresholdAtAndBeyondTwiceIt)
{
    for (float threshold : { 0.2f, 0.5f })
        for (float x : { 2.0f * threshold, 2.5f * threshold, 10.0f, 1.0e6f, std::numeric_limits<float>::infinity() })
        {
            EXPECT_EQ (SoftClipper (x, threshold), threshold) << x;
            EXPECT_EQ (SoftClipper (-x, threshold), -threshold) << x;
        }
}

TEST (SoftClipper, IsOddMonotonicAndBounded)
{
    for (float threshold : { 0.2f, 0.5f })
    {
        float previous = -threshold;
        for (int i = -4000; i <= 4000; ++i)
        {
            const float x = static_cast<float> (i) * 0.001f;
            const float y = SoftClipper (x, threshold);
            ASSERT_LE (std::fabs (y), threshold) << x;
            ASSERT_GE (y, previous) << x;
            ASSERT_EQ (SoftClipper (-x, threshold), -y) << x;
            previous = y;
        }
    }
}

TEST (SoftClipper, HasUnitSlopeNearZero)
{
    // y = x - x|x| / (4t): the correction is below float resolution for tiny x.
    EXPECT_EQ (SoftClipper (1.0e-9f, 0.5f), 1.0e-9f);
    EXPECT_EQ (SoftClipper (-1.0e-9f, 0.2f), -1.0e-9f);
    EXPECT_FLOAT_EQ (SoftClipper (1.0e-3f, 0.5f), 1.0e-3f - 1.0e-6f / 2.0f);
}

TEST (SoftClipper, PassesNaNThrough)
{
    EXPECT_TRUE (std::isnan (SoftClipper (std::numeric_limits<float>::quiet_NaN(), 0.5f)));
    EXPECT_TRUE (std::isnan (SoftClipper (std::numeric_limits<float>::quiet_NaN(), 0.2f)));
}
