#include "PluginParameterTable.h"

namespace controls = velthorn::controls;

const std::array<PluginParameterTable::Entry, controls::numControls>& PluginParameterTable::entries() noexcept
{
    return controls::table;
}

int PluginParameterTable::positionForEngineIndex (int engineIndex) noexcept
{
    return controls::positionOfIndex (engineIndex);
}

int PluginParameterTable::positionForId (const char* id) noexcept
{
    return id != nullptr ? controls::positionOfId (id) : -1;
}

float PluginParameterTable::readEngine (const AudioMidiHandler& engine, const Entry& entry) noexcept
{
    return engine.controlValue (static_cast<std::size_t> (controls::positionOfIndex (entry.engineIndex)));
}
