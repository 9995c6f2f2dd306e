#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// An on/off switch drawn from a two-frame picture: the first frame (top or
// left) shows it on, the second (bottom or right) off. Clicking, state,
// listeners and tooltips are the framework's toggle button; only the drawing
// is ours, with no hover or pressed look and no text. Message thread only.
class ImageToggleButton final : public juce::ToggleButton
{
public:
    // Message thread. The name is also the component name and the initial
    // (never drawn) button text; clicks toggle the state.
    explicit ImageToggleButton (const juce::String& buttonName);

    // Message thread.
    ~ImageToggleButton() override;

    // Message thread: installs the two-frame picture and repaints. A null
    // image leaves nothing to draw and keeps the previous orientation and
    // frame size.
    void setStripImage (const juce::Image& image, bool horizontalStrip);

    // The owner and the tests read these; only setStripImage writes them.
    juce::Image stripImage;
    bool horizontalStrip = true;
    int frameWidth = 0;
    int frameHeight = 0;

protected:
    // Message thread (called by the framework).
    void paintButton (juce::Graphics& g, bool isMouseOverButton, bool isButtonDown) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ImageToggleButton)
};
