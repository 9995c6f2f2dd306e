#include "CommandLineOptions.h"
#include "VelthornApplication.h"

// What the framework's START_JUCE_APPLICATION expands to, with --help and
// --version answered first: they must neither need a display nor open an
// audio device. Otherwise the exit code is the framework's.
int main (int argc, char* argv[])
{
    const std::vector<std::string> arguments (argv + (argc > 0 ? 1 : 0), argv + argc);

    if (const auto status = CommandLineOptions::answer (arguments, stdout, stderr); status.has_value())
        return *status;

    juce::JUCEApplicationBase::createInstance = [] () -> juce::JUCEApplicationBase* { return new VelthornApplication(); };
    return juce::JUCEApplicationBase::main (argc, const_cast<const char**> (argv));
}
