#include "AboutPainter.h"

#include "FontBook.h"
#include "KnobPainter.h"
#include "LampPainter.h"
#include "Materials.h"
#include "Shading.h"
#include "Shapes.h"
#include "TextMask.h"

#include <algorithm>
#include <cmath>

namespace velthorn::artwork
{

namespace
{
    constexpr int size = 400;
    const juce::Rectangle<int> chainPlate { 16, 262, 368, 118 };
    const juce::Point<double> knobCentre { 318.0, 150.0 };
    constexpr double knobRadius = 56.0;
}

AboutPainter::AboutPainter (const FontBook& f) : fonts (f) {}

juce::Rectangle<int> AboutPainter::textArea() noexcept
{
    return { 10, 95, 240, 105 };
}

Canvas AboutPainter::render() const
{
    Canvas canvas (size, size);
    paintBackdrop (canvas);
    paintLogo (canvas);
    paintKnob (canvas);
    paintChain (canvas);
    return canvas;
}

void AboutPainter::paintBackdrop (Canvas& canvas) const
{
    const auto calm = textArea().toDouble();

    canvas.paint ({ 0, 0, size, size }, 1, [calm] (double x, double y)
    {
        auto c = materials::tolex (x + 913.0, y + 417.0);

        // A pool of light from the top left, dark at the far corners.
        const auto dx = (x - 90.0) / 420.0, dy = (y - 40.0) / 420.0;
        c = c * (1.25 - 0.65 * std::min (1.0, std::sqrt (dx * dx + dy * dy)));

        // Behind the text the grain is smoothed out to an even, dark ground.
        const auto inside = -shapes::roundedRect (x - calm.getCentreX(), y - calm.getCentreY(),
                                                  calm.getWidth() * 0.5, calm.getHeight() * 0.5, 8.0);
        const auto plain = smoothstep (-6.0, 10.0, inside);
        c = mix (c, Rgb (0.055, 0.055, 0.060), plain * 0.55);
        return Rgba::opaque (shading::toneMap (c));
    });
}

void AboutPainter::paintLogo (Canvas& canvas) const
{
    const auto logoFont = fonts.get (FontBook::Face::serifBoldItalic, 58.0f);
    const juce::Rectangle<int> logoArea { 14, 8, 250, 72 };
    const auto mask = textMask::make (logoArea.getWidth(), logoArea.getHeight(), logoFont, "Velthorn",
                                      { 2.0f, 0.0f, static_cast<float> (logoArea.getWidth() - 2), static_cast<float> (logoArea.getHeight()) },
                                      juce::Justification::centredLeft, 0.01f);

    // Drop shadow, then chrome lettering: sky above the horizon, ground below it.
    canvas.paintMask (mask, logoArea.getX() + 2, logoArea.getY() + 3, Rgb (0.0), 0.7);

    const auto top = logoArea.getY() + 22.0, bottom = logoArea.getY() + 62.0;
    canvas.paintMask (mask, logoArea.getX(), logoArea.getY(), [=] (int, int y)
    {
        const auto t = clamp01 ((y - top) / (bottom - top));
        const auto v = t < 0.52 ? lerp (1.0, 0.62, t / 0.52) : lerp (0.36, 0.78, (t - 0.52) / 0.48);
        return Rgb (v, v * 0.985, v * 0.95);
    }, 1.0);

    const auto taglineFont = fonts.get (FontBook::Face::sansCondensedBold, 12.0f);
    const auto tagline = textMask::make (260, 18, taglineFont, "GUITAR MULTI-EFFECT",
                                         { 0.0f, 0.0f, 260.0f, 18.0f }, juce::Justification::centredLeft, 0.28f);
    canvas.paintMask (tagline, 19, 74, Rgb (0.95, 0.72, 0.12), 0.95);
}

void AboutPainter::paintKnob (Canvas& canvas) const
{
    const KnobPainter knob (knobRadius);
    const auto angle = degreesToRadians (38.0);
    const auto reach = static_cast<int> (knobRadius + 14.0);

    // A scale around the knob, as on the panel.
    juce::Image ticks (juce::Image::ARGB, size, size, true, juce::SoftwareImageType());
    {
        juce::Graphics g (ticks);
        g.setColour (juce::Colours::white);
        const auto c = juce::Point<float> (static_cast<float> (knobCentre.x), static_cast<float> (knobCentre.y));

        for (int i = 0; i <= 10; ++i)
        {
            const auto a = juce::degreesToRadians (-135.0f + 27.0f * static_cast<float> (i));
            const juce::Point<float> dir (std::sin (a), -std::cos (a));
            const auto major = i % 5 == 0;
            g.drawLine (juce::Line<float> (c + dir * static_cast<float> (knobRadius + (major ? 5.0 : 7.0)),
                                           c + dir * static_cast<float> (knobRadius + 12.0)),
                        major ? 2.0f : 1.3f);
        }
    }

    canvas.paintMask (ticks, 0, 0, Rgb (0.62, 0.62, 0.64), 0.9);

    canvas.paint ({ static_cast<int> (knobCentre.x) - reach, static_cast<int> (knobCentre.y) - reach, 2 * reach, 2 * reach }, 4,
                  [&] (double x, double y)
    {
        return knob.shade (x - knobCentre.x, y - knobCentre.y, angle);
    });
}

void AboutPainter::paintChain (Canvas& canvas) const
{
    const auto plate = chainPlate.toDouble();

    canvas.paint (chainPlate.expanded (8), 3, [=] (double x, double y)
    {
        const auto cx = plate.getCentreX(), cy = plate.getCentreY();
        const auto hw = plate.getWidth() * 0.5, hh = plate.getHeight() * 0.5;
        const auto d = shapes::roundedRect (x - cx, y - cy, hw, hh, 6.0);
        const auto ds = shapes::roundedRect (x - cx - 2.0, y - cy - 3.0, hw, hh, 6.0);
        const Rgba shadow = Rgba::withAlpha (Rgb (0.0), 0.7 * (1.0 - smoothstep (-3.0, 5.0, ds)));

        if (d > 0.0)
            return shadow;

        double gx, gy;
        const auto field = [=] (double px, double py) { return shapes::roundedRect (px - cx, py - cy, hw, hh, 6.0); };
        shapes::gradient (field, x, y, gx, gy);
        const auto n = d > -2.2 ? shading::tiltedNormal (gx, gy, std::asin (clamp01 ((d + 2.2) / 2.2)) * 0.9)
                                : Vec3 (0.0, 0.0, 1.0);
        auto c = materials::brushedPlate (x - plate.getX(), y - plate.getY(), plate.getWidth(), plate.getHeight(), n);
        c = c + Rgb (0.25) * (std::pow (std::max (0.0, n.dot (shading::lightDirection())), 8.0) * smoothstep (-2.2, 0.0, d));
        return Rgba::opaque (shading::toneMap (c)).over (shadow);
    });

    // Four lit lamps in signal order, joined by arrows, each named below.
    const char* names[] = { "Wah", "Distortion", "Amp", "Delay" };
    const LampPainter lamp (7.0, 2.6);
    const auto lampY = plate.getY() + 46.0;
    const auto firstX = plate.getX() + 52.0, pitch = (plate.getWidth() - 104.0) / 3.0;

    juce::Image ink (juce::Image::ARGB, size, size, true, juce::SoftwareImageType());
    {
        juce::Graphics g (ink);
        g.setColour (juce::Colours::white);

        const auto heading = fonts.get (FontBook::Face::sansBold, 11.0f).withExtraKerningFactor (0.12f);
        g.setFont (heading);
        g.drawText ("SIGNAL CHAIN", juce::Rectangle<float> (static_cast<float> (plate.getX()), static_cast<float> (plate.getY()) + 8.0f,
                                                            static_cast<float> (plate.getWidth()), 14.0f),
                    juce::Justification::centred);

        g.setFont (fonts.get (FontBook::Face::sansBold, 12.0f));

        for (int i = 0; i < 4; ++i)
        {
            const auto x = static_cast<float> (firstX + pitch * i);
            g.drawText (names[i], juce::Rectangle<float> (x - 45.0f, static_cast<float> (lampY) + 16.0f, 90.0f, 16.0f),
                        juce::Justification::centred);

            if (i < 3)
            {
                const auto from = x + 16.0f, to = x + static_cast<float> (pitch) - 16.0f;
                const auto ay = static_cast<float> (lampY);
                g.drawArrow (juce::Line<float> (from, ay, to, ay), 1.4f, 7.0f, 7.0f);
            }
        }

        // The footer line: the whole chain in one unit.
        g.setFont (fonts.get (FontBook::Face::sans, 10.0f));
        g.drawText (juce::String (juce::CharPointer_UTF8 ("wah \xc2\xb7 distortion \xc2\xb7 amp & cabinet \xc2\xb7 delay \xc2\xb7 output level")),
                    juce::Rectangle<float> (static_cast<float> (plate.getX()), static_cast<float> (plate.getBottom()) - 26.0f,
                                            static_cast<float> (plate.getWidth()), 14.0f),
                    juce::Justification::centred);
    }

    canvas.paintMask (ink, 0, 0, Rgb (0.085, 0.085, 0.095), 0.92);

    for (int i = 0; i < 4; ++i)
    {
        const auto x = firstX + pitch * i;
        const auto reach = static_cast<int> (lamp.getOuterRadius() + 14.0);

        canvas.paint ({ static_cast<int> (x) - reach, static_cast<int> (lampY) - reach, 2 * reach, 2 * reach }, 5,
                      [&] (double px, double py)
        {
            const auto lx = px - x, ly = py - lampY;
            const auto shadow = Rgba::withAlpha (Rgb (0.0), 0.5 * (1.0 - smoothstep (lamp.getOuterRadius() - 1.0,
                                                                                         lamp.getOuterRadius() + 2.0,
                                                                                         std::sqrt ((lx - 1.0) * (lx - 1.0) + (ly - 1.6) * (ly - 1.6)))));
            const auto body = lamp.shade (lx, ly, LampPainter::Hue::yellow, 1.0).over (shadow);
            return lamp.halo (lx, ly, LampPainter::Hue::yellow, 1.0).over (body);
        });
    }
}

} // namespace velthorn::artwork
