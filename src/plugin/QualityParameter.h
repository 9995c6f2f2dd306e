#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>

// The host parameter "Quality" (ID quality): the factor the plugin's chain
// runs at, 1x, 2x, 4x or 8x the host's rate (see AudioMidiHandler). Not
// automatable: a change starts the chain afresh, as a device restart does,
// and changes the plugin's latency. Saved with the project; a project from
// before it opens at 1x, the default.
//
// A list of four, but on the range 0 to 1 (0, 1/3, 2/3, 1) rather than the
// list's indices: the framework's LV2 wrapper writes a list's choices into
// the plugin's description at normalised values, and an LV2 host that offers
// them as a menu sends those values back as the parameter's own. On 0..1
// both are the same, so every choice in the menu is the one it names.
//
// A non-finite value (NaN, either infinity) leaves the choice as it was; a
// finite value beyond 0..1 counts as the nearest end.
class QualityParameter final : public juce::RangedAudioParameter
{
public:
    // Message thread.
    QualityParameter();

    // Any thread. The factor chosen: 1, 2, 4 or 8.
    int getFactor() const noexcept;

    // Any thread. The normalised value that stands for a factor (that of 1
    // for anything that is not 1, 2, 4 or 8).
    float normalisedFor (int factor) const noexcept;

    // Any thread. The framework's parameter interface.
    const juce::NormalisableRange<float>& getNormalisableRange() const override { return range; }
    float getValue() const override;
    void setValue (float newValue) override;
    float getDefaultValue() const override { return 0.0f; }
    int getNumSteps() const override;
    bool isDiscrete() const override { return true; }
    juce::String getText (float normalisedValue, int maximumLength) const override;
    float getValueForText (const juce::String& text) const override;
    juce::StringArray getAllValueStrings() const override;

private:
    static int indexFor (float normalisedValue) noexcept;

    const juce::NormalisableRange<float> range;
    std::atomic<float> value { 0.0f };
};
