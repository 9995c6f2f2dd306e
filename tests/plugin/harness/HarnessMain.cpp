#include <juce_events/juce_events.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <cstdlib>

#if ! defined (VELTHORN_LV2_BUNDLE)
 #error "the build must name the LV2 bundle"
#endif

// The harness is a small host: the framework's message thread is this
// process's main thread, where the tests run, so plugin editors and the
// plugins' message-thread work happen where a DAW would do them.
int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);

    // The LV2 host finds plugins through LV2_PATH: only the build tree, so an
    // installed copy cannot stand in for the plugin under test.
    const auto lv2Folder = juce::File (VELTHORN_LV2_BUNDLE).getParentDirectory().getFullPathName();
    ::setenv ("LV2_PATH", lv2Folder.toRawUTF8(), 1);

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
