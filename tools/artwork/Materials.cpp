#include "Materials.h"

#include "Noise.h"
#include "Shading.h"

#include <algorithm>
#include <cmath>

namespace velthorn::artwork
{

namespace materials
{
    Rgb tolex (double x, double y) noexcept
    {
        // A pebbled grain: the slope of a fine bumpy height field tilts the normal.
        const auto f = 0.85;
        const auto h = [f] (double px, double py)
        {
            return noise::fbm (px * f, py * f, 3, 7u) + 0.35 * noise::value (px * 0.23, py * 0.23, 8u);
        };

        const auto gx = h (x + 0.5, y) - h (x - 0.5, y);
        const auto gy = h (x, y + 0.5) - h (x, y - 0.5);
        const auto n = Vec3 (-gx * 1.6, -gy * 1.6, 1.0).normalised();

        const auto tone = 0.9 + 0.2 * noise::value (x * 0.02, y * 0.02, 9u);
        return shading::satin (n, Rgb (0.060, 0.060, 0.064) * tone, 0.10, 12.0);
    }

    Rgb walnut (double x, double y, double width, Vec3 n, unsigned seed) noexcept
    {
        // Growth rings cut lengthwise show as long wavy stripes; the warp drifts slowly
        // along the board so the stripes wander and pinch like real grain.
        const auto warp = 16.0 * (noise::fbm (x * 0.012, y * 0.0030, 4, seed) - 0.5)
                        + 4.0 * std::sin (y * 0.009 + seed);
        const auto ringCoordinate = (x - width * 0.5 + warp) * 0.16
                                  + 1.2 * noise::value (x * 0.05, y * 0.008, seed + 1u);
        const auto ring = ringCoordinate - std::floor (ringCoordinate);
        const auto late = smoothstep (0.55, 0.85, ring) * (1.0 - smoothstep (0.85, 1.0, ring));

        // Pores: short dark dashes along the grain.
        const auto pores = noise::value (x * 1.7, y * 0.09, seed + 2u);
        const auto figure = noise::fbm (x * 0.06, y * 0.012, 3, seed + 3u);

        Rgb wood = mix (Rgb (0.36, 0.21, 0.11), Rgb (0.15, 0.08, 0.045), late * 0.9);
        wood = wood * (0.82 + 0.36 * figure) * (1.0 - 0.18 * smoothstep (0.62, 0.9, pores));

        // Lacquer: a broad gloss and a faint reflection of the room.
        auto c = shading::satin (n, wood, 0.28, 36.0);
        c = c + shading::blurredEnvironment ((-shading::viewDirection()).reflectedAbout (n)) * 0.05;
        return c;
    }

    Rgb brushedPlate (double x, double y, double plateWidth, double plateHeight, Vec3 n) noexcept
    {
        // Brushing: streaks long in x, narrow in y, at two scales.
        const auto streaks = 0.55 * noise::value (x * 0.012, y * 1.3, 21u)
                           + 0.30 * noise::value (x * 0.004, y * 0.45, 22u)
                           + 0.15 * noise::value (x * 0.05, y * 3.1, 23u);

        const auto u = x / plateWidth, v = y / plateHeight;

        // The anisotropic sheen of horizontal brushing shows as a broad vertical band
        // on the light's side, on top of a gentle fall-off away from the light.
        const auto band = std::exp (-std::pow ((u - 0.30) / 0.22, 2.0));
        const auto base = 0.60 + 0.05 * (1.0 - v) - 0.04 * u + 0.07 * band;

        const auto albedo = Rgb (0.97, 0.985, 1.0) * (base * (1.0 + 0.16 * (streaks - 0.5)));
        const auto diffuse = std::max (0.0, n.dot (shading::lightDirection()));
        const auto flat = std::max (0.0, Vec3 (0, 0, 1).dot (shading::lightDirection()));
        return albedo * (0.35 + 0.65 * diffuse / flat) * (1.0 / (0.35 + 0.65));
    }

    Rgba screw (double x, double y, double radius, double slotAngle) noexcept
    {
        const auto shadowX = x - 0.8, shadowY = y - 1.2;
        const auto shadowDistance = std::sqrt (shadowX * shadowX + shadowY * shadowY) - radius;
        const Rgba shadow = Rgba::withAlpha (Rgb (0.0), 0.45 * (1.0 - smoothstep (-1.0, 1.6, shadowDistance)));

        const auto r = std::sqrt (x * x + y * y);

        if (r > radius)
            return shadow;

        const auto rx = r > 1.0e-9 ? x / r : 0.0, ry = r > 1.0e-9 ? y / r : 0.0;
        const auto n = shading::tiltedNormal (rx, ry, std::asin (std::min (1.0, r / radius)) * 0.55);
        auto c = shading::chrome (n, Rgb (0.78, 0.79, 0.81)) * 0.6
               + shading::satin (n, Rgb (0.5, 0.5, 0.52), 0.4, 30.0) * 0.4;

        // The cross: two slots, dark at the bottom, with a lit far wall.
        const auto ca = std::cos (slotAngle), sa = std::sin (slotAngle);
        const auto u = x * ca + y * sa, v = -x * sa + y * ca;
        const auto slotHalf = std::max (0.45, radius * 0.13);
        const auto reach = radius * 0.72;
        const auto inSlot = (std::abs (u) < slotHalf && std::abs (v) < reach)
                         || (std::abs (v) < slotHalf && std::abs (u) < reach);

        if (inSlot)
            c = c * 0.18;

        // The rim where the screw head meets the countersink.
        c = c * (1.0 - 0.45 * smoothstep (radius - 0.9, radius, r));
        return Rgba::opaque (shading::toneMap (c));
    }
}

} // namespace velthorn::artwork
