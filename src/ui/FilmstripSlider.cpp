#include "FilmstripSlider.h"

FilmstripSlider::FilmstripSlider (const juce::String& componentName)
    : juce::Slider (componentName)
{
}

FilmstripSlider::~FilmstripSlider()
{
    stripImage = juce::Image();
}

void FilmstripSlider::setStripImage (const juce::Image& image, bool newHorizontalStrip, int newFrameCount)
{
    stripImage = image;

    if (stripImage.isNull())
    {
        frameCount = 0;
    }
    else
    {
        // A count below one has no frames to divide the picture into (and
        // would divide by zero): the whole picture is then the one frame.
        jassert (newFrameCount >= 1);
        frameCount = juce::jmax (1, newFrameCount);
        horizontalStrip = newHorizontalStrip;

        // Integer division: leftover pixels at the end of a strip whose
        // length is not a multiple of the count are never drawn.
        if (horizontalStrip)
        {
            frameWidth = stripImage.getWidth() / frameCount;
            frameHeight = stripImage.getHeight();
        }
        else
        {
            frameWidth = stripImage.getWidth();
            frameHeight = stripImage.getHeight() / frameCount;
        }
    }

    repaint();
}

void FilmstripSlider::paint (juce::Graphics& g)
{
    if (stripImage.isNull())
        return;

    // Linear in the value, whatever the skew, and truncated: the last frame
    // shows only at exactly the maximum. The slider keeps its value inside
    // its range, so the index stays inside the strip. An empty range has no
    // defined position; it shows the first frame rather than converting a
    // division by zero into an index.
    const auto span = getMaximum() - getMinimum();
    const auto position = span > 0.0 ? (getValue() - getMinimum()) / span * (double) (frameCount - 1)
                                     : 0.0;
    const auto index = (int) position;

    auto destWidth = getWidth();
    auto destHeight = getHeight();

    // The text box below takes its height off both dimensions, which keeps a
    // square frame square above the box.
    if (getTextBoxPosition() == juce::Slider::TextBoxBelow)
    {
        destWidth -= getTextBoxHeight();
        destHeight -= getTextBoxHeight();
    }

    if (horizontalStrip)
    {
        g.drawImage (stripImage,
                     (int) ((getWidth() - destWidth) * 0.5), 0, destWidth, destHeight,
                     index * frameWidth, 0, frameWidth, frameHeight,
                     false);
    }
    else
    {
        g.drawImage (stripImage,
                     0, 0, destWidth, destHeight,
                     0, index * frameHeight, frameWidth, frameHeight,
                     false);
    }
}
