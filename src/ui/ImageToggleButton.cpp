#include "ImageToggleButton.h"

ImageToggleButton::ImageToggleButton (const juce::String& buttonName)
    : juce::ToggleButton (buttonName)
{
}

ImageToggleButton::~ImageToggleButton()
{
    stripImage = juce::Image();
}

void ImageToggleButton::setStripImage (const juce::Image& image, bool newHorizontalStrip)
{
    stripImage = image;

    if (stripImage.isValid())
    {
        horizontalStrip = newHorizontalStrip;

        // Two frames, integer division: an odd last row or column is never
        // drawn.
        if (horizontalStrip)
        {
            frameWidth = stripImage.getWidth() / 2;
            frameHeight = stripImage.getHeight();
        }
        else
        {
            frameWidth = stripImage.getWidth();
            frameHeight = stripImage.getHeight() / 2;
        }
    }

    repaint();
}

void ImageToggleButton::paintButton (juce::Graphics& g, bool, bool)
{
    if (stripImage.isNull())
        return;

    // Hover and pressed states are deliberately ignored: the picture changes
    // only when the click completes and the state flips.
    auto sourceX = 0;
    auto sourceY = 0;

    if (! getToggleState())
    {
        if (horizontalStrip)
            sourceX = frameWidth;
        else
            sourceY = frameHeight;
    }

    g.drawImage (stripImage,
                 0, 0, getWidth(), getHeight(),
                 sourceX, sourceY, frameWidth, frameHeight,
                 false);
}
