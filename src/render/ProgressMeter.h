#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>

// A one-line progress bar with percentage and speed in multiples of real
// time, redrawn in place with a carriage return.
class ProgressMeter final
{
public:
    enum class Mode
    {
        off,
        whenSlow,   // only once a render has run for half a second
        always
    };

    // Main thread. Nothing is drawn until the first update().
    ProgressMeter (std::FILE* stream, Mode mode, double sampleRate, int64_t totalSamples);

    // Main thread. `samplesDone` of the total are written.
    void update (int64_t samplesDone);

    // Main thread. Draws the final state and ends the line, if anything was
    // drawn at all.
    void finish();

private:
    using Clock = std::chrono::steady_clock;

    void draw (int64_t samplesDone);

    std::FILE* const stream;
    const Mode mode;
    const double sampleRate;
    const int64_t totalSamples;
    const Clock::time_point started = Clock::now();
    Clock::time_point lastDrawn {};
    int64_t lastDone = 0;
    bool shown = false;
};
