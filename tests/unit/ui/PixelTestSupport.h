#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

#include <cstdlib>

// Synthetic strips whose frames are solid, distinct, opaque colours, so the
// frame a control drew can be read back from its pixels.
namespace PixelTestSupport
{
    inline juce::Colour frameColour (int index)
    {
        // Red alone tells frames 0..34 apart.
        return juce::Colour::fromRGB ((juce::uint8) (10 + 7 * index),
                                      (juce::uint8) (200 - 5 * index),
                                      (juce::uint8) ((97 * index) % 256));
    }

    // The pixels past the last whole frame of a strip that does not divide
    // evenly; no frame colour has red 255.
    inline const juce::Colour leftoverColour = juce::Colour::fromRGB (255, 0, 255);

    // A strip of frameCount frames of frameWidth x frameHeight, followed by
    // `leftover` extra columns (horizontal) or rows (vertical).
    inline juce::Image makeStrip (int frameCount, int frameWidth, int frameHeight, bool horizontal, int leftover = 0)
    {
        const auto width  = horizontal ? frameCount * frameWidth + leftover : frameWidth;
        const auto height = horizontal ? frameHeight : frameCount * frameHeight + leftover;

        juce::Image strip (juce::Image::ARGB, width, height, true);
        juce::Graphics g (strip);
        g.fillAll (leftoverColour);

        for (int i = 0; i < frameCount; ++i)
        {
            g.setColour (frameColour (i));

            if (horizontal)
                g.fillRect (i * frameWidth, 0, frameWidth, frameHeight);
            else
                g.fillRect (0, i * frameHeight, frameWidth, frameHeight);
        }

        return strip;
    }

    inline juce::Image blankCanvas (int width, int height)
    {
        return juce::Image (juce::Image::ARGB, width, height, true);
    }

    inline bool sameRgb (juce::Colour a, juce::Colour b, int tolerance)
    {
        return std::abs (a.getRed() - b.getRed()) <= tolerance
            && std::abs (a.getGreen() - b.getGreen()) <= tolerance
            && std::abs (a.getBlue() - b.getBlue()) <= tolerance;
    }

    // Every pixel inside `area` is exactly `expected`, every pixel outside it
    // is fully transparent.
    inline ::testing::AssertionResult exactlyFilled (const juce::Image& canvas, juce::Rectangle<int> area,
                                                     juce::Colour expected)
    {
        for (int y = 0; y < canvas.getHeight(); ++y)
        {
            for (int x = 0; x < canvas.getWidth(); ++x)
            {
                const auto pixel = canvas.getPixelAt (x, y);

                if (area.contains (x, y) ? pixel != expected : pixel.getAlpha() != 0)
                    return ::testing::AssertionFailure()
                           << "pixel (" << x << ", " << y << ") is " << pixel.toDisplayString (true)
                           << ", expected " << (area.contains (x, y) ? expected.toDisplayString (true) : "transparent");
            }
        }

        return ::testing::AssertionSuccess();
    }

    // For a scaled draw: the inside of `area` (one pixel in from its edges,
    // where resampling may soften the border) is exactly `expected`; nothing
    // outside `area` is drawn; and every drawn pixel anywhere has the colour
    // of `expected`, so no neighbouring frame or leftover pixel bled in.
    inline ::testing::AssertionResult scaledFill (const juce::Image& canvas, juce::Rectangle<int> area,
                                                  juce::Colour expected)
    {
        const auto inner = area.reduced (1);

        for (int y = 0; y < canvas.getHeight(); ++y)
        {
            for (int x = 0; x < canvas.getWidth(); ++x)
            {
                const auto pixel = canvas.getPixelAt (x, y);
                const auto where = [&] { return "pixel (" + juce::String (x) + ", " + juce::String (y) + ") is "
                                                + pixel.toDisplayString (true); };

                if (inner.contains (x, y) && pixel != expected)
                    return ::testing::AssertionFailure() << where() << ", expected " << expected.toDisplayString (true);

                if (! area.contains (x, y) && pixel.getAlpha() != 0)
                    return ::testing::AssertionFailure() << where() << " outside the drawn area";

                if (pixel.getAlpha() > 8 && ! sameRgb (pixel, expected, 3))
                    return ::testing::AssertionFailure() << where() << ", not a shade of "
                                                         << expected.toDisplayString (true);
            }
        }

        return ::testing::AssertionSuccess();
    }

    inline bool allTransparent (const juce::Image& canvas)
    {
        for (int y = 0; y < canvas.getHeight(); ++y)
            for (int x = 0; x < canvas.getWidth(); ++x)
                if (canvas.getPixelAt (x, y).getAlpha() != 0)
                    return false;

        return true;
    }

    inline bool samePixels (const juce::Image& a, const juce::Image& b)
    {
        if (a.getBounds() != b.getBounds())
            return false;

        for (int y = 0; y < a.getHeight(); ++y)
            for (int x = 0; x < a.getWidth(); ++x)
                if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                    return false;

        return true;
    }

    // Only the component's own drawing, without the children the framework
    // adds (a slider's text box, the about panel's labels).
    template <typename ComponentType>
    juce::Image paintOwnFace (ComponentType& component)
    {
        auto canvas = blankCanvas (component.getWidth(), component.getHeight());
        {
            juce::Graphics g (canvas);
            component.paint (g);
        }
        return canvas;
    }

    // The way the framework draws it, children included.
    inline juce::Image paintWhole (juce::Component& component)
    {
        auto canvas = blankCanvas (component.getWidth(), component.getHeight());
        {
            juce::Graphics g (canvas);
            component.paintEntireComponent (g, false);
        }
        return canvas;
    }
}
