#include <juce_events/juce_events.h>

#include <gtest/gtest.h>

// The harness is a small host: the framework's message thread is this
// process's main thread, where the tests run, so plugin editors and the
// plugins' message-thread work happen where a DAW would do them.
int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    juce::ScopedJuceInitialiser_GUI framework;
    return RUN_ALL_TESTS();
}
