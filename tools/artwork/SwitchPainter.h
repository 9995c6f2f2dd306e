#pragma once

#include "Canvas.h"

namespace velthorn::artwork
{

/** A stomp switch seen from above: a jewel lamp in a chrome bezel over a
    footswitch (hex nut and domed plunger). Frame 0 shows the lamp lit
    (switch on), frame 1 dark (off). Any thread.
*/
class SwitchPainter final
{
public:
    /** Centre of the lamp within a frame of the given size. */
    static juce::Point<double> lampCentre (int width, int height) noexcept;

    /** Renders the two-frame strip, each frame width x height pixels. */
    Canvas renderStrip (int width, int height) const;
};

} // namespace velthorn::artwork
