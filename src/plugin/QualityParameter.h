#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

// The host parameter "Quality" (ID quality): the factor the plugin's chain
// runs at, 1x, 2x, 4x or 8x the host's rate (see AudioMidiHandler). Not
// automatable: a change starts the chain afresh, as a device restart does,
// and changes the plugin's latency. Saved with the project; a project from
// before it opens at 1x, the default.
class QualityParameter final : public juce::AudioParameterChoice
{
public:
    // Message thread.
    QualityParameter();

    // Any thread. The factor chosen: 1, 2, 4 or 8.
    int getFactor() const noexcept;

    // Any thread. The normalised value that stands for a factor (1 for
    // anything that is not 1, 2, 4 or 8).
    float normalisedFor (int factor) const noexcept;

    // Any thread. The factor of a choice index, 1 outside 0..3.
    static int factorForIndex (int index) noexcept;
};
