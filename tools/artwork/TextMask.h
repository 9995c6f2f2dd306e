#pragma once

#include <juce_graphics/juce_graphics.h>

namespace velthorn::artwork
{

/** Lettering as a coverage mask: white glyphs on a transparent picture of the
    given size, drawn by JUCE's own anti-aliased renderer. Message thread.
*/
namespace textMask
{
    /** Draws the text into the area with the justification. */
    juce::Image make (int width, int height, const juce::Font& font, const juce::String& text,
                      juce::Rectangle<float> area, juce::Justification justification,
                      float extraKerning = 0.0f);

    /** Width in pixels the text takes in the font. */
    float widthOf (const juce::Font& font, const juce::String& text, float extraKerning = 0.0f);
}

} // namespace velthorn::artwork
