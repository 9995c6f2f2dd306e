#pragma once

#include "RenderOptions.h"

#include <cstdint>
#include <functional>
#include <string>

// One render from start to finish: reads the input file, plays it (and the
// MIDI file, if any) through a fresh AudioMidiHandler on an OfflineDevice,
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

    // Input files above this rate are refused: the engine keeps one second of
    // delay memory per run, and a damaged header could ask for gigabytes.
    static constexpr double maximumSampleRate = 768000.0;
    // Below this the engine's filters have no room to work in.
    static constexpr double minimumSampleRate = 1000.0;
    // More channels than any audio interface the engine is made for.
    static constexpr int maximumChannels = 64;

    // Main thread. Runs the render `options` describe. Returns an empty
    // string on success, otherwise a one-line reason; the output file is then
    // untouched. `onProgress` (may be empty) is called now and then.
    static std::string render (const RenderOptions& options,
                               const std::function<void (const Progress&)>& onProgress,
                               Summary& summary);

    Renderer() = delete;
};
