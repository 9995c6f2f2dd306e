#include "SwitchPainter.h"

#include "LampPainter.h"
#include "Shading.h"
#include "Shapes.h"

#include <algorithm>
#include <cmath>

namespace velthorn::artwork
{

juce::Point<double> SwitchPainter::lampCentre (int width, int height) noexcept
{
    return { width * 0.5, height * 0.215 };
}

Canvas SwitchPainter::renderStrip (int width, int height) const
{
    constexpr int frames = 2;
    Canvas canvas (width, height * frames);

    const LampPainter lamp (4.9, 2.1);
    const auto lampPos = lampCentre (width, height);
    const juce::Point<double> switchPos (width * 0.5, height * 0.685);

    const auto nutInner = 10.2;     // centre to flat side
    const auto plungerRadius = 6.6;
    const auto bushingRadius = 7.6;

    const auto nut = [=] (double x, double y) { return shapes::hexagon (x, y, nutInner); };

    for (int frame = 0; frame < frames; ++frame)
    {
        const auto top = frame * height;
        const auto level = frame == 0 ? 1.0 : 0.0;

        canvas.paint ({ 0, top, width, height }, 6, [&] (double x, double y)
        {
            const auto lx = x - lampPos.x, ly = y - top - lampPos.y;
            const auto sx = x - switchPos.x, sy = y - top - switchPos.y;

            // Shadows of the bezel and the nut on the panel.
            const auto shadowLamp = std::sqrt ((lx - 0.8) * (lx - 0.8) + (ly - 1.3) * (ly - 1.3)) - lamp.getOuterRadius();
            const auto shadowNut = nut (sx - 1.0, sy - 1.6);
            const auto shadowDistance = std::min (shadowLamp, shadowNut);
            Rgba result = Rgba::withAlpha (Rgb (0.0), 0.55 * (1.0 - smoothstep (-1.4, 1.6, shadowDistance)));

            const auto d = nut (sx, sy);

            if (d <= 0.0)
            {
                const auto r = std::sqrt (sx * sx + sy * sy);
                const auto rx = r > 1.0e-9 ? sx / r : 0.0, ry = r > 1.0e-9 ? sy / r : 0.0;
                Rgb c;

                if (r <= plungerRadius)
                {
                    // The plunger: a polished dome.
                    const auto tilt = std::asin (std::min (1.0, r / plungerRadius)) * 0.8;
                    const auto n = shading::tiltedNormal (rx, ry, tilt);
                    c = shading::chrome (n, Rgb (0.86, 0.87, 0.90)) * 0.7
                      + shading::satin (n, Rgb (0.55, 0.56, 0.58), 0.5, 40.0) * 0.3;
                }
                else if (r <= bushingRadius)
                {
                    // The gap around the plunger: a dark, threaded bushing.
                    const auto thread = 0.5 + 0.5 * std::sin (std::atan2 (sy, sx) * 24.0);
                    c = Rgb (0.05 + 0.05 * thread);
                }
                else
                {
                    // The nut's top face: nickel, with the chamfer rounding off its corners
                    // and a narrow bevel along its flats.
                    double tilt = 0.0, gx = rx, gy = ry;

                    if (r > nutInner * 0.97)
                        tilt = degreesToRadians (32.0);

                    if (d > -0.9)
                    {
                        shapes::gradient (nut, sx, sy, gx, gy);
                        tilt = std::max (tilt, degreesToRadians (55.0) * clamp01 ((d + 0.9) / 0.9));
                    }

                    const auto n = shading::tiltedNormal (gx, gy, tilt);
                    const Vec3 tangent (-ry, rx, 0.0);
                    c = shading::chrome (n, Rgb (0.70, 0.71, 0.73)) * 0.55
                      + shading::brushedMetal (n, tangent, Rgb (0.55, 0.56, 0.58), 0.7) * 0.45;

                    // The bushing's shadow on the nut.
                    c = c * (1.0 - 0.5 * std::exp (-(r - bushingRadius) / 0.7));
                }

                result = Rgba::opaque (shading::toneMap (c));
            }

            result = lamp.shade (lx, ly, LampPainter::Hue::yellow, level).over (result);
            return lamp.halo (lx, ly, LampPainter::Hue::yellow, level).over (result);
        });
    }

    canvas.fadeFrameBorders (height, 1.5);
    return canvas;
}

} // namespace velthorn::artwork
