#pragma once

#include "PluginParameterTable.h"

#include <juce_core/juce_core.h>

// What a host shows for a parameter: the musician's value the chain makes of
// the stored 0..1 ("+16.0 dB", "290 ms", "1150 Hz", "On"), computed with the
// chain's own mappings, and the way back from a typed-in text.
class ParameterValueText final
{
public:
    // Any thread. `value` as the engine stores it (0..1, a switch 0 or 1).
    static juce::String toText (const PluginParameterTable::Entry& entry, float value);

    // Any thread. The stored value closest to what `text` says, clamped to
    // 0..1 (a switch: 1 for "on", "1" or "true", else 0). Units are optional.
    static float fromText (const PluginParameterTable::Entry& entry, const juce::String& text);
};
