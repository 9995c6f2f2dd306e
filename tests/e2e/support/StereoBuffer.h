#pragma once

#include <cstddef>
#include <vector>

namespace e2e
{
    // Two channels of 32-bit float samples of equal length.
    struct StereoBuffer final
    {
        std::vector<float> left;
        std::vector<float> right;

        // Any thread: the number of frames (samples per channel).
        size_t size() const noexcept { return left.size(); }

        // Any thread: both channels sized to numFrames, zero-filled.
        static StereoBuffer silence (size_t numFrames) { return { std::vector<float> (numFrames), std::vector<float> (numFrames) }; }
    };
}
