#pragma once

#include "StereoBuffer.h"

#include <functional>

class AudioMidiHandler;

namespace e2e
{
    // Test thread: what the real engine makes of `input` on a fresh device
    // run: a new AudioMidiHandler, prepared at sampleRate and blockSize, fed
    // both channels in blocks of blockSize through the same callback a device
    // calls. `configure` may change parameters before the first block, to
    // mirror what a test did to the running app.
    StereoBuffer renderThroughEngine (const StereoBuffer& input, double sampleRate, int blockSize,
                                      const std::function<void (AudioMidiHandler&)>& configure = {});
}
