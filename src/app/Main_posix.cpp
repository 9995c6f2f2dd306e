#include "AppEntry.h"

#include <juce_events/juce_events.h>

int main (int argc, char* argv[])
{
    if (const auto status = AppEntry::answerCommandLine (argc, argv); status.has_value())
        return *status;

    AppEntry::registerApplication();
    return juce::JUCEApplicationBase::main (argc, const_cast<const char**> (argv));
}
