#include "AppEntry.h"

#include <juce_events/juce_events.h>

#include <cstdlib>

// A windowed program's entry point. The framework reads the command line
// from the system itself, so its main takes no arguments here; the C library
// has split it already (in the system's code page) for the options.
int __stdcall WinMain (struct HINSTANCE__*, struct HINSTANCE__*, char*, int)
{
    if (const auto status = AppEntry::answerCommandLine (__argc, __argv); status.has_value())
        return *status;

    AppEntry::registerApplication();
    return juce::JUCEApplicationBase::main();
}
