#pragma once

#include <juce_audio_utils/juce_audio_utils.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "AudioMidiHandler.h"

// The 800 x 600 main panel and the audio device host: owns the device
// manager and the engine, opens the saved device setup at start-up and stores
// it again after the audio settings dialog. Message thread only.
class MainComponent final : public juce::Component
{
public:
    MainComponent();
    ~MainComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    // Message thread: runs the modal "Audio Settings" dialog, then saves the
    // resulting device setup at once.
    void showAudioSettings();

    // The device manager must outlive everything else of the panel, so it is
    // the first member.
    juce::AudioDeviceManager deviceManager;
    std::unique_ptr<AudioMidiHandler> audioMidiHandler;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainComponent)
};
