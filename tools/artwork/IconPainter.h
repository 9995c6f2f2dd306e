#pragma once

#include "Canvas.h"

#include <vector>

namespace velthorn::artwork
{

/** The application icon: a rounded tile of the panel's black tolex in a
    brushed aluminium rim, carrying one of the panel's spun-aluminium knobs
    and a lit yellow lamp. It is drawn afresh at every size rather than
    scaled, so the small sizes stay sharp. Any thread.
*/
class IconPainter final
{
public:
    /** The square sizes, in pixels, the desktop's icon theme is given. */
    static std::vector<int> sizes();

    /** Renders the icon at size x size pixels, transparent around the tile. */
    Canvas render (int size) const;
};

} // namespace velthorn::artwork
