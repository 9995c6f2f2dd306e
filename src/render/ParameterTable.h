#pragma once

#include <string>
#include <string_view>
#include <vector>

// The engine's parameters and switches as the command line names them (the
// control table's ids), with the index AudioMidiHandler::setParameter takes
// for each and the values it accepts. Index 16 is a free slot in the engine
// and has no name here.
class ParameterTable final
{
public:
    enum class Kind
    {
        continuous,   // any value in 0..1
        onOff         // exactly 0 or 1
    };

    struct Entry
    {
        const char* name;
        int index;
        Kind kind;
    };

    // Any thread. Every named parameter, in the control table's order.
    static const std::vector<Entry>& entries();

    // Any thread. The entry called exactly `name` (case matters), or nullptr.
    static const Entry* find (std::string_view name);

    // Any thread. "a value from 0 to 1" or "0 or 1", for error messages.
    static std::string describeAllowedValues (Kind kind);

    // Any thread. True when `value` is acceptable for a parameter of this kind.
    static bool isAllowed (Kind kind, double value);

    // Any thread. All names, comma separated, for error messages and the help.
    static std::string allNames();
};
