#include "BackgroundPainter.h"

#include "FontBook.h"
#include "Materials.h"
#include "Noise.h"
#include "PanelLayout.h"
#include "Shading.h"
#include "Shapes.h"
#include "TextMask.h"

#include <algorithm>
#include <cmath>

namespace velthorn::artwork
{

namespace
{
    constexpr int railHeight = 30;
    constexpr int cheekWidth = 38;
    constexpr double plateCornerRadius = 6.0, plateBevel = 2.2;
    const Rgb ink (0.085, 0.085, 0.095);

    juce::Point<double> centreOf (juce::Rectangle<int> r)
    {
        return { r.getX() + r.getWidth() * 0.5, r.getY() + r.getHeight() * 0.5 };
    }

    /** Outer radius of the knob drawn in a frame of this size. */
    double knobRadiusFor (juce::Rectangle<int> bounds)
    {
        return bounds.getWidth() >= 40 ? layout::largeKnobRadius : layout::smallKnobRadius;
    }

    /** The edge of a rounded rectangle seen as a rounded bevel: the normal tilts
        outwards over `width` pixels inside the edge. */
    Vec3 bevelNormal (double x, double y, juce::Rectangle<double> r, double radius, double width)
    {
        const auto cx = r.getCentreX(), cy = r.getCentreY();
        const auto field = [=] (double px, double py)
        {
            return shapes::roundedRect (px - cx, py - cy, r.getWidth() * 0.5, r.getHeight() * 0.5, radius);
        };

        const auto d = field (x, y);

        if (d < -width)
            return { 0.0, 0.0, 1.0 };

        double gx, gy;
        shapes::gradient (field, x, y, gx, gy);
        return shading::tiltedNormal (gx, gy, std::asin (clamp01 ((d + width) / width)) * 0.9);
    }
}

BackgroundPainter::BackgroundPainter (const FontBook& f) : fonts (f) {}

juce::Rectangle<int> BackgroundPainter::facePlate() noexcept
{
    return { cheekWidth + 16, railHeight + 16, layout::panelWidth - 2 * (cheekWidth + 16),
             layout::panelHeight - 2 * (railHeight + 16) };
}

juce::Rectangle<int> BackgroundPainter::namePlate() noexcept
{
    return { 330, 506, 140, 38 };
}

Canvas BackgroundPainter::render() const
{
    Canvas canvas (layout::panelWidth, layout::panelHeight);
    paintCabinet (canvas);
    paintCheek (canvas, { 0, railHeight, cheekWidth, layout::panelHeight - 2 * railHeight }, 101u);
    paintCheek (canvas, { layout::panelWidth - cheekWidth, railHeight, cheekWidth, layout::panelHeight - 2 * railHeight }, 202u);
    paintFacePlate (canvas);
    paintKnobWells (canvas);
    paintPrint (canvas);
    paintScrews (canvas);
    paintNamePlate (canvas);
    return canvas;
}

void BackgroundPainter::paintCabinet (Canvas& canvas) const
{
    canvas.paint ({ 0, 0, canvas.getWidth(), canvas.getHeight() }, 1, [] (double x, double y)
    {
        auto c = materials::tolex (x, y);

        // Darker towards the outer edges, as a cabinet's covering wraps round.
        const auto u = x / layout::panelWidth, v = y / layout::panelHeight;
        const auto edge = std::min ({ u, 1.0 - u, v, 1.0 - v });
        c = c * (0.75 + 0.25 * smoothstep (0.0, 0.06, edge));
        return Rgba::opaque (shading::toneMap (c));
    });
}

void BackgroundPainter::paintCheek (Canvas& canvas, juce::Rectangle<int> area, unsigned seed) const
{
    const auto r = area.toDouble().reduced (1.0, 3.0);
    const auto radius = 9.0;

    canvas.paint (area.expanded (6), 3, [=] (double x, double y)
    {
        const auto cx = r.getCentreX(), cy = r.getCentreY();
        const auto d = shapes::roundedRect (x - cx, y - cy, r.getWidth() * 0.5, r.getHeight() * 0.5, radius);
        const auto ds = shapes::roundedRect (x - cx - 1.5, y - cy - 2.5, r.getWidth() * 0.5, r.getHeight() * 0.5, radius);

        const Rgba shadow = Rgba::withAlpha (Rgb (0.0), 0.6 * (1.0 - smoothstep (-2.0, 3.5, ds)));

        if (d > 0.0)
            return shadow;

        const auto n = bevelNormal (x, y, r, radius, 8.0);
        const auto c = materials::walnut (x - r.getX(), y - r.getY(), r.getWidth(), n, seed);
        return Rgba::opaque (shading::toneMap (c)).over (shadow);
    });
}

void BackgroundPainter::paintFacePlate (Canvas& canvas) const
{
    const auto plate = facePlate().toDouble();

    canvas.paint (facePlate().expanded (8), 3, [=] (double x, double y)
    {
        const auto cx = plate.getCentreX(), cy = plate.getCentreY();
        const auto hw = plate.getWidth() * 0.5, hh = plate.getHeight() * 0.5;
        const auto d = shapes::roundedRect (x - cx, y - cy, hw, hh, plateCornerRadius);
        const auto ds = shapes::roundedRect (x - cx - 2.0, y - cy - 3.0, hw, hh, plateCornerRadius);

        const Rgba shadow = Rgba::withAlpha (Rgb (0.0), 0.7 * (1.0 - smoothstep (-3.0, 5.0, ds)));

        if (d > 0.0)
            return shadow;

        const auto n = bevelNormal (x, y, plate, plateCornerRadius, plateBevel);
        auto c = materials::brushedPlate (x - plate.getX(), y - plate.getY(), plate.getWidth(), plate.getHeight(), n);

        // The cut edge catches a thin line of light on the lit sides.
        c = c + Rgb (0.25) * (std::pow (std::max (0.0, n.dot (shading::lightDirection())), 8.0)
                              * smoothstep (-plateBevel, 0.0, d));
        return Rgba::opaque (shading::toneMap (c)).over (shadow);
    });
}

void BackgroundPainter::paintKnobWells (Canvas& canvas) const
{
    for (const auto& knob : layout::knobs)
    {
        const auto centre = centreOf (knob.bounds);
        const auto wellRadius = knobRadiusFor (knob.bounds) + 2.6;

        canvas.paint (knob.bounds.expanded (6), 4, [=] (double x, double y)
        {
            const auto dx = x - centre.x, dy = y - centre.y;
            const auto r = std::sqrt (dx * dx + dy * dy);

            if (r > wellRadius + 0.8)
                return Rgba();

            // A turned recess: its wall facing the light is lit, the other in shade,
            // and a dark groove at its foot.
            const auto rx = r > 1.0e-9 ? dx / r : 0.0, ry = r > 1.0e-9 ? dy / r : 0.0;
            const auto facing = -(rx * shading::lightDirection().x + ry * shading::lightDirection().y);
            const auto wall = smoothstep (wellRadius - 1.6, wellRadius - 0.2, r) * (1.0 - smoothstep (wellRadius, wellRadius + 0.8, r));
            const auto groove = 1.0 - smoothstep (wellRadius - 2.8, wellRadius - 1.4, r);

            const auto light = 0.5 + 0.5 * facing;
            const Rgb lit = mix (Rgb (0.20, 0.20, 0.21), Rgb (0.86, 0.87, 0.88), light);
            Rgba result = Rgba::withAlpha (lit, 0.75 * wall);
            return Rgba::withAlpha (Rgb (0.10), 0.55 * groove).over (result);
        });
    }
}

void BackgroundPainter::paintPrint (Canvas& canvas) const
{
    // All the silk-screened ink goes into one coverage mask, drawn with JUCE's
    // anti-aliased renderer, then is laid on the plate in one go.
    juce::Image inkMask (juce::Image::ARGB, canvas.getWidth(), canvas.getHeight(), true, juce::SoftwareImageType());
    juce::Image lightMask (juce::Image::ARGB, canvas.getWidth(), canvas.getHeight(), true, juce::SoftwareImageType());

    {
        juce::Graphics g (inkMask);
        juce::Graphics light (lightMask);
        g.setColour (juce::Colours::white);
        light.setColour (juce::Colours::white);

        const auto headingFont = fonts.get (FontBook::Face::sansBold, 15.0f).withExtraKerningFactor (0.06f);
        const auto captionFont = fonts.get (FontBook::Face::sansBold, 10.5f).withExtraKerningFactor (0.04f);
        const auto scaleFont = fonts.get (FontBook::Face::sans, 8.0f);

        constexpr float headingBaseline = 92.0f, bracketY = 101.0f;

        for (const auto& heading : layout::headings)
        {
            const auto x = static_cast<float> (heading.centreX);
            const auto isWah = juce::String (heading.text) == "Wah Wah";
            const auto half = isWah ? 92.0f : 42.0f;

            g.setFont (headingFont);
            g.drawSingleLineText (heading.text, static_cast<int> (x), static_cast<int> (headingBaseline),
                                  juce::Justification::horizontallyCentred);

            // A bracket under each heading spans its column.
            g.fillRect (juce::Rectangle<float> (x - half, bracketY, 2.0f * half, 1.2f));
            g.fillRect (juce::Rectangle<float> (x - half, bracketY, 1.2f, 5.0f));
            g.fillRect (juce::Rectangle<float> (x + half - 1.2f, bracketY, 1.2f, 5.0f));
        }

        // An engraved line sets the wah group apart from the four columns.
        g.fillRect (juce::Rectangle<float> (486.0f, 78.0f, 1.0f, 440.0f));
        light.fillRect (juce::Rectangle<float> (487.0f, 78.0f, 1.0f, 440.0f));

        for (const auto& knob : layout::knobs)
        {
            const auto centre = centreOf (knob.bounds).toFloat();
            const auto knobRadius = static_cast<float> (knobRadiusFor (knob.bounds));
            const auto large = knob.bounds.getWidth() >= 40;
            const auto inner = knobRadius + 4.4f, outer = knobRadius + (large ? 8.0f : 7.0f);

            // Eleven ticks over the pointer's 270 degrees; the ends and the middle longer.
            for (int i = 0; i <= 10; ++i)
            {
                const auto angle = juce::degreesToRadians (-135.0f + 27.0f * static_cast<float> (i));
                const auto major = i == 0 || i == 5 || i == 10;
                const auto tickInner = major ? inner - 0.6f : inner + 0.6f;
                const juce::Point<float> dir (std::sin (angle), -std::cos (angle));
                g.drawLine (juce::Line<float> (centre + dir * tickInner, centre + dir * outer), major ? 1.3f : 0.9f);
            }

            // Caption just above the knob's scale.
            g.setFont (captionFont);
            const auto captionBaseline = centre.y - outer - 3.0f;
            g.drawSingleLineText (knob.caption, static_cast<int> (std::round (centre.x)),
                                  static_cast<int> (std::round (captionBaseline)),
                                  juce::Justification::horizontallyCentred);

            // 0 and 10 at the ends of the scale.
            g.setFont (scaleFont);
            const auto labelRadius = outer + 3.5f;
            const auto at = [&] (float degrees)
            {
                const auto a = juce::degreesToRadians (degrees);
                return centre + juce::Point<float> (std::sin (a), -std::cos (a)) * labelRadius;
            };

            const auto low = at (-135.0f), high = at (135.0f);
            g.drawText ("0", juce::Rectangle<float> (low.x - 7.0f, low.y - 2.0f, 10.0f, 9.0f), juce::Justification::centred);
            g.drawText ("10", juce::Rectangle<float> (high.x - 4.0f, high.y - 2.0f, 12.0f, 9.0f), juce::Justification::centred);
        }
    }

    canvas.paintMask (lightMask, 0, 0, Rgb (1.0), 0.55);
    canvas.paintMask (inkMask, 0, 0, ink, 0.92);
}

void BackgroundPainter::paintScrews (Canvas& canvas) const
{
    const auto plate = facePlate();
    const juce::Point<int> positions[] = {
        { plate.getX() + 12, plate.getY() + 12 }, { plate.getRight() - 12, plate.getY() + 12 },
        { plate.getX() + 12, plate.getBottom() - 12 }, { plate.getRight() - 12, plate.getBottom() - 12 },
    };

    int index = 0;

    for (const auto p : positions)
    {
        // Screws are never lined up the same way.
        const auto slot = degreesToRadians (17.0 + 29.0 * index++);

        canvas.paint ({ p.x - 9, p.y - 9, 18, 18 }, 5, [=] (double x, double y)
        {
            return materials::screw (x - p.x, y - p.y, 5.2, slot);
        });
    }
}

void BackgroundPainter::paintNamePlate (Canvas& canvas) const
{
    const auto plate = namePlate().toDouble();
    const auto radius = 5.0;

    canvas.paint (namePlate().expanded (6), 4, [=] (double x, double y)
    {
        const auto cx = plate.getCentreX(), cy = plate.getCentreY();
        const auto hw = plate.getWidth() * 0.5, hh = plate.getHeight() * 0.5;
        const auto d = shapes::roundedRect (x - cx, y - cy, hw, hh, radius);
        const auto ds = shapes::roundedRect (x - cx - 1.2, y - cy - 2.0, hw, hh, radius);
        const Rgba shadow = Rgba::withAlpha (Rgb (0.0), 0.55 * (1.0 - smoothstep (-2.0, 3.0, ds)));

        if (d > 0.0)
            return shadow;

        // A polished rim around a black enamel field.
        constexpr double rim = 2.6;
        Rgb c;

        if (d > -rim)
        {
            double gx, gy;
            const auto field = [=] (double px, double py)
            {
                return shapes::roundedRect (px - cx, py - cy, hw, hh, radius);
            };
            shapes::gradient (field, x, y, gx, gy);
            const auto t = (d + rim) / rim;                        // 0 inside .. 1 outer edge
            const auto n = shading::tiltedNormal (gx, gy, (t - 0.4) * pi * 0.7);
            c = shading::chrome (n, Rgb (0.82, 0.83, 0.85));
        }
        else
        {
            const auto n = Vec3 (0.0, 0.0, 1.0);
            const auto grain = 0.9 + 0.2 * noise::value (x * 0.9, y * 0.9, 61u);
            c = shading::satin (n, Rgb (0.030, 0.030, 0.034) * grain, 0.0, 1.0);

            // A soft gloss across the enamel.
            c = c + Rgb (0.05) * std::exp (-std::pow ((y - plate.getY() - 9.0) / 6.0, 2.0));
        }

        // Two rivets hold it on.
        for (const auto rivetX : { plate.getX() + 9.0, plate.getRight() - 9.0 })
        {
            const auto rxp = x - rivetX, ryp = y - cy;
            const auto rr = std::sqrt (rxp * rxp + ryp * ryp);

            if (rr < 2.6)
            {
                const auto n = shading::tiltedNormal (rr > 0 ? rxp / rr : 0.0, rr > 0 ? ryp / rr : 0.0,
                                                      std::asin (std::min (1.0, rr / 2.6)) * 0.8);
                c = shading::chrome (n, Rgb (0.8, 0.8, 0.82));
            }
        }

        return Rgba::opaque (shading::toneMap (c)).over (shadow);
    });

    // The name in polished metal lettering, with a dark drop below each letter.
    const auto font = fonts.get (FontBook::Face::serifBoldItalic, 24.0f);
    const auto area = namePlate().reduced (16, 4);
    const auto mask = textMask::make (area.getWidth(), area.getHeight(), font, "Velthorn",
                                      { 0.0f, 0.0f, static_cast<float> (area.getWidth()), static_cast<float> (area.getHeight()) },
                                      juce::Justification::centred, 0.03f);

    canvas.paintMask (mask, area.getX() + 1, area.getY() + 1, Rgb (0.0), 0.8);

    const auto top = static_cast<double> (area.getY()) + 6.0, bottom = static_cast<double> (area.getBottom()) - 6.0;
    canvas.paintMask (mask, area.getX(), area.getY(), [=] (int, int y)
    {
        // Chrome lettering: bright above, a dark band where it mirrors the horizon,
        // brighter again below.
        const auto t = clamp01 ((y - top) / (bottom - top));
        const auto v = t < 0.5 ? lerp (0.98, 0.52, t / 0.5) : lerp (0.40, 0.80, (t - 0.5) / 0.5);
        return Rgb (v, v * 0.99, v * 0.96);
    }, 1.0);
}

} // namespace velthorn::artwork
