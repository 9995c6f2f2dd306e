#pragma once

#include "Canvas.h"

namespace velthorn::artwork
{

/** The output meter: a black rail holding a column of ten lamps. Frame 0 is
    all dark; every further frame lights the column a third of a lamp higher,
    from the bottom up, yellow, with the top two lamps red, so the 31 frames
    are all different. Any thread.
*/
class MeterPainter final
{
public:
    static constexpr int lampCount = 10;
    static constexpr int redLamps = 2;

    /** How brightly lamp `lamp` (0 at the bottom) burns in frame `frame` of `frames`. */
    static double lampLevel (int lamp, int frame, int frames) noexcept;

    /** Renders the strip of `frames` frames of width x height pixels. */
    Canvas renderStrip (int width, int height, int frames) const;
};

} // namespace velthorn::artwork
