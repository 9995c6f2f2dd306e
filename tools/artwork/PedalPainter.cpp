#include "PedalPainter.h"

#include "FontBook.h"
#include "Noise.h"
#include "Shading.h"
#include "Shapes.h"
#include "TextMask.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace velthorn::artwork
{

namespace
{
    // Body: a rounded box standing on the panel.
    constexpr double bodyHalfWidth = 46.0, bodyHeight = 22.0, bodyHalfLength = 112.0, bodyRadius = 7.0;

    // The axle the treadle rocks on, near the heel.
    constexpr double axleZ = 50.0, axleY = 30.0, axleRadius = 4.2, axleHalfLength = 50.5;

    // Treadle, in its own frame: u across, v up from the axle, w along towards the heel.
    constexpr double plateHalfWidth = 44.0, plateHalfThickness = 2.3, plateV = 6.2;
    constexpr double plateHeelW = 60.0, plateToeW = -160.0, plateCornerRadius = 16.0, plateEdge = 1.3;

    // Rubber tread on the treadle.
    constexpr double treadHalfWidth = 33.0, treadHeelW = 38.0, treadToeW = -128.0, treadCornerRadius = 9.0;
    constexpr double treadHeight = 1.5, ribPeriod = 5.5, ribDepth = 0.8;

    // The name engraved across the toe, between the tread and the plate's end,
    // sampled from a mask of letteringColumns x letteringRows pixels.
    constexpr double letteringHalfWidth = 30.0, letteringNearW = -131.0, letteringFarW = -155.0;
    constexpr int letteringColumns = 480, letteringRows = 96;

    constexpr double toeUpDegrees = 10.0, toeDownDegrees = -3.0;

    double roundBox (Vec3 p, Vec3 half, double radius) noexcept
    {
        const auto qx = std::abs (p.x) - half.x + radius;
        const auto qy = std::abs (p.y) - half.y + radius;
        const auto qz = std::abs (p.z) - half.z + radius;
        const Vec3 outside (std::max (qx, 0.0), std::max (qy, 0.0), std::max (qz, 0.0));
        return outside.length() + std::min (std::max (qx, std::max (qy, qz)), 0.0) - radius;
    }

    /** A flat 2D shape of distance d2 extruded to half thickness h, edges rounded by e. */
    double extrude (double d2, double v, double h, double e) noexcept
    {
        const auto a = d2 + e, b = std::abs (v) - h + e;
        const auto ox = std::max (a, 0.0), oy = std::max (b, 0.0);
        return std::sqrt (ox * ox + oy * oy) + std::min (std::max (a, b), 0.0) - e;
    }
}

PedalPainter::PedalPainter (int frameWidth, int frameHeight, const FontBook& fonts)
    : width (frameWidth), height (frameHeight)
{
    // The toe is far from the viewer, so the lettering reads upright on screen
    // with its top towards the toe end.
    const auto mask = textMask::make (letteringColumns, letteringRows, fonts.get (FontBook::Face::sansBold, 64.0f),
                                      "VELTHORN", { 0.0f, 0.0f, static_cast<float> (letteringColumns), static_cast<float> (letteringRows) },
                                      juce::Justification::centred, 0.25f);
    const juce::Image::BitmapData data (mask, juce::Image::BitmapData::readOnly);
    lettering.resize (static_cast<size_t> (letteringColumns * letteringRows));

    for (int y = 0; y < letteringRows; ++y)
        for (int x = 0; x < letteringColumns; ++x)
            lettering[static_cast<size_t> (y * letteringColumns + x)] = data.getPixelColour (x, y).getFloatAlpha();

    const Vec3 target (0.0, 14.0, 4.0);
    const auto elevation = degreesToRadians (52.0);
    const auto distance = 560.0;

    eye = target + Vec3 (0.0, std::sin (elevation), std::cos (elevation)) * distance;
    forward = (target - eye).normalised();
    right = forward.cross (Vec3 (0.0, 1.0, 0.0)).normalised();
    up = right.cross (forward);

    // Scale and centre chosen so the pedal and its shadow stay clear of the
    // frame's edges and of the captions under it in every frame.
    focal = 1.06 * distance * frameHeight / 300.0;
    centreX = frameWidth * 0.5;
    centreY = frameHeight * 0.4667;

    // The same top-left key light as every other picture, expressed in world space.
    const auto l = shading::lightDirection();
    worldLight = (right * l.x - up * l.y - forward * l.z).normalised();

    // Shadows on the panel are cast as by a higher light from the same side, so
    // they stay as short as the knobs' and the switches' shadows.
    shadowLight = (worldLight + Vec3 (0.0, 1.4, 0.0)).normalised();
}

double PedalPainter::treadleAngle (int frame, int frames) noexcept
{
    const auto t = frames > 1 ? static_cast<double> (frame) / (frames - 1) : 0.0;
    return degreesToRadians (lerp (toeUpDegrees, toeDownDegrees, t));
}

Vec3 PedalPainter::toTreadle (Vec3 p, double angle) const noexcept
{
    // Inverse of the treadle's rotation about the axle.
    const auto dy = p.y - axleY, dz = p.z - axleZ;
    const auto c = std::cos (angle), s = std::sin (angle);
    return { p.x, dy * c + dz * s, dz * c - dy * s };
}

double PedalPainter::engraving (double u, double w) const noexcept
{
    const auto fx = (u + letteringHalfWidth) / (2.0 * letteringHalfWidth) * letteringColumns - 0.5;
    const auto fy = (w - letteringFarW) / (letteringNearW - letteringFarW) * letteringRows - 0.5;

    if (fx < 0.0 || fy < 0.0 || fx >= letteringColumns - 1 || fy >= letteringRows - 1)
        return 0.0;

    const auto x0 = static_cast<int> (fx), y0 = static_cast<int> (fy);
    const auto tx = fx - x0, ty = fy - y0;
    const auto at = [this] (int x, int y) { return static_cast<double> (lettering[static_cast<size_t> (y * letteringColumns + x)]); };
    return lerp (lerp (at (x0, y0), at (x0 + 1, y0), tx), lerp (at (x0, y0 + 1), at (x0 + 1, y0 + 1), tx), ty);
}

Vec3 PedalPainter::toCamera (Vec3 d) const noexcept
{
    // Screen space of the shading functions: x right, y down, z towards the viewer.
    return { d.dot (right), -d.dot (up), -d.dot (forward) };
}

PedalPainter::Hit PedalPainter::scene (Vec3 p, double angle) const noexcept
{
    Hit best { roundBox (p - Vec3 (0.0, bodyHeight * 0.5, 0.0),
                         { bodyHalfWidth, bodyHeight * 0.5, bodyHalfLength }, bodyRadius),
               Part::body };

    const auto consider = [&best] (double d, Part part)
    {
        if (d < best.distance)
            best = { d, part };
    };

    // Axle: a cylinder along x.
    {
        const auto dy = p.y - axleY, dz = p.z - axleZ;
        const auto radial = std::sqrt (dy * dy + dz * dz) - axleRadius;
        const auto along = std::abs (p.x) - axleHalfLength;
        const auto ox = std::max (radial, 0.0), oy = std::max (along, 0.0);
        consider (std::sqrt (ox * ox + oy * oy) + std::min (std::max (radial, along), 0.0), Part::axle);
    }

    const auto t = toTreadle (p, angle);

    {
        const auto w0 = (plateHeelW + plateToeW) * 0.5;
        const auto hw = (plateHeelW - plateToeW) * 0.5;
        const auto d2 = shapes::roundedRect (t.x, t.z - w0, plateHalfWidth, hw, plateCornerRadius);
        consider (extrude (d2, t.y - plateV, plateHalfThickness, plateEdge), Part::plate);
    }

    {
        const auto w0 = (treadHeelW + treadToeW) * 0.5;
        const auto hw = (treadHeelW - treadToeW) * 0.5;
        const auto d2 = shapes::roundedRect (t.x, t.z - w0, treadHalfWidth, hw, treadCornerRadius);
        const auto base = plateV + plateHalfThickness;
        const auto rib = 0.5 + 0.5 * std::cos (2.0 * pi * t.z / ribPeriod);
        const auto top = base + treadHeight - ribDepth * (1.0 - rib * rib);
        const auto dv = std::max (t.y - top, base - 0.5 - t.y);
        const auto ox = std::max (d2 + 0.6, 0.0), oy = std::max (dv + 0.6, 0.0);
        consider ((std::sqrt (ox * ox + oy * oy) + std::min (std::max (d2 + 0.6, dv + 0.6), 0.0) - 0.6) * 0.7,
                  Part::tread);
    }

    return best;
}

Vec3 PedalPainter::normalAt (Vec3 p, double angle) const noexcept
{
    constexpr double e = 0.02;
    const auto dx = scene (p + Vec3 (e, 0, 0), angle).distance - scene (p - Vec3 (e, 0, 0), angle).distance;
    const auto dy = scene (p + Vec3 (0, e, 0), angle).distance - scene (p - Vec3 (0, e, 0), angle).distance;
    const auto dz = scene (p + Vec3 (0, 0, e), angle).distance - scene (p - Vec3 (0, 0, e), angle).distance;
    return Vec3 (dx, dy, dz).normalised();
}

double PedalPainter::softShadow (Vec3 from, Vec3 towardsLight, double angle) const noexcept
{
    double lit = 1.0, t = 0.3;

    for (int i = 0; i < 64 && t < 220.0; ++i)
    {
        const auto d = scene (from + towardsLight * t, angle).distance;

        if (d < 0.002)
            return 0.0;

        lit = std::min (lit, 2.5 * d / t);
        t += std::clamp (d, 0.25, 12.0);
    }

    return clamp01 (lit);
}

double PedalPainter::occlusion (Vec3 p, Vec3 n, double angle) const noexcept
{
    double hidden = 0.0, weight = 1.0;

    for (int i = 1; i <= 5; ++i)
    {
        const auto h = 1.2 * i;
        hidden += weight * (h - scene (p + n * h, angle).distance);
        weight *= 0.6;
    }

    return clamp01 (1.0 - 0.09 * hidden);
}

Rgba PedalPainter::shade (double px, double py, double angle) const noexcept
{
    const auto sx = (px - centreX) / focal, sy = (centreY - py) / focal;
    const auto dir = (forward + right * sx + up * sy).normalised();

    // March only inside the box that holds the pedal.
    const Vec3 lo (-bodyHalfWidth - 8.0, -1.0, -bodyHalfLength - 8.0);
    const Vec3 hi (bodyHalfWidth + 8.0, 80.0, bodyHalfLength + 8.0);
    double tNear = 0.0, tFar = 1.0e9;

    for (int axis = 0; axis < 3; ++axis)
    {
        const auto o = axis == 0 ? eye.x : (axis == 1 ? eye.y : eye.z);
        const auto d = axis == 0 ? dir.x : (axis == 1 ? dir.y : dir.z);
        const auto a = axis == 0 ? lo.x : (axis == 1 ? lo.y : lo.z);
        const auto b = axis == 0 ? hi.x : (axis == 1 ? hi.y : hi.z);

        if (std::abs (d) < 1.0e-12)
            continue;

        auto t0 = (a - o) / d, t1 = (b - o) / d;

        if (t0 > t1)
            std::swap (t0, t1);

        tNear = std::max (tNear, t0);
        tFar = std::min (tFar, t1);
    }

    if (tNear < tFar)
    {
        auto t = tNear;

        for (int i = 0; i < 200 && t < tFar; ++i)
        {
            const auto p = eye + dir * t;
            const auto hit = scene (p, angle);

            if (hit.distance < 0.004)
            {
                const auto n = normalAt (p, angle);
                const auto cn = toCamera (n);
                const auto lit = 0.35 + 0.65 * softShadow (p + n * 0.05, worldLight, angle);
                const auto ao = occlusion (p, n, angle);
                Rgb c;

                switch (hit.part)
                {
                    case Part::body:
                    {
                        // Crinkle paint: a fine random ripple on the normal.
                        const auto f = 1.3;
                        const auto gx = noise::value (p.x * f, p.z * f + p.y * 0.7, 31u) - noise::value (p.x * f + 0.5, p.z * f + p.y * 0.7, 31u);
                        const auto gz = noise::value (p.x * f, p.z * f + p.y * 0.7, 37u) - noise::value (p.x * f, p.z * f + p.y * 0.7 + 0.5, 37u);
                        const auto bumped = toCamera ((n + Vec3 (gx, 0.0, gz) * 0.9).normalised());
                        c = shading::satin (bumped, Rgb (0.050, 0.050, 0.055), 0.22, 14.0);
                        break;
                    }

                    case Part::plate:
                    {
                        const auto local = toTreadle (p, angle);
                        const auto along = toCamera (Vec3 (0.0, std::sin (angle), std::cos (angle)));
                        const auto streaks = 1.0 + 0.20 * (noise::value (local.x * 1.6, local.z * 0.035, 41u) - 0.5)
                                                 + 0.10 * (noise::value (local.x * 6.0, local.z * 0.02, 43u) - 0.5);

                        // The room's light runs across the plate as a soft band.
                        const auto sheen = 0.88 + 0.22 * std::exp (-std::pow ((local.z + 70.0) / 55.0, 2.0));
                        c = shading::brushedMetal (cn, along, Rgb (0.44, 0.45, 0.47) * (streaks * sheen), 1.0);

                        // Engraved, ink-filled lettering on the top face only.
                        if (local.y > plateV)
                            c = mix (c, Rgb (0.07, 0.07, 0.08), 0.85 * engraving (local.x, local.z));
                        break;
                    }

                    case Part::tread:
                        c = shading::satin (cn, Rgb (0.060, 0.060, 0.064), 0.10, 10.0);
                        break;

                    case Part::axle:
                    case Part::none:
                        c = shading::chrome (cn, Rgb (0.85, 0.86, 0.88));
                        break;
                }

                return Rgba::opaque (shading::toneMap (c * (lit * ao)));
            }

            t += hit.distance * 0.8;
        }
    }

    // Missed the pedal: the panel beneath it, which only shows the pedal's shadow.
    if (dir.y >= 0.0)
        return {};

    const auto tf = -eye.y / dir.y;
    const auto floor = eye + dir * tf;
    const auto shadow = 1.0 - softShadow (floor + Vec3 (0.0, 0.05, 0.0), shadowLight, angle);
    const auto contact = std::exp (-std::max (0.0, scene (floor, angle).distance) / 3.0);

    // Whatever shadow reaches the frame's border fades out before it, so no frame
    // shows a cut-off edge on the panel.
    const auto border = std::min ({ px, py, width - px, height - py });
    const auto alpha = std::min (0.85, 0.50 * shadow + 0.45 * contact) * smoothstep (0.0, 8.0, border);
    return Rgba::withAlpha (Rgb (0.0), alpha);
}

Canvas PedalPainter::renderStrip (int frames) const
{
    Canvas canvas (width, height * frames);

    const auto renderFrames = [&] (int first)
    {
        for (int frame = first; frame < frames; frame += 2)
        {
            const auto angle = treadleAngle (frame, frames);
            const auto top = frame * height;

            canvas.paint ({ 0, top, width, height }, 3, [&] (double x, double y)
            {
                return shade (x, y - top, angle);
            });
        }
    };

    // Frames are independent and each thread writes only its own rows.
    std::thread other (renderFrames, 1);
    renderFrames (0);
    other.join();
    canvas.fadeFrameBorders (height, 1.5);
    return canvas;
}

} // namespace velthorn::artwork
