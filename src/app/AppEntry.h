#pragma once

#include <optional>

// What the framework's START_JUCE_APPLICATION expands to, with --help and
// --version answered first: they must neither need a display nor open an
// audio device. Otherwise the exit code is the framework's. Each system's
// entry point (main in Main_posix.cpp, WinMain in Main_windows.cpp) is these
// two calls and the framework's main.
struct AppEntry final
{
    // Process entry, before the framework starts. `argv` as the C library
    // gives it, the program's name first. Returns the exit status when the
    // command line asked for something printed (or was refused), nothing
    // when the app should start.
    static std::optional<int> answerCommandLine (int argc, char** argv);

    // Process entry, before the framework's main: the application that main
    // creates is Velthorn's.
    static void registerApplication();

    AppEntry() = delete;
};
