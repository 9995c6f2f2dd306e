#include "AppEntry.h"

#include "CommandLineOptions.h"
#include "ParentConsole.h"
#include "VelthornApplication.h"

std::optional<int> AppEntry::answerCommandLine (int argc, char** argv)
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

void AppEntry::registerApplication()
{
    juce::JUCEApplicationBase::createInstance = [] () -> juce::JUCEApplicationBase* { return new VelthornApplication(); };
}
