#include "PluginParameterTable.h"

#include <cstring>

namespace
{
    using Unit = PluginParameterTable::Unit;
    using Handler = AudioMidiHandler;

    namespace Map = ParameterMapping;

    constexpr std::array<PluginParameterTable::Entry, PluginParameterTable::numParameters> table { {
        { "delTme",   "Delay Time",           0,  Unit::milliseconds, &Handler::delTme,   nullptr,          nullptr },
        { "delAm",    "Delay Amount",         1,  Unit::percent,      &Handler::delAm,    nullptr,          nullptr },
        { "delOn",    "Delay",                2,  Unit::onOff,        nullptr,            &Handler::delOn,  nullptr },
        { "wahFreq",  "Wah Frequency",        3,  Unit::hertz,        &Handler::wahFreq,  nullptr,          &Map::wahFrequency },
        { "wahRes",   "Wah Resonance",        4,  Unit::plain,        &Handler::wahRes,   nullptr,          nullptr },
        { "wahGain",  "Wah Gain",             5,  Unit::decibels,     &Handler::wahGain,  nullptr,          &Map::wahGain },
        { "wahOn",    "Wah",                  6,  Unit::onOff,        nullptr,            &Handler::wahOn,  nullptr },
        { "distGain", "Distortion Gain",      7,  Unit::decibels,     &Handler::distGain, nullptr,          &Map::distortionGain },
        { "distFreq", "Distortion Frequency", 8,  Unit::hertz,        &Handler::distFreq, nullptr,          &Map::distortionFrequency },
        { "distOn",   "Distortion",           9,  Unit::onOff,        nullptr,            &Handler::distOn, nullptr },
        { "ampDrv",   "Amp Drive",            10, Unit::decibels,     &Handler::ampDrv,   nullptr,          &Map::ampDrive },
        { "ampLo",    "Amp Low",              11, Unit::decibels,     &Handler::ampLo,    nullptr,          &Map::tone },
        { "ampMid",   "Amp Mid",              12, Unit::decibels,     &Handler::ampMid,   nullptr,          &Map::tone },
        { "ampHi",    "Amp High",             13, Unit::decibels,     &Handler::ampHi,    nullptr,          &Map::tone },
        { "ampOn",    "Amp",                  14, Unit::onOff,        nullptr,            &Handler::ampOn,  nullptr },
        { "mast",     "Master Level",         15, Unit::decibels,     &Handler::mast,     nullptr,          &Map::outputLevel },
        { "mastOn",   "Master",               17, Unit::onOff,        nullptr,            &Handler::mastOn, nullptr },
    } };

    static_assert (table[PluginParameterTable::masterSwitchPosition].engineIndex == 17);
}

const std::array<PluginParameterTable::Entry, PluginParameterTable::numParameters>& PluginParameterTable::entries() noexcept
{
    return table;
}

int PluginParameterTable::positionForEngineIndex (int engineIndex) noexcept
{
    for (int i = 0; i < numParameters; ++i)
        if (table[static_cast<size_t> (i)].engineIndex == engineIndex)
            return i;

    return -1;
}

int PluginParameterTable::positionForId (const char* id) noexcept
{
    for (int i = 0; i < numParameters; ++i)
        if (std::strcmp (table[static_cast<size_t> (i)].id, id) == 0)
            return i;

    return -1;
}

float PluginParameterTable::readEngine (const AudioMidiHandler& engine, const Entry& entry) noexcept
{
    if (entry.isSwitch())
        return static_cast<float> ((engine.*entry.onOff).load (std::memory_order_relaxed));

    return (engine.*entry.knob).load (std::memory_order_relaxed);
}
