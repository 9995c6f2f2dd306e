#include "ParameterValueText.h"

#include "ParameterMapping.h"

#include <algorithm>
#include <cmath>

namespace
{
    using Unit = PluginParameterTable::Unit;

    float physicalValue (const PluginParameterTable::Entry& entry, float value)
    {
        // The wah's floor is part of what it does, so the text shows it too.
        if (entry.mapping == &ParameterMapping::wahFrequency)
            return ParameterMapping::wahFrequencyHz (value);

        return entry.mapping != nullptr ? (*entry.mapping) (value) : value;
    }

    juce::String decibels (float db)
    {
        // One decimal, signed; a value that rounds to zero is plain "0.0".
        const auto tenths = std::round (static_cast<double> (db) * 10.0);

        if (tenths == 0.0)
            return "0.0 dB";

        return (tenths > 0.0 ? "+" : "") + juce::String (tenths / 10.0, 1) + " dB";
    }

    float clampedUnit (double value)
    {
        if (! std::isfinite (value))
            return 0.0f;

        return static_cast<float> (std::clamp (value, 0.0, 1.0));
    }
}

juce::String ParameterValueText::toText (const PluginParameterTable::Entry& entry, float value)
{
    switch (entry.unit)
    {
        case Unit::onOff:
            return value >= 1.0f ? "On" : "Off";

        case Unit::milliseconds:
        {
            // The echo loop never exceeds the one-second memory.
            const auto seconds = std::min (value, ParameterMapping::maximumDelayTime);
            return juce::String (juce::roundToInt (seconds * 1000.0f)) + " ms";
        }

        case Unit::percent:
            return juce::String (juce::roundToInt (value * 100.0f)) + " %";

        case Unit::hertz:
            return juce::String (juce::roundToInt (physicalValue (entry, value))) + " Hz";

        case Unit::decibels:
            return decibels (physicalValue (entry, value));

        case Unit::plain:
            break;
    }

    return juce::String (value, 2);
}

float ParameterValueText::fromText (const PluginParameterTable::Entry& entry, const juce::String& text)
{
    const auto trimmed = text.trim();

    if (entry.unit == Unit::onOff)
    {
        const auto lower = trimmed.toLowerCase();
        return lower == "on" || lower == "true" || trimmed.getDoubleValue() >= 1.0 ? 1.0f : 0.0f;
    }

    // getDoubleValue reads the leading number and ignores the unit after it.
    const auto number = trimmed.getDoubleValue();

    switch (entry.unit)
    {
        case Unit::milliseconds: return clampedUnit (number / 1000.0);
        case Unit::percent:      return clampedUnit (number / 100.0);
        case Unit::hertz:
        case Unit::decibels:
            if (entry.mapping != nullptr)
                return clampedUnit ((number - entry.mapping->offset) / entry.mapping->scale);
            break;
        case Unit::plain:
        case Unit::onOff:
            break;
    }

    return clampedUnit (number);
}
