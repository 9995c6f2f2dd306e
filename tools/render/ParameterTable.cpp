#include "ParameterTable.h"

#include <cmath>

const std::vector<ParameterTable::Entry>& ParameterTable::entries()
{
    static const std::vector<Entry> table {
        { "delTme",   0,  Kind::continuous },
        { "delAm",    1,  Kind::continuous },
        { "delOn",    2,  Kind::onOff },
        { "wahFreq",  3,  Kind::continuous },
        { "wahRes",   4,  Kind::continuous },
        { "wahGain",  5,  Kind::continuous },
        { "wahOn",    6,  Kind::onOff },
        { "distGain", 7,  Kind::continuous },
        { "distFreq", 8,  Kind::continuous },
        { "distOn",   9,  Kind::onOff },
        { "ampDrv",   10, Kind::continuous },
        { "ampLo",    11, Kind::continuous },
        { "ampMid",   12, Kind::continuous },
        { "ampHi",    13, Kind::continuous },
        { "ampOn",    14, Kind::onOff },
        { "mast",     15, Kind::continuous },
        { "mastOn",   17, Kind::onOff },
    };

    return table;
}

const ParameterTable::Entry* ParameterTable::find (std::string_view name)
{
    for (const auto& entry : entries())
        if (name == entry.name)
            return &entry;

    return nullptr;
}

std::string ParameterTable::describeAllowedValues (Kind kind)
{
    return kind == Kind::onOff ? "0 or 1" : "a value from 0 to 1";
}

bool ParameterTable::isAllowed (Kind kind, double value)
{
    if (! std::isfinite (value))
        return false;

    // The engine would also take 0.5 for a switch (it truncates), but on the
    // command line that is far more likely a mistake than a wish for "off".
    if (kind == Kind::onOff)
        return value == 0.0 || value == 1.0;

    return value >= 0.0 && value <= 1.0;
}

std::string ParameterTable::allNames()
{
    std::string names;

    for (const auto& entry : entries())
    {
        if (! names.empty())
            names += ", ";

        names += entry.name;
    }

    return names;
}
