#pragma once

#include "BiquadSection.h"

#include <gtest/gtest.h>

// Two sections carry the same design when all six coefficients match to the bit.
inline void expectSameDesign (const BiquadSection& actual, const BiquadSection& expected)
{
    EXPECT_EQ (actual.a0, expected.a0);
    EXPECT_EQ (actual.a1, expected.a1);
    EXPECT_EQ (actual.a2, expected.a2);
    EXPECT_EQ (actual.b0, expected.b0);
    EXPECT_EQ (actual.b1, expected.b1);
    EXPECT_EQ (actual.b2, expected.b2);
}
