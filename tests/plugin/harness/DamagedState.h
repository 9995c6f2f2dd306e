#pragma once

#include <juce_core/juce_core.h>

#include <string>

namespace harness
{
    // Any thread: a state document of the plugin wrapped as the framework
    // wraps one (magic number, length, text, a terminating zero). The length
    // written is the text's plus `extraLength`, for a header that claims
    // more than there is.
    juce::MemoryBlock wrappedDocument (const std::string& text, int extraLength = 0);

    // Any thread: the state this framework's LV2 host saved for the plugin
    // (a Turtle document), with the plugin's own state string replaced.
    // Throws when the saved state holds no such string.
    juce::MemoryBlock withLv2StateString (const juce::MemoryBlock& hostState, const std::string& stateString);

    // Any thread: the state this framework's VST3 host saved for the plugin,
    // with the component's part replaced by these bytes.
    juce::MemoryBlock withVst3ComponentState (const juce::MemoryBlock& hostState, const juce::MemoryBlock& componentState);
}
