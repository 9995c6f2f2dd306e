#include "SampleComparison.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace e2e
{
    namespace
    {
        uint32_t bitsOf (float value) noexcept
        {
            uint32_t bits;
            std::memcpy (&bits, &value, sizeof (bits));
            return bits;
        }

        std::string show (float value)
        {
            char text[64];
            std::snprintf (text, sizeof (text), "%.9g (0x%08" PRIx32 ")", static_cast<double> (value), bitsOf (value));
            return text;
        }
    }

    std::optional<size_t> firstNonZero (const std::vector<float>& samples)
    {
        for (size_t i = 0; i < samples.size(); ++i)
            if (samples[i] != 0.0f)
                return i;

        return std::nullopt;
    }

    ::testing::AssertionResult samplesBitwiseEqual (const std::string& what,
                                                    const std::vector<float>& expected, size_t expectedStart,
                                                    const std::vector<float>& actual, size_t actualStart,
                                                    size_t count)
    {
        if (expectedStart + count > expected.size() || actualStart + count > actual.size())
            return ::testing::AssertionFailure()
                   << what << ": cannot compare " << count << " samples from " << expectedStart << " (expected, "
                   << expected.size() << " in all) with those from " << actualStart << " (actual, "
                   << actual.size() << " in all)";

        size_t mismatches = 0;
        std::string firstFew;

        for (size_t k = 0; k < count; ++k)
        {
            const float e = expected[expectedStart + k];
            const float a = actual[actualStart + k];

            if (bitsOf (e) != bitsOf (a))
            {
                if (++mismatches <= 5)
                    firstFew += "\n  sample " + std::to_string (k) + ": expected " + show (e) + ", got " + show (a);
            }
        }

        if (mismatches == 0)
            return ::testing::AssertionSuccess();

        return ::testing::AssertionFailure()
               << what << ": " << mismatches << " of " << count << " samples differ (expected from index "
               << expectedStart << ", actual from index " << actualStart << ")" << firstFew;
    }

    ::testing::AssertionResult samplesSilent (const std::string& what, const std::vector<float>& samples,
                                              size_t begin, size_t end)
    {
        for (size_t i = begin; i < end && i < samples.size(); ++i)
            if (samples[i] != 0.0f)
                return ::testing::AssertionFailure()
                       << what << ": sample " << i << " is " << show (samples[i]) << ", expected silence in ["
                       << begin << ", " << end << ")";

        return ::testing::AssertionSuccess();
    }
}
