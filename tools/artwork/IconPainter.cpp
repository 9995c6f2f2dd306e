#include "IconPainter.h"

#include "KnobPainter.h"
#include "LampPainter.h"
#include "Materials.h"
#include "Shading.h"
#include "Shapes.h"

#include <algorithm>
#include <cmath>

namespace velthorn::artwork
{

namespace
{
    // Everything below is in units of the icon's size, so the picture keeps
    // its proportions from 16 to 512 pixels. The tile leaves a small margin
    // for its shadow, as the desktop icon themes expect.
    constexpr double tileHalf = 0.44;
    constexpr double tileCorner = 0.17;
    constexpr double rimWidth = 0.055;
    constexpr double knobRadius = 0.25;
    constexpr double knobX = 0.47, knobY = 0.55;
    constexpr double lampX = 0.75, lampY = 0.25;
    constexpr double lampLens = 0.055, lampBezel = 0.022;

    // Sampling grid per pixel: the small sizes need more to keep the thin
    // rim and the pointer from breaking up.
    int oversamplingFor (int size) noexcept
    {
        return size <= 64 ? 8 : (size <= 128 ? 4 : 3);
    }
}

std::vector<int> IconPainter::sizes()
{
    return { 16, 32, 48, 64, 128, 256, 512 };
}

Canvas IconPainter::render (int size) const
{
    Canvas canvas (size, size);
    const auto s = static_cast<double> (size);
    const auto oversampling = oversamplingFor (size);
    const auto centre = s * 0.5;
    const auto half = tileHalf * s, corner = tileCorner * s, rim = std::max (1.0, rimWidth * s);

    // The tile: tolex inside an aluminium rim whose outer edge rolls away from
    // the viewer, over a soft shadow to the lower right.
    canvas.paint ({ 0, 0, size, size }, oversampling, [=] (double x, double y)
    {
        const auto field = [=] (double px, double py) { return shapes::roundedRect (px - centre, py - centre, half, half, corner); };
        const auto d = field (x, y);
        const auto shadowDistance = shapes::roundedRect (x - centre - 0.012 * s, y - centre - 0.02 * s, half, half, corner);
        const auto shadow = Rgba::withAlpha (Rgb (0.0), 0.45 * (1.0 - smoothstep (-0.02 * s, 0.03 * s, shadowDistance)));

        if (d > 0.0)
            return shadow;

        double gx, gy;
        shapes::gradient (field, x, y, gx, gy);

        if (d > -rim)
        {
            // Rounded over its outer half, flat where it meets the tolex.
            const auto t = clamp01 ((d + rim * 0.5) / (rim * 0.5));
            const auto n = shading::tiltedNormal (gx, gy, std::asin (t) * 0.9);
            auto c = materials::brushedPlate (x * 512.0 / s, y * 512.0 / s, 512.0, 512.0, n);
            c = c + Rgb (0.22) * std::pow (std::max (0.0, n.dot (shading::lightDirection())), 8.0);
            return Rgba::opaque (shading::toneMap (c)).over (shadow);
        }

        // Tolex in the panel's grain, measured as on the 512 pixel icon so the
        // small sizes average it instead of showing noise; a pool of light
        // from the top left and a dark seam inside the rim.
        auto c = materials::tolex (x * 512.0 / s + 311.0, y * 512.0 / s + 127.0);
        const auto dx = x / s - 0.2, dy = y / s - 0.15;
        c = c * (1.3 - 0.6 * std::min (1.0, std::sqrt (dx * dx + dy * dy)));
        c = c * lerp (0.45, 1.0, smoothstep (0.0, 0.035 * s, -(d + rim)));
        return Rgba::opaque (shading::toneMap (c));
    });

    const KnobPainter knob (knobRadius * s);
    const auto kx = knobX * s, ky = knobY * s;
    const auto reach = static_cast<int> (std::ceil (knobRadius * s * 1.25)) + 1;

    canvas.paint ({ static_cast<int> (kx) - reach, static_cast<int> (ky) - reach, 2 * reach, 2 * reach }, oversampling,
                  [&] (double x, double y) { return knob.shade (x - kx, y - ky, degreesToRadians (40.0)); });

    const LampPainter lamp (lampLens * s, std::max (0.6, lampBezel * s));
    const auto lx = lampX * s, ly = lampY * s;
    const auto lampReach = static_cast<int> (std::ceil (lamp.getOuterRadius() * 3.0)) + 1;

    canvas.paint ({ static_cast<int> (lx) - lampReach, static_cast<int> (ly) - lampReach, 2 * lampReach, 2 * lampReach }, oversampling,
                  [&] (double x, double y)
    {
        const auto px = x - lx, py = y - ly;
        return lamp.halo (px, py, LampPainter::Hue::yellow, 1.0).over (lamp.shade (px, py, LampPainter::Hue::yellow, 1.0));
    });

    return canvas;
}

} // namespace velthorn::artwork
