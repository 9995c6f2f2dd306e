#pragma once

#include "StereoBuffer.h"

#include <cstddef>

namespace e2e
{
    // Test thread: a deterministic stereo test signal within -0.5..0.5.
    // Left is white noise, right an exponential sine sweep, so the two inputs
    // differ and a swapped, dropped or doubled channel shows. Frame 0 is a
    // marker (left 0.5, right 0.25): the signal starts with a non-zero sample
    // whatever comes after, so a recording can be aligned on its first
    // non-zero sample rather than on a guessed latency.
    StereoBuffer makeTestSignal (size_t numFrames, double sampleRate);

    // Test thread: the same sine on both channels, starting at phase 0, so
    // its first frame is silent and its second is not.
    StereoBuffer makeSineTone (size_t numFrames, double sampleRate, double frequencyHz, float amplitude);
}
