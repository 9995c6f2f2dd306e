#pragma once

#include "RenderOptions.h"

#include <cstdint>
#include <functional>
#include <string>

// One render from start to finish: reads the input file, plays it (and the
// MIDI file, if any) through a fresh AudioMidiHandler, block by block,
// and writes the output through a PendingOutputFile.
class Renderer final
{
public:
    struct Progress
    {
        int64_t samplesDone = 0;
        int64_t totalSamples = 0;
        double sampleRate = 0.0;
    };

    struct Summary
    {
        int64_t samplesWritten = 0;   // per channel
        int64_t clippedSamples = 0;   // beyond full scale in a clipping format, per channel
        double sampleRate = 0.0;
        int numChannels = 0;
    };

    // Main thread. Runs the render `options` describe. Returns an empty
    // string on success, otherwise a one-line reason; the output file is then
    // untouched. `onProgress` (may be empty) is called now and then.
    static std::string render (const RenderOptions& options,
                               const std::function<void (const Progress&)>& onProgress,
                               Summary& summary);

    Renderer() = delete;
};
