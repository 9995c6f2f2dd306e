#include "ParameterTable.h"

#include "ControlTable.h"

#include <cmath>

const std::vector<ParameterTable::Entry>& ParameterTable::entries()
{
    // The control table's rows, named by their ids.
    static const std::vector<Entry> table = []
    {
        std::vector<Entry> named;

        for (const auto& control : velthorn::controls::table)
            named.push_back ({ control.id, control.engineIndex, control.isSwitch() ? Kind::onOff : Kind::continuous });

        return named;
    }();

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
