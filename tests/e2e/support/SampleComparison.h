#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace e2e
{
    // Any thread: index of the first sample that is not zero, if any.
    std::optional<size_t> firstNonZero (const std::vector<float>& samples);

    // Any thread: whether actual[actualStart + k] has exactly the bits of
    // expected[expectedStart + k] for k in 0..count-1. On failure, says how
    // many differ and shows the first few, with their bit patterns.
    ::testing::AssertionResult samplesBitwiseEqual (const std::string& what,
                                                    const std::vector<float>& expected, size_t expectedStart,
                                                    const std::vector<float>& actual, size_t actualStart,
                                                    size_t count);

    // Any thread: whether samples[begin .. end-1] are all zero.
    ::testing::AssertionResult samplesSilent (const std::string& what, const std::vector<float>& samples,
                                              size_t begin, size_t end);
}
