#pragma once

#include "Colour.h"

namespace velthorn::artwork
{

/** A round signal lamp seen from above: a domed glass lens in a polished
    bezel. Lit, the lens glows from a hot centre to a saturated rim and throws
    a halo over its surroundings; dark, it shows tinted glass with the light
    caught on its far side. Any thread.
*/
class LampPainter final
{
public:
    enum class Hue { yellow, red };

    LampPainter (double lensRadius, double bezelWidth);

    /** Outer radius of the bezel. */
    double getOuterRadius() const noexcept { return lens + bezel; }

    /** The lamp centred at the origin at the given brightness (0 dark .. 1 fully lit),
        without the halo. Transparent outside the bezel. */
    Rgba shade (double x, double y, Hue hue, double level) const noexcept;

    /** The halo a lit lamp throws around itself, to be laid over everything else. */
    Rgba halo (double x, double y, Hue hue, double level) const noexcept;

private:
    double lens, bezel;
};

} // namespace velthorn::artwork
