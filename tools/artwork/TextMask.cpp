#include "TextMask.h"

namespace velthorn::artwork
{

namespace textMask
{
    juce::Image make (int width, int height, const juce::Font& font, const juce::String& text,
                      juce::Rectangle<float> area, juce::Justification justification, float extraKerning)
    {
        juce::Image image (juce::Image::ARGB, width, height, true, juce::SoftwareImageType());
        juce::Graphics g (image);
        g.setColour (juce::Colours::white);

        juce::GlyphArrangement glyphs;
        glyphs.addFittedText (font.withExtraKerningFactor (extraKerning), text,
                              area.getX(), area.getY(), area.getWidth(), area.getHeight(),
                              justification, 1, 1.0f);
        glyphs.draw (g);
        return image;
    }

    float widthOf (const juce::Font& font, const juce::String& text, float extraKerning)
    {
        return font.withExtraKerningFactor (extraKerning).getStringWidthFloat (text);
    }
}

} // namespace velthorn::artwork
