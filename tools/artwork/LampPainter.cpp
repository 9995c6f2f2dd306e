#include "LampPainter.h"

#include "Shading.h"

#include <algorithm>
#include <cmath>

namespace velthorn::artwork
{

namespace
{
    struct LampColours
    {
        Rgb core, rim, darkGlass;
    };

    LampColours coloursFor (LampPainter::Hue hue) noexcept
    {
        if (hue == LampPainter::Hue::red)
            return { Rgb (1.25, 0.78, 0.62), Rgb (0.92, 0.08, 0.04), Rgb (0.30, 0.035, 0.03) };

        return { Rgb (1.30, 1.20, 0.78), Rgb (1.0, 0.72, 0.04), Rgb (0.30, 0.21, 0.03) };
    }
}

LampPainter::LampPainter (double lensRadius, double bezelWidth)
    : lens (lensRadius), bezel (bezelWidth)
{
}

Rgba LampPainter::shade (double x, double y, Hue hue, double level) const noexcept
{
    const auto r = std::sqrt (x * x + y * y);

    if (r > lens + bezel)
        return {};

    const auto rx = r > 1.0e-9 ? x / r : 0.0;
    const auto ry = r > 1.0e-9 ? y / r : 0.0;
    const auto light = shading::lightDirection();

    if (r > lens)
    {
        // Bezel: a rounded ring, its inner half facing the lens, its outer half the panel.
        const auto t = (r - lens) / bezel;
        const auto tilt = (t - 0.45) * pi * 0.75;
        const auto n = shading::tiltedNormal (rx, ry, tilt);
        auto c = shading::chrome (n, Rgb (0.82, 0.83, 0.86));

        // The lens lights the inner lip of its bezel.
        const auto colours = coloursFor (hue);
        c = c + colours.rim * (level * 0.45 * (1.0 - t) * (1.0 - t));
        return Rgba::opaque (shading::toneMap (c));
    }

    const auto colours = coloursFor (hue);
    const auto u = r / lens;
    const auto n = shading::tiltedNormal (rx, ry, std::asin (std::min (1.0, u)) * 0.75);

    // Unlit glass: dark, brighter on the side away from the light, where the dome
    // gathers what comes through it, and shadowed under the bezel lip.
    const auto away = clamp01 (-(x * light.x + y * light.y) / (lens * 0.75));
    Rgb dark = colours.darkGlass * (0.45 + 0.9 * away * away) * (1.0 - 0.35 * u * u * u);

    // Lit: a hot, nearly white centre fading to a saturated rim.
    const auto glow = std::pow (1.0 - u * u, 1.3);
    const Rgb lit = mix (colours.rim * 0.85, colours.core, glow);

    const auto brightness = std::pow (std::clamp (level, 0.0, 1.0), 0.85);
    Rgb c = mix (dark, lit, brightness);

    // Glass: a sharp reflection of the key light and a faint one of the room.
    const auto h = (light + shading::viewDirection()).normalised();
    c = c + Rgb (1.0) * (0.95 * std::pow (std::max (0.0, n.dot (h)), 90.0));
    c = c + shading::environment ((-shading::viewDirection()).reflectedAbout (n)) * 0.10;

    return Rgba::opaque (shading::toneMap (c));
}

Rgba LampPainter::halo (double x, double y, Hue hue, double level) const noexcept
{
    if (level <= 0.0)
        return {};

    const auto r = std::sqrt (x * x + y * y);
    const auto beyond = std::max (0.0, r - lens * 0.6);
    // The glow ends within a few lens radii instead of trailing off forever.
    const auto reach = 1.0 - smoothstep (lens * 1.6, lens * 3.2, beyond);
    const auto strength = level * 0.60 * std::exp (-beyond / (lens * 0.95)) * reach;
    const auto colour = coloursFor (hue).rim;

    // Light adds to what it falls on: much colour, little coverage.
    return { colour.r * strength, colour.g * strength, colour.b * strength, strength * 0.45 };
}

} // namespace velthorn::artwork
