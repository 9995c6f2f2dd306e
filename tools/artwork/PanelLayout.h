#pragma once

#include "ControlTable.h"

#include <juce_graphics/juce_graphics.h>

#include <algorithm>
#include <vector>

namespace velthorn::artwork
{

/** Where the main panel puts its controls (x, y, width, height in pixels),
    taken from the control table, so the background can print each caption
    just above its control and lay a scale and a well under each knob. Any
    thread.
*/
namespace layout
{
    struct Knob
    {
        const char* caption;
        juce::Rectangle<int> bounds;
    };

    inline constexpr int panelWidth = controls::panelWidth, panelHeight = controls::panelHeight;

    /** Outer radius of the knob drawn in a 40- and in a 30-pixel frame. */
    inline constexpr double largeKnobRadius = 16.0, smallKnobRadius = 11.8;

    inline juce::Rectangle<int> toRectangle (const controls::Rect& r)
    {
        return { r.x, r.y, r.width, r.height };
    }

    /** Every round knob of the table (the pedal has no scale), column by
        column from the left and down each column: the order they are painted in. */
    inline const std::vector<Knob> knobs = []
    {
        std::vector<Knob> round;

        for (const auto& control : controls::table)
            if (control.picture == controls::Picture::largeKnob || control.picture == controls::Picture::smallKnob)
                round.push_back ({ control.caption, toRectangle (control.bounds) });

        std::sort (round.begin(), round.end(), [] (const Knob& a, const Knob& b)
        {
            return a.bounds.getX() != b.bounds.getX() ? a.bounds.getX() < b.bounds.getX()
                                                      : a.bounds.getY() < b.bounds.getY();
        });

        return round;
    }();

    struct Heading
    {
        const char* text;
        int centreX;
    };

    /** Column headings: four columns on a 100-pixel pitch, then the wah group
        (its switch at x 515, the pedal at 540..690, its knobs below). */
    inline const Heading headings[] = {
        { "Distortion", 130 },
        { "Amplifier",  230 },
        { "Delay",      330 },
        { "Master",     430 },
        { "Wah Wah",    605 },
    };

    /** Areas where the framework draws light-grey text straight onto the picture. */
    inline const juce::Rectangle<int> fileButton = toRectangle (controls::fileButtonBounds);
    inline const juce::Rectangle<int> creditLink = toRectangle (controls::creditLinkBounds);
}

} // namespace velthorn::artwork
