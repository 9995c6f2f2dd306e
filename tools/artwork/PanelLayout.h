#pragma once

#include <juce_graphics/juce_graphics.h>

namespace velthorn::artwork
{

/** Where the main panel puts its controls (x, y, width, height in pixels),
    so the background can print each caption just above its control and lay
    a scale and a well under each knob. Any thread.
*/
namespace layout
{
    struct Knob
    {
        const char* caption;
        juce::Rectangle<int> bounds;
    };

    inline constexpr int panelWidth = 800, panelHeight = 600;

    /** Outer radius of the knob drawn in a 40- and in a 30-pixel frame. */
    inline constexpr double largeKnobRadius = 16.0, smallKnobRadius = 11.8;

    inline const Knob knobs[] = {
        { "Gain",    { 110, 170, 40, 40 } },   // distGainSlider
        { "Tone",    { 115, 250, 30, 30 } },   // distFreqSlider
        { "Drive",   { 210, 170, 40, 40 } },   // ampDrvSlider
        { "Low",     { 215, 250, 30, 30 } },   // ampLoSlider
        { "Mid",     { 215, 310, 30, 30 } },   // ampMidSlider
        { "Hi",      { 215, 370, 30, 30 } },   // ampHiSlider
        { "Dry/Wet", { 310, 170, 40, 40 } },   // delAmSlider
        { "Time",    { 315, 250, 30, 30 } },   // delTmeSlider
        { "Volume",  { 410, 170, 40, 40 } },   // mastSlider
        { "Res",     { 570, 430, 30, 30 } },   // wahResSlider
        { "Gain",    { 635, 430, 30, 30 } },   // wahGainSlider
    };

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

    inline const juce::Rectangle<int> meter      { 415, 250, 30, 110 };   // outputLevelSlider
    inline const juce::Rectangle<int> wahPedal   { 540, 130, 150, 300 };  // wahFreqSlider
    inline const juce::Rectangle<int> wahSwitch  { 515, 150, 30, 60 };    // wahButton
    inline const int switchXs[] = { 115, 215, 315, 415 };                  // dist, amp, del, mast
    inline constexpr int switchY = 430, switchWidth = 30, switchHeight = 60;

    /** Areas where the framework draws light-grey text straight onto the picture. */
    inline const juce::Rectangle<int> fileButton { 0, 2, 48, 24 };
    inline const juce::Rectangle<int> creditLink { 634, 572, 168, 24 };
}

} // namespace velthorn::artwork
