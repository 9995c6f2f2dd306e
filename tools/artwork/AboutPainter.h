#pragma once

#include "Canvas.h"

namespace velthorn::artwork
{

class FontBook;

/** The about box picture: the Velthorn logo and tagline over dark tolex, a
    large knob, and a small brushed plate showing the effect chain with lit
    lamps. The left middle stays calm and dark: the about panel lays its
    light-grey version, release and contact text there. Message thread
    (lettering).
*/
class AboutPainter final
{
public:
    explicit AboutPainter (const FontBook& fonts);

    /** Renders the 400 x 400 picture. */
    Canvas render() const;

    /** Where the about panel puts its labels and link; kept dark and plain. */
    static juce::Rectangle<int> textArea() noexcept;

private:
    void paintBackdrop (Canvas&) const;
    void paintLogo (Canvas&) const;
    void paintKnob (Canvas&) const;
    void paintChain (Canvas&) const;

    const FontBook& fonts;
};

} // namespace velthorn::artwork
