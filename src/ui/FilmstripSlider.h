#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A slider drawn from a filmstrip: one picture holding a row or column of
// equally sized frames, the first showing the minimum and the last the
// maximum. Everything but the drawing is the framework's slider; paint()
// copies the frame for the current value, scaled to the control.
// Message thread only.
class FilmstripSlider final : public juce::Slider
{
public:
    // Message thread. Range, style and text box stay the slider defaults.
    explicit FilmstripSlider (const juce::String& componentName);

    // Message thread.
    ~FilmstripSlider() override;

    // Message thread: installs a strip of frameCount frames (at least 1) and
    // repaints. A null image leaves nothing to draw; the previous
    // orientation and frame size are kept.
    void setStripImage (const juce::Image& image, bool horizontalStrip, int frameCount);

    // Message thread (called by the framework).
    void paint (juce::Graphics& g) override;

    // The owner and the tests read these; only setStripImage writes them.
    juce::Image stripImage;
    int frameCount = 0;
    bool horizontalStrip = true;
    int frameWidth = 0;
    int frameHeight = 0;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FilmstripSlider)
};
