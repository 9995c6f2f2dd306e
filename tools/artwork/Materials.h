#pragma once

#include "Colour.h"

namespace velthorn::artwork
{

/** Large-area surface finishes shared by the background and the about
    picture, each a function of the pixel position. Any thread.
*/
namespace materials
{
    /** Black textured vinyl covering, as on amplifier cabinets. */
    Rgb tolex (double x, double y) noexcept;

    /** Lacquered walnut with vertical grain; `seed` picks the board. Coordinates
        are relative to the board; `width` is its width. */
    Rgb walnut (double x, double y, double width, Vec3 normal, unsigned seed) noexcept;

    /** Horizontally brushed aluminium plate lit from the top left; the area it
        covers is given so its sheen can follow the plate. */
    Rgb brushedPlate (double x, double y, double plateWidth, double plateHeight, Vec3 normal) noexcept;

    /** A countersunk cross-head screw of the given radius at the origin, with its shadow. */
    Rgba screw (double x, double y, double radius, double slotAngle) noexcept;
}

} // namespace velthorn::artwork
