#pragma once

#include "Colour.h"

namespace velthorn::artwork
{

/** The one lighting setup every picture shares: a key light high up at the
    top left, a dim fill, and a soft studio surround for the reflections of
    polished metal. Directions are in screen space (x right, y down, z towards
    the viewer). Any thread.
*/
namespace shading
{
    /** Unit vector pointing towards the key light (top left, above the panel). */
    Vec3 lightDirection() noexcept;

    /** Unit vector towards the viewer for the top-down pictures. */
    Vec3 viewDirection() noexcept;

    /** What a mirror would show in direction r. */
    Rgb environment (Vec3 r) noexcept;

    /** The surround as a rough, brushed surface sees it: no sharp light sources. */
    Rgb blurredEnvironment (Vec3 r) noexcept;

    /** Brushed metal: a diffuse base plus an anisotropic highlight stretched
        across the brushing direction (tangent, in the surface plane). */
    Rgb brushedMetal (Vec3 normal, Vec3 tangent, Rgb albedo, double sheen) noexcept;

    /** Polished chrome or nickel: mostly reflection, tinted. */
    Rgb chrome (Vec3 normal, Rgb tint) noexcept;

    /** Painted, anodised or rubber surface: diffuse with a broad soft highlight. */
    Rgb satin (Vec3 normal, Rgb albedo, double gloss, double shininess) noexcept;

    /** Compresses values above the knee so highlights roll off instead of clipping hard. */
    Rgb toneMap (Rgb c) noexcept;

    /** Normal of a surface tilted by `tilt` radians away from the viewer towards the
        screen direction (dx, dy), which must be a unit vector. */
    Vec3 tiltedNormal (double dx, double dy, double tilt) noexcept;
}

} // namespace velthorn::artwork
