#include "CommandLineOptions.h"
#include "ParentConsole.h"
#include "VelthornApplication.h"

// What the framework's START_JUCE_APPLICATION expands to, with --help and
// --version answered first: they must neither need a display nor open an
// audio device. Otherwise the exit code is the framework's.
namespace
{
    std::optional<int> answerCommandLine (int argc, char** argv)
    {
        const std::vector<std::string> arguments (argv + (argc > 0 ? 1 : 0), argv + argc);

        // No argument: the app starts and prints nothing. Any argument ends
        // the process with something printed; only then is a console joined,
        // as a window attached to one would be ended with it.
        if (arguments.empty())
            return std::nullopt;

        const auto streams = ParentConsole::attach();
        return CommandLineOptions::answer (arguments, streams.output, streams.error);
    }

    void registerApplication()
    {
        juce::JUCEApplicationBase::createInstance = [] () -> juce::JUCEApplicationBase* { return new VelthornApplication(); };
    }
}

#if defined (_WIN32)

// A windowed program's entry point. The framework reads the command line
// from the system itself, so its main takes no arguments here; the C library
// has split it already (in the system's code page) for the options.
int __stdcall WinMain (struct HINSTANCE__*, struct HINSTANCE__*, char*, int)
{
    if (const auto status = answerCommandLine (__argc, __argv); status.has_value())
        return *status;

    registerApplication();
    return juce::JUCEApplicationBase::main();
}

#else

int main (int argc, char* argv[])
{
    if (const auto status = answerCommandLine (argc, argv); status.has_value())
        return *status;

    registerApplication();
    return juce::JUCEApplicationBase::main (argc, const_cast<const char**> (argv));
}

#endif
