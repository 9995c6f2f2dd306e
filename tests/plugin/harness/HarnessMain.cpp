#include "HostedFormats.h"

#include <juce_events/juce_events.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

// The harness is a small host: the framework's message thread is this
// process's main thread, where the tests run, so plugin editors and the
// plugins' message-thread work happen where a DAW would do them.
int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);

    harness::prepareHostEnvironment();

    // The framework installs its X error handlers only for a standalone
    // application; without them Xlib's default handler ends the process on
    // the harmless errors a bare X server (no window manager) gives for
    // window-manager properties as soon as an editor window opens. A DAW
    // has handlers of its own, so the harness runs the framework in that
    // mode too. The function is never called.
    juce::JUCEApplicationBase::createInstance = [] () -> juce::JUCEApplicationBase* { return nullptr; };

    juce::ScopedJuceInitialiser_GUI framework;
    return RUN_ALL_TESTS();
}
