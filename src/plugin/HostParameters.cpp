#include "HostParameters.h"

#include "ParameterValueText.h"

#include <cmath>

namespace
{
    // Version hint of every parameter identifier; raised only if one is ever
    // reused with a different meaning.
    constexpr int parameterVersion = 1;

    std::unique_ptr<juce::RangedAudioParameter> makeKnob (const PluginParameterTable::Entry& entry, float defaultValue)
    {
        const auto attributes = juce::AudioParameterFloatAttributes()
            .withStringFromValueFunction ([&entry] (float value, int) { return ParameterValueText::toText (entry, value); })
            .withValueFromStringFunction ([&entry] (const juce::String& text) { return ParameterValueText::fromText (entry, text); });

        return std::make_unique<juce::AudioParameterFloat> (juce::ParameterID { entry.id, parameterVersion },
                                                            entry.name,
                                                            juce::NormalisableRange<float> (0.0f, 1.0f),
                                                            defaultValue,
                                                            attributes);
    }

    // `inverted`: the parameter's true means the switch is off.
    std::unique_ptr<juce::RangedAudioParameter> makeSwitch (const PluginParameterTable::Entry& entry, bool defaultOn, bool inverted)
    {
        const auto attributes = juce::AudioParameterBoolAttributes()
            .withStringFromValueFunction ([&entry, inverted] (bool value, int)
            {
                return ParameterValueText::toText (entry, value != inverted ? 1.0f : 0.0f);
            })
            .withValueFromStringFunction ([&entry, inverted] (const juce::String& text)
            {
                return (ParameterValueText::fromText (entry, text) >= 1.0f) != inverted;
            });

        return std::make_unique<juce::AudioParameterBool> (juce::ParameterID { entry.id, parameterVersion },
                                                           entry.name,
                                                           defaultOn != inverted,
                                                           attributes);
    }
}

HostParameters::HostParameters (juce::AudioProcessor& processor, const AudioMidiHandler& freshEngine, bool masterIsBypass)
    : masterInverted (masterIsBypass)
{
    const auto& table = PluginParameterTable::entries();

    for (size_t i = 0; i < table.size(); ++i)
    {
        const auto& entry = table[i];
        const auto defaultValue = PluginParameterTable::readEngine (freshEngine, entry);
        defaults[i] = defaultValue;
        const bool inverted = masterInverted && static_cast<int> (i) == PluginParameterTable::masterSwitchPosition;

        auto parameter = entry.isSwitch() ? makeSwitch (entry, defaultValue >= 1.0f, inverted)
                                          : makeKnob (entry, defaultValue);
        parameters[i] = parameter.get();
        processor.addParameter (parameter.release());
    }
}

float HostParameters::engineValue (int position) const noexcept
{
    const auto normalised = at (position).getValue();

    // The framework's parameters store what a host gives them; a NaN passes
    // their range unchanged, and a switch would otherwise read it as off.
    if (std::isnan (normalised))
        return normalised;

    if (! PluginParameterTable::entries()[static_cast<size_t> (position)].isSwitch())
        return normalised;

    const bool set = normalised >= 0.5f;
    const bool on = position == PluginParameterTable::masterSwitchPosition && masterInverted ? ! set : set;
    return on ? 1.0f : 0.0f;
}

float HostParameters::normalisedFor (int position, float engineValue) const noexcept
{
    if (! PluginParameterTable::entries()[static_cast<size_t> (position)].isSwitch())
        return juce::jlimit (0.0f, 1.0f, engineValue);

    // The engine's own rule: a switch is on from exactly 1.
    const bool on = engineValue >= 1.0f;
    const bool set = position == PluginParameterTable::masterSwitchPosition && masterInverted ? ! on : on;
    return set ? 1.0f : 0.0f;
}

void HostParameters::setQuietly (int position, float engineValue) noexcept
{
    // AudioProcessorParameter::setValue stores the value and nothing else;
    // setValueNotifyingHost would take the listener locks.
    static_cast<juce::AudioProcessorParameter&> (at (position)).setValue (normalisedFor (position, engineValue));
}
