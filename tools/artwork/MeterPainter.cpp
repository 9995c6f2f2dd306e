#include "MeterPainter.h"

#include "LampPainter.h"
#include "Shading.h"
#include "Shapes.h"

#include <algorithm>
#include <cmath>

namespace velthorn::artwork
{

double MeterPainter::lampLevel (int lamp, int frame, int frames) noexcept
{
    const auto litLamps = static_cast<double> (frame) * lampCount / (frames - 1);
    return std::clamp (litLamps - lamp, 0.0, 1.0);
}

Canvas MeterPainter::renderStrip (int width, int height, int frames) const
{
    Canvas canvas (width, height * frames);

    const auto cx = width * 0.5;
    const auto railHalfWidth = 8.0, railHalfHeight = height * 0.5 - 3.5;
    const auto margin = 8.0;
    const auto pitch = (height - 2.0 * margin) / (lampCount - 1);
    const LampPainter lamp (3.25, 1.05);

    const auto rail = [=] (double x, double y)
    {
        return shapes::roundedRect (x, y, railHalfWidth, railHalfHeight, railHalfWidth);
    };

    for (int frame = 0; frame < frames; ++frame)
    {
        const auto top = frame * height;
        const auto cy = top + height * 0.5;

        double levels[lampCount];

        for (int k = 0; k < lampCount; ++k)
            levels[k] = lampLevel (k, frame, frames);

        const auto lampCentreY = [=] (int k) { return top + height - margin - k * pitch; };
        const auto hueOf = [] (int k)
        {
            return k >= lampCount - redLamps ? LampPainter::Hue::red : LampPainter::Hue::yellow;
        };

        canvas.paint ({ 0, top, width, height }, 5, [&] (double x, double y)
        {
            const auto px = x - cx, py = y - cy;

            // Shadow of the rail on the panel.
            const auto shadowDistance = rail (px - 0.6, py - 1.0);
            Rgba result = Rgba::withAlpha (Rgb (0.0), 0.5 * (1.0 - smoothstep (-1.2, 1.4, shadowDistance)));

            const auto d = rail (px, py);

            if (d <= 0.0)
            {
                // Black anodised rail with a rounded edge.
                double gx, gy;
                shapes::gradient (rail, px, py, gx, gy);
                const auto tilt = std::asin (clamp01 ((d + 1.6) / 1.6)) * 0.9;
                const auto n = shading::tiltedNormal (gx, gy, tilt);
                auto c = shading::satin (n, Rgb (0.055, 0.057, 0.062), 0.35, 30.0);
                c = c + shading::environment ((-shading::viewDirection()).reflectedAbout (n)) * 0.06;
                result = Rgba::opaque (shading::toneMap (c));
            }

            // Lamps and then their halos, so light spills over the rail and the panel.
            for (int k = 0; k < lampCount; ++k)
            {
                const auto ly = y - lampCentreY (k);

                if (std::abs (ly) <= lamp.getOuterRadius() + 0.5)
                {
                    // Each lamp sits in a shallow well: a dark ring around its bezel.
                    const auto r = std::sqrt (px * px + ly * ly);
                    const auto well = 1.0 - smoothstep (lamp.getOuterRadius(), lamp.getOuterRadius() + 0.6, r);

                    if (d <= 0.0)
                        result = Rgba::withAlpha (Rgb (0.0), 0.6 * well).over (result);

                    result = lamp.shade (px, ly, hueOf (k), levels[k]).over (result);
                }
            }

            for (int k = 0; k < lampCount; ++k)
                result = lamp.halo (px, y - lampCentreY (k), hueOf (k), levels[k]).over (result);

            return result;
        });
    }

    canvas.fadeFrameBorders (height, 1.5);
    return canvas;
}

} // namespace velthorn::artwork
