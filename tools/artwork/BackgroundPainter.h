#pragma once

#include "Canvas.h"

namespace velthorn::artwork
{

class FontBook;

/** The main panel's background: a black tolex cabinet with walnut cheeks, a
    brushed aluminium face plate with the column headings, the captions just
    above each knob, a scale and a well under every knob, corner screws and
    the name plate. The strips of the top and bottom rails stay plain and dark
    because the framework draws the "File" button and the credit link there in
    light grey. Message thread (lettering).
*/
class BackgroundPainter final
{
public:
    explicit BackgroundPainter (const FontBook& fonts);

    /** Renders the whole 800 x 600 picture. */
    Canvas render() const;

    /** The face plate's area. */
    static juce::Rectangle<int> facePlate() noexcept;

    /** The name plate's area. */
    static juce::Rectangle<int> namePlate() noexcept;

private:
    void paintCabinet (Canvas&) const;
    void paintCheek (Canvas&, juce::Rectangle<int> area, unsigned seed) const;
    void paintFacePlate (Canvas&) const;
    void paintKnobWells (Canvas&) const;
    void paintPrint (Canvas&) const;
    void paintScrews (Canvas&) const;
    void paintNamePlate (Canvas&) const;

    const FontBook& fonts;
};

} // namespace velthorn::artwork
