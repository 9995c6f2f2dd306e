#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "AudioMidiHandler.h"
#include "FilmstripSlider.h"
#include "ImageToggleButton.h"
#include "MessageLoopTicker.h"
#include "PanelHost.h"

// The 800 x 600 panel: the background picture, twelve knobs, the output
// meter, five switches, the credit link and the File button. Every control
// move goes to the host at once, and every 50 ms the engine's values are
// copied back into the controls, so MIDI changes and the output peak show.
// The panel only reads the engine; the host decides where a move goes.
// Message thread only.
class ControlPanel final : public juce::Component,
                           public juce::Slider::Listener,
                           public juce::Button::Listener
{
public:
    // Both must outlive the panel.
    ControlPanel (const AudioMidiHandler& engine, PanelHost& host);
    ~ControlPanel() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    void sliderValueChanged (juce::Slider* slider) override;
    void sliderDragStarted (juce::Slider* slider) override;
    void sliderDragEnded (juce::Slider* slider) override;
    void buttonClicked (juce::Button* button) override;

    // Every 50 ms, from the display ticker: engine fields into the controls,
    // without notifications.
    void showEngineValues();

    // Stops the 50 ms display updates (for hosts and tests that drive
    // showEngineValues themselves).
    void stopDisplayUpdates();

private:
    void showFileMenu();

    // The engine's parameter index of a knob, or -1 for the meter.
    int knobIndex (const juce::Slider* slider) const;

    const AudioMidiHandler& engine;
    PanelHost& host;

    juce::Image largeKnobImage;
    juce::Image smallKnobImage;
    juce::Image wahPedalImage;
    juce::Image switchImage;
    juce::Image backgroundImage;   // the picture over white, composed once, opaque
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

    // Wakes the message loop directly rather than through the framework's
    // timer thread, which costs several context switches per tick.
    MessageLoopTicker displayTicker { [this] { showEngineValues(); } };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ControlPanel)
};
