#pragma once

#include "Vec3.h"

namespace velthorn::artwork
{

/** A linear-ish RGB colour with components nominally in 0..1 (highlights may
    exceed 1 before the final clamp). Any thread.
*/
struct Rgb
{
    double r = 0.0, g = 0.0, b = 0.0;

    Rgb() = default;
    Rgb (double rIn, double gIn, double bIn) : r (rIn), g (gIn), b (bIn) {}
    explicit Rgb (double grey) : r (grey), g (grey), b (grey) {}

    Rgb operator+ (Rgb o) const noexcept    { return { r + o.r, g + o.g, b + o.b }; }
    Rgb operator* (double s) const noexcept { return { r * s, g * s, b * s }; }
    Rgb operator* (Rgb o) const noexcept    { return { r * o.r, g * o.g, b * o.b }; }

    double luminance() const noexcept       { return 0.2126 * r + 0.7152 * g + 0.0722 * b; }
};

inline Rgb mix (Rgb a, Rgb b, double t) noexcept
{
    return { lerp (a.r, b.r, t), lerp (a.g, b.g, t), lerp (a.b, b.b, t) };
}

/** Premultiplied colour with coverage: what every shader returns. Any thread. */
struct Rgba
{
    double r = 0.0, g = 0.0, b = 0.0, a = 0.0;

    static Rgba opaque (Rgb c) noexcept             { return { c.r, c.g, c.b, 1.0 }; }
    static Rgba withAlpha (Rgb c, double alpha) noexcept { return { c.r * alpha, c.g * alpha, c.b * alpha, alpha }; }

    /** Porter-Duff "over": this colour laid on top of what is below. */
    Rgba over (Rgba below) const noexcept
    {
        const auto k = 1.0 - a;
        return { r + below.r * k, g + below.g * k, b + below.b * k, a + below.a * k };
    }
};

} // namespace velthorn::artwork
