#pragma once

#include "PluginParameterTable.h"

#include <juce_core/juce_core.h>

#include <array>
#include <optional>

// The settings a host stores with its project: the 17 values as the engine
// keeps them, in an XML document with a format version, wrapped in JUCE's
// binary header (magic number and length).
//
// Reading is forgiving, because a project may come from a newer Velthorn,
// be cut short or be damaged:
//   - not a Velthorn state at all (wrong header, shorter than its header
//     says, not XML, another root element) or one the XML parser must not
//     be given (see StateDocumentCheck): nothing is read, the caller keeps
//     its values;
//   - a newer format version: read the same way; what this version does not
//     know is ignored;
//   - a value missing, not a number or not finite: the default;
//   - a knob outside 0..1: clamped; a switch is on from 1 (the engine's
//     rule), so values above 1 are on and everything below 1 is off.
class PluginState final
{
public:
    using Values = std::array<float, PluginParameterTable::numParameters>;

    // The version this code writes.
    static constexpr int formatVersion = 1;

    // Any thread. The stored form of `values` (in table order).
    static juce::MemoryBlock write (const Values& values);

    // Any thread. The values a stored state holds, completed with `defaults`
    // as described above, or nothing when the data is not a Velthorn state.
    static std::optional<Values> read (const void* data, int sizeInBytes, const Values& defaults);
};
