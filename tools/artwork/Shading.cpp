#include "Shading.h"

#include <algorithm>
#include <cmath>

namespace velthorn::artwork
{

namespace shading
{
    Vec3 lightDirection() noexcept
    {
        static const Vec3 l = Vec3 (-0.52, -0.62, 0.80).normalised();
        return l;
    }

    Vec3 viewDirection() noexcept
    {
        return { 0.0, 0.0, 1.0 };
    }

    Rgb environment (Vec3 r) noexcept
    {
        r = r.normalised();

        // A studio: bright ceiling, darker floor, a big softbox where the key light is
        // and a narrow strip light low on the right.
        // A horizon a little below straight ahead gives polished parts their
        // crisp light-over-dark reflection.
        const auto sky = smoothstep (-0.60, -0.15, -r.y);
        const auto height = clamp01 (0.5 - 0.5 * r.y);
        Rgb c = mix (Rgb (0.12, 0.12, 0.13) + Rgb (0.10) * height,
                     Rgb (0.50, 0.51, 0.54) + Rgb (0.20) * height, sky);

        const auto key = std::max (0.0, r.dot (lightDirection()));
        c = c + Rgb (1.0, 0.98, 0.95) * (1.35 * std::pow (key, 28.0) + 0.30 * std::pow (key, 5.0));

        const auto fill = std::max (0.0, r.dot (Vec3 (0.75, 0.25, 0.60).normalised()));
        c = c + Rgb (0.85, 0.9, 1.0) * (0.25 * std::pow (fill, 18.0));

        return c;
    }

    Rgb blurredEnvironment (Vec3 r) noexcept
    {
        r = r.normalised();
        const auto sky = smoothstep (-0.9, 0.2, -r.y);
        const auto key = std::max (0.0, r.dot (lightDirection()));
        return mix (Rgb (0.16, 0.16, 0.17), Rgb (0.52, 0.53, 0.55), sky) + Rgb (0.25) * (key * key);
    }

    Rgb brushedMetal (Vec3 n, Vec3 t, Rgb albedo, double sheen) noexcept
    {
        const auto l = lightDirection();
        const auto v = viewDirection();

        // Keep the brushing direction in the surface plane.
        t = (t - n * t.dot (n)).normalised();

        const auto diffuse = std::max (0.0, n.dot (l));
        Rgb c = albedo * (0.32 + 0.62 * diffuse);

        // Kajiya-Kay highlight: strongest where the brushing runs across the half vector.
        const auto h = (l + v).normalised();
        const auto th = t.dot (h);
        const auto across = std::sqrt (std::max (0.0, 1.0 - th * th));
        const auto highlight = 0.55 * std::pow (across, 70.0) + 0.22 * std::pow (across, 9.0);
        c = c + Rgb (1.0, 0.99, 0.97) * (highlight * sheen * (diffuse > 0.0 ? 1.0 : 0.3));

        const auto r = (-v).reflectedAbout (n);
        c = c + blurredEnvironment (r) * (0.14 * sheen);
        return c;
    }

    Rgb chrome (Vec3 n, Rgb tint) noexcept
    {
        const auto v = viewDirection();
        const auto r = (-v).reflectedAbout (n);
        const auto facing = clamp01 (n.dot (v));
        const auto fresnel = 0.75 + 0.25 * std::pow (1.0 - facing, 5.0);
        return environment (r) * tint * fresnel + tint * 0.04;
    }

    Rgb satin (Vec3 n, Rgb albedo, double gloss, double shininess) noexcept
    {
        const auto l = lightDirection();
        const auto v = viewDirection();
        const auto diffuse = std::max (0.0, n.dot (l));
        const auto h = (l + v).normalised();
        const auto highlight = std::pow (std::max (0.0, n.dot (h)), shininess);
        return albedo * (0.30 + 0.70 * diffuse) + Rgb (1.0) * (gloss * highlight);
    }

    Rgb toneMap (Rgb c) noexcept
    {
        const auto curve = [] (double v)
        {
            constexpr double knee = 0.82;

            if (v <= knee)
                return std::max (0.0, v);

            // Exponential shoulder: continuous slope at the knee, approaching 1.
            const auto headroom = 1.0 - knee;
            return knee + headroom * (1.0 - std::exp (-(v - knee) / headroom));
        };

        return { curve (c.r), curve (c.g), curve (c.b) };
    }

    Vec3 tiltedNormal (double dx, double dy, double tilt) noexcept
    {
        const auto s = std::sin (tilt);
        return { dx * s, dy * s, std::cos (tilt) };
    }
}

} // namespace velthorn::artwork
