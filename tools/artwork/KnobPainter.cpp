#include "KnobPainter.h"

#include "Noise.h"
#include "Shading.h"

#include <algorithm>
#include <cmath>

namespace velthorn::artwork
{

KnobPainter::KnobPainter (double outerRadius)
    : outer (outerRadius),
      cap (outerRadius * 0.74),
      bevel (std::max (0.9, outerRadius * 0.085)),
      edge (std::max (0.8, outerRadius * 0.07)),
      pointerInner (outerRadius * 0.16),
      pointerOuter (outerRadius * 0.74 - std::max (0.9, outerRadius * 0.085) * 0.6),
      pointerHalfWidth (std::max (0.85, outerRadius * 0.065)),
      shadowOffsetX (outerRadius * 0.06),
      shadowOffsetY (outerRadius * 0.09),
      shadowSoftness (std::max (1.2, outerRadius * 0.09)),
      knurls (outerRadius > 14.0 ? 30 : 24)
{
}

double KnobPainter::angleForFrame (int index, int frames) noexcept
{
    const auto t = frames > 1 ? static_cast<double> (index) / (frames - 1) : 0.0;
    return degreesToRadians (-135.0 + 270.0 * t);
}

Rgba KnobPainter::shade (double x, double y, double angle) const noexcept
{
    const auto r = std::sqrt (x * x + y * y);

    // Soft shadow on the panel, thrown away from the top-left light.
    const auto sx = x - shadowOffsetX, sy = y - shadowOffsetY;
    const auto shadowDistance = std::sqrt (sx * sx + sy * sy) - outer;
    const auto shadow = 0.55 * (1.0 - smoothstep (-shadowSoftness, shadowSoftness * 1.2, shadowDistance));
    const auto below = Rgba::withAlpha (Rgb (0.0), shadow);

    if (r > outer)
        return below;

    return shadeKnob (x, y, angle).over (below);
}

Rgba KnobPainter::shadeKnob (double x, double y, double angle) const noexcept
{
    const auto r = std::sqrt (x * x + y * y);
    const auto rx = r > 1.0e-9 ? x / r : 0.0;
    const auto ry = r > 1.0e-9 ? y / r : -1.0;
    const auto phi = std::atan2 (y, x);
    const Vec3 tangent (-ry, rx, 0.0);

    if (r <= cap)
    {
        // The cap: flat spun aluminium, rolling off over a rounded bevel at its rim.
        const auto flatEdge = cap - bevel;
        const auto tilt = r <= flatEdge ? 0.02 * r / flatEdge
                                        : std::asin (clamp01 ((r - flatEdge) / bevel)) * 0.85;
        const auto n = shading::tiltedNormal (rx, ry, tilt);

        // Concentric turning marks: fine rings of slightly different brightness.
        const auto rings = 1.0 + 0.09 * (noise::value1 (r * 7.0, 11u) - 0.5)
                               + 0.05 * (noise::value1 (r * 23.0, 12u) - 0.5);
        auto c = shading::brushedMetal (n, tangent, Rgb (0.60, 0.61, 0.63) * rings, 1.0);

        // Pointer: a dark filled groove, measured in the knob's own turned frame.
        const Vec3 dir (std::sin (angle), -std::cos (angle), 0.0);
        const auto along = std::clamp (x * dir.x + y * dir.y, pointerInner, pointerOuter);
        const auto dx = x - dir.x * along, dy = y - dir.y * along;
        const auto distance = std::sqrt (dx * dx + dy * dy);

        if (distance < pointerHalfWidth)
            c = Rgb (0.045, 0.045, 0.05);
        else if (distance < pointerHalfWidth + 0.7)
        {
            // A bright lip where the groove's far wall catches the light.
            const auto side = (dx * shading::lightDirection().x + dy * shading::lightDirection().y) < 0.0;
            c = c * (side ? 1.18 : 0.85);
        }

        return Rgba::opaque (shading::toneMap (c));
    }

    // The skirt: knurled gunmetal sloping down to a rounded outer edge.
    const auto skirtEnd = outer - edge;
    double slope = degreesToRadians (22.0);

    if (r > skirtEnd)
        slope = lerp (slope, degreesToRadians (82.0), std::sin (clamp01 ((r - skirtEnd) / edge) * pi * 0.5));

    const auto ridgePhase = knurls * (phi - angle);
    const auto ridgeTilt = 0.55 * std::sin (ridgePhase);
    const auto n = (Vec3 (rx, ry, 0.0) * std::sin (slope) + tangent * ridgeTilt
                    + Vec3 (0.0, 0.0, std::cos (slope))).normalised();

    auto c = shading::satin (n, Rgb (0.16, 0.165, 0.175), 0.45, 26.0)
           + shading::environment ((-shading::viewDirection()).reflectedAbout (n)) * 0.10;

    // Grooves between the ridges and the foot of the cap sit in shadow.
    c = c * (0.80 + 0.20 * (0.5 + 0.5 * std::cos (ridgePhase)));
    c = c * (1.0 - 0.55 * std::exp (-(r - cap) / std::max (0.6, outer * 0.05)));

    return Rgba::opaque (shading::toneMap (c));
}

Canvas KnobPainter::renderStrip (int frameSize, int frames) const
{
    Canvas canvas (frameSize, frameSize * frames);
    const auto centre = frameSize * 0.5;

    for (int i = 0; i < frames; ++i)
    {
        const auto angle = angleForFrame (i, frames);
        const auto top = i * frameSize;

        canvas.paint ({ 0, top, frameSize, frameSize }, 6, [&] (double x, double y)
        {
            return shade (x - centre, y - top - centre, angle);
        });
    }

    canvas.fadeFrameBorders (frameSize, 1.5);
    return canvas;
}

} // namespace velthorn::artwork
