#pragma once

#include <juce_audio_utils/juce_audio_utils.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "AudioMidiHandler.h"
#include "FilmstripSlider.h"
#include "ImageToggleButton.h"

// The 800 x 600 main panel and the audio device host. It owns the device
// manager and the engine, opens the saved device setup at start-up, sends
// every control move to the engine at once, and copies the engine's values
// back into the controls every 50 ms, so MIDI changes and the output peak
// show on the panel. Message thread only.
class MainComponent final : public juce::Component,
                            public juce::Slider::Listener,
                            public juce::Button::Listener,
                            public juce::Timer
{
public:
    MainComponent();
    ~MainComponent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    void sliderValueChanged (juce::Slider* slider) override;
    void buttonClicked (juce::Button* button) override;

    // Every 50 ms: engine fields into the controls, without notifications.
    void timerCallback() override;

    // Runs the modal "Audio Settings" dialog, then saves the resulting device
    // setup at once rather than at exit.
    void showAudioSettings();

    // Declared first so it is built before, and destroyed after, everything
    // else of the panel.
    juce::AudioDeviceManager deviceManager;
    std::unique_ptr<AudioMidiHandler> audioMidiHandler;

private:
    void showFileMenu();

    juce::Image largeKnobImage;
    juce::Image smallKnobImage;
    juce::Image wahPedalImage;
    juce::Image switchImage;
    juce::Image backgroundImage;
    juce::Image meterImage;

    // Creation order, which is also the stacking order.
    std::unique_ptr<FilmstripSlider> distGainSlider;
    std::unique_ptr<FilmstripSlider> ampDrvSlider;
    std::unique_ptr<FilmstripSlider> delAmSlider;
    std::unique_ptr<FilmstripSlider> mastSlider;
    std::unique_ptr<FilmstripSlider> distFreqSlider;
    std::unique_ptr<FilmstripSlider> ampLoSlider;
    std::unique_ptr<FilmstripSlider> delTmeSlider;
    std::unique_ptr<FilmstripSlider> ampMidSlider;
    std::unique_ptr<FilmstripSlider> ampHiSlider;
    std::unique_ptr<FilmstripSlider> wahFreqSlider;
    std::unique_ptr<FilmstripSlider> wahResSlider;
    std::unique_ptr<FilmstripSlider> wahGainSlider;
    std::unique_ptr<FilmstripSlider> outputLevelSlider;
    std::unique_ptr<ImageToggleButton> distButton;
    std::unique_ptr<ImageToggleButton> ampButton;
    std::unique_ptr<ImageToggleButton> delButton;
    std::unique_ptr<ImageToggleButton> mastButton;
    std::unique_ptr<ImageToggleButton> wahButton;
    std::unique_ptr<juce::HyperlinkButton> creditLink;
    std::unique_ptr<juce::TextButton> fileButton;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainComponent)
};
