#pragma once

#include "PluginParameterTable.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>

// The 17 host parameters of one plugin instance, made from the table with the
// engine's defaults, and the translation between a parameter's normalised
// value and the value the engine stores.
//
// The master switch doubles as the plugin's bypass where the format has a
// bypass parameter. Hosts read a bypass as "1 = bypassed", so there it is
// stored inverted: normalised 1 means master off. Its texts, its LV2-style
// real value (convertFrom0to1) and everything the engine sees stay "1 = on".
class HostParameters final
{
public:
    // Message thread, from the processor's constructor. Adds the parameters
    // to `processor`, which owns them; their defaults are `freshEngine`'s values.
    HostParameters (juce::AudioProcessor& processor, const AudioMidiHandler& freshEngine, bool masterIsBypass);

    // Any thread. The parameter at a table position.
    juce::RangedAudioParameter& at (int position) const noexcept { return *parameters[static_cast<size_t> (position)]; }

    // Any thread. The parameter's current value as the engine stores it, or
    // NaN while a host has left a NaN there (which is no value at all).
    float engineValue (int position) const noexcept;

    // Any thread. The normalised value that stands for an engine value.
    float normalisedFor (int position, float engineValue) const noexcept;

    // Any thread, without a lock: sets the value but tells nobody. The audio
    // thread uses it for MIDI changes; the host is told later from the
    // message thread.
    void setQuietly (int position, float engineValue) noexcept;

    // Any thread. The parameter's default as the engine stores it.
    float defaultValue (int position) const noexcept { return defaults[static_cast<size_t> (position)]; }

    // Any thread. True when the master switch is stored inverted (bypass).
    bool masterIsBypass() const noexcept { return masterInverted; }

private:
    std::array<juce::RangedAudioParameter*, PluginParameterTable::numParameters> parameters {};
    std::array<float, PluginParameterTable::numParameters> defaults {};
    const bool masterInverted;
};
