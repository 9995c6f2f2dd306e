#pragma once

#include "Canvas.h"

namespace velthorn::artwork
{

/** A round knob seen from above: a spun (concentrically brushed) aluminium
    cap with a dark pointer line, on a knurled gunmetal skirt, casting a soft
    shadow to the lower right. The same drawing serves the large and small
    strips and the about picture at any radius. Any thread.
*/
class KnobPainter final
{
public:
    /** Sizes follow the outer radius in pixels. */
    explicit KnobPainter (double outerRadius);

    /** Shades the knob centred at the origin with the pointer turned `angle` radians
        clockwise from straight up. Coordinates are in pixels. */
    Rgba shade (double x, double y, double angle) const noexcept;

    /** Renders a vertical strip of `frames` square frames of `frameSize` pixels, the
        pointer sweeping from -135 to +135 degrees in equal steps. */
    Canvas renderStrip (int frameSize, int frames) const;

    /** The pointer angle of frame `index` of `frames`, in radians from straight up. */
    static double angleForFrame (int index, int frames) noexcept;

private:
    Rgba shadeKnob (double x, double y, double angle) const noexcept;

    double outer, cap, bevel, edge, pointerInner, pointerOuter, pointerHalfWidth;
    double shadowOffsetX, shadowOffsetY, shadowSoftness;
    int knurls;
};

} // namespace velthorn::artwork
