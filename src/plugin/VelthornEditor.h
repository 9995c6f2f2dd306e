#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

class VelthornProcessor;

// The plugin's window.
class VelthornEditor final : public juce::AudioProcessorEditor
{
public:
    // Message thread.
    explicit VelthornEditor (VelthornProcessor& processor);
    // Message thread.
    ~VelthornEditor() override;

    // Message thread.
    void resized() override;

private:
    juce::GenericAudioProcessorEditor generic;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VelthornEditor)
};
