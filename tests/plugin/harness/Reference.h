#pragma once

#include "Scenario.h"

#include <juce_audio_basics/juce_audio_basics.h>

namespace harness
{
    // Message thread: what velthorn-render makes of the scenario: its input
    // as a 32-bit float WAV, its settings as --set, its automation and MIDI
    // as control changes in a MIDI file whose ticks are samples. Only for
    // scenarios whose automation MIDI can express. Throws with the tool's
    // output when the render fails.
    juce::AudioBuffer<float> renderWithTool (const Scenario& scenario, const juce::File& workFolder);
}
