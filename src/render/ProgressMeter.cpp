#include "ProgressMeter.h"

#include <algorithm>
#include <string>

namespace
{
    constexpr auto startDelay = std::chrono::milliseconds (500);
    constexpr auto redrawInterval = std::chrono::milliseconds (100);
    constexpr int barWidth = 30;
}

ProgressMeter::ProgressMeter (std::FILE* streamToUse, Mode modeToUse, double rate, int64_t total)
    : stream (streamToUse),
      mode (modeToUse),
      sampleRate (rate),
      totalSamples (total)
{
}

void ProgressMeter::update (int64_t samplesDone)
{
    lastDone = samplesDone;

    if (mode == Mode::off)
        return;

    const auto now = Clock::now();

    // Short renders finish before a bar would be any help.
    if (mode == Mode::whenSlow && now - started < startDelay)
        return;

    if (shown && now - lastDrawn < redrawInterval)
        return;

    lastDrawn = now;
    draw (samplesDone);
}

void ProgressMeter::finish()
{
    if (mode == Mode::always || shown)
    {
        draw (lastDone);
        std::fputc ('\n', stream);
        std::fflush (stream);
    }
}

void ProgressMeter::draw (int64_t samplesDone)
{
    shown = true;

    const auto fraction = totalSamples > 0 ? std::clamp (static_cast<double> (samplesDone) / static_cast<double> (totalSamples), 0.0, 1.0)
                                           : 1.0;
    const auto filled = static_cast<int> (fraction * barWidth);
    const std::string bar = std::string (static_cast<size_t> (filled), '#') + std::string (static_cast<size_t> (barWidth - filled), '-');

    const auto elapsed = std::chrono::duration<double> (Clock::now() - started).count();
    const auto audioSeconds = sampleRate > 0.0 ? static_cast<double> (samplesDone) / sampleRate : 0.0;

    if (elapsed > 0.0)
        std::fprintf (stream, "\r[%s] %3d%%  %.1fx real time ", bar.c_str(), static_cast<int> (fraction * 100.0), audioSeconds / elapsed);
    else
        std::fprintf (stream, "\r[%s] %3d%%", bar.c_str(), static_cast<int> (fraction * 100.0));

    std::fflush (stream);
}
