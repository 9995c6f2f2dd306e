#pragma once

#include "PluginParameterTable.h"

#include <juce_core/juce_core.h>

#include <array>
#include <optional>

// The settings a host stores with its project: the 17 values as the engine
// keeps them and the quality (the oversampling factor, 1, 2, 4 or 8), in an
// XML document with a format version, wrapped in JUCE's binary header (magic
// number and length). The quality is one more parameter element, with the
// ID "quality" and the factor as its value, which a version without it
// passes over.
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

    // Any thread. The stored form of `values` (in table order) and the
    // oversampling factor.
    static juce::MemoryBlock write (const Values& values, int oversampling = 1);

    // Any thread. The values a stored state holds, completed with `defaults`
    // as described above, or nothing when the data is not a Velthorn state.
    static std::optional<Values> read (const void* data, int sizeInBytes, const Values& defaults);

    // Any thread. The oversampling factor a stored state holds: 1 when it
    // has none (a project from before the quality existed) or one that is
    // not 1, 2, 4 or 8; nothing when the data is not a Velthorn state (as
    // for read).
    static std::optional<int> readOversampling (const void* data, int sizeInBytes);
};
