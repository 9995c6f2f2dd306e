// velthorn-render: runs the Velthorn engine over audio files. See --help.

#include "InterruptCleanup.h"
#include "ProgressMeter.h"
#include "RenderOptions.h"
#include "Renderer.h"
#include "VelthornVersion.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
    enum ExitStatus
    {
        done = 0,
        renderFailed = 1,
        badCommandLine = 2
    };

    void printError (const std::string& message)
    {
        std::fprintf (stderr, "velthorn-render: %s\n", message.c_str());
    }

    ProgressMeter::Mode progressModeFor (RenderOptions::Progress progress)
    {
        switch (progress)
        {
            case RenderOptions::Progress::always:    return ProgressMeter::Mode::always;
            case RenderOptions::Progress::never:     return ProgressMeter::Mode::off;
            case RenderOptions::Progress::automatic: break;
        }

        return ::isatty (STDERR_FILENO) != 0 ? ProgressMeter::Mode::whenSlow : ProgressMeter::Mode::off;
    }
}

int main (int argc, char* argv[])
{
    const std::vector<std::string> arguments (argv + (argc > 0 ? 1 : 0), argv + argc);
    RenderOptions options;

    if (auto error = RenderOptions::parse (arguments, options); ! error.empty())
    {
        printError (error);
        return badCommandLine;
    }

    if (options.showHelp)
    {
        std::fputs (RenderOptions::usage().c_str(), stdout);
        return done;
    }

    if (options.showVersion)
    {
        std::printf ("velthorn-render %s\n"
                     "Copyright (C) 2026 The Velthorn developers\n"
                     "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
                     "This is free software: you are free to change and redistribute it.\n"
                     "There is NO WARRANTY, to the extent permitted by law.\n",
                     velthorn::versionString);
        return done;
    }

    InterruptCleanup::install();

    const auto mode = progressModeFor (options.progress);
    std::unique_ptr<ProgressMeter> meter;

    const auto onProgress = [&] (const Renderer::Progress& progress)
    {
        if (meter == nullptr)
            meter = std::make_unique<ProgressMeter> (stderr, mode, progress.sampleRate, progress.totalSamples);

        meter->update (progress.samplesDone);
    };

    Renderer::Summary summary;
    std::string error;

    try
    {
        error = Renderer::render (options, onProgress, summary);
    }
    catch (const std::bad_alloc&)
    {
        error = "there is not enough memory for this render";
    }
    catch (const std::exception& e)
    {
        // Everything Renderer owns has been cleaned up on the way here,
        // the half-written output included.
        error = std::string ("unexpected failure: ") + e.what();
    }

    if (meter != nullptr)
        meter->finish();

    if (! error.empty())
    {
        printError (error);
        return renderFailed;
    }

    if (summary.clippedSamples > 0 && options.progress != RenderOptions::Progress::never)
        printError ("warning: " + std::to_string (summary.clippedSamples) + " samples beyond full scale were clipped in the "
                    + options.outputFormat.describe() + " output (a .wav without --bits keeps them as 32-bit float)");

    return done;
}
