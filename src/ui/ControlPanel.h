#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include "AudioMidiHandler.h"
#include "FilmstripSlider.h"
#include "ImageToggleButton.h"
#include "MessageLoopTicker.h"
#include "PanelHost.h"

#include <vector>

// The 800 x 600 panel: the background picture, a knob or a switch for every
// row of the control table (twelve knobs, five switches), the output meter,
// the credit link and the File button. Every control move goes to the host at
// once, and every 50 ms the engine's snapshot is copied back into the
// controls, so MIDI changes and the output peak show. The panel only reads
// the engine; the host decides where a move goes. Message thread only.
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

    // The strip a knob or a switch is drawn with.
    const juce::Image& stripFor (velthorn::controls::Picture picture) const;

    const AudioMidiHandler& engine;
    PanelHost& host;

    juce::Image largeKnobImage;
    juce::Image smallKnobImage;
    juce::Image wahPedalImage;
    juce::Image switchImage;
    juce::Image backgroundImage;   // the picture over white, composed once, opaque
    juce::Image meterImage;

    // Creation order, which is also the stacking order: the knobs in their
    // panel order, the meter, the switches in theirs. Each knob and switch
    // with the table position of its control beside it.
    std::vector<std::unique_ptr<FilmstripSlider>> knobs;
    std::vector<std::size_t> knobPositions;
    std::unique_ptr<FilmstripSlider> outputLevelSlider;
    std::vector<std::unique_ptr<ImageToggleButton>> switches;
    std::vector<std::size_t> switchPositions;
    std::unique_ptr<juce::HyperlinkButton> creditLink;
    std::unique_ptr<juce::TextButton> fileButton;

    // Wakes the message loop directly rather than through the framework's
    // timer thread, which costs several context switches per tick.
    MessageLoopTicker displayTicker { [this] { showEngineValues(); } };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ControlPanel)
};
