#include "FilmstripSlider.h"
#include "PixelTestSupport.h"

#include <gtest/gtest.h>

using namespace PixelTestSupport;

namespace
{
    const char* orientationName (bool horizontal)   { return horizontal ? "horizontal strip" : "vertical strip"; }
}

TEST (FilmstripSlider, ConstructionSetsOnlyTheNameAndTheEmptyStrip)
{
    FilmstripSlider slider ("distGainSlider");
    const juce::Slider plain;

    EXPECT_EQ (slider.getName(), "distGainSlider");
    EXPECT_TRUE (slider.stripImage.isNull());
    EXPECT_EQ (slider.frameCount, 0);
    EXPECT_TRUE (slider.horizontalStrip);
    EXPECT_EQ (slider.frameWidth, 0);
    EXPECT_EQ (slider.frameHeight, 0);

    // Range, style and text box are the framework's defaults until the owner
    // changes them.
    EXPECT_EQ (slider.getMinimum(), plain.getMinimum());
    EXPECT_EQ (slider.getMaximum(), plain.getMaximum());
    EXPECT_EQ (slider.getInterval(), plain.getInterval());
    EXPECT_EQ (slider.getValue(), plain.getValue());
    EXPECT_EQ (slider.getSliderStyle(), plain.getSliderStyle());
    EXPECT_EQ (slider.getTextBoxPosition(), plain.getTextBoxPosition());
    EXPECT_EQ (slider.getTextBoxWidth(), plain.getTextBoxWidth());
    EXPECT_EQ (slider.getTextBoxHeight(), plain.getTextBoxHeight());
    EXPECT_EQ (slider.getSkewFactor(), plain.getSkewFactor());
}

TEST (FilmstripSlider, FrameSizeFollowsOrientationAndCountWithIntegerDivision)
{
    struct Case { int imageWidth, imageHeight; bool horizontal; int frames; int frameWidth, frameHeight; };

    const Case cases[] = {
        { 40, 1240, false, 31, 40, 40 },     // the large knob strip
        { 30, 930,  false, 31, 30, 30 },     // the small knob strip
        { 150, 9000, false, 30, 150, 300 },  // the pedal strip
        { 30, 3410, false, 31, 30, 110 },    // the meter strip
        { 1240, 40, true,  31, 40, 40 },
        { 100, 10,  true,  3,  33, 10 },     // one leftover column
        { 10, 32,   false, 3,  10, 10 },     // two leftover rows
        { 25, 17,   true,  1,  25, 17 },
        { 25, 17,   false, 1,  25, 17 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.imageWidth) + " x " + juce::String (c.imageHeight) + ", "
                      + orientationName (c.horizontal) + ", " + juce::String (c.frames) + " frames");

        FilmstripSlider slider ("knob");
        const juce::Image picture (juce::Image::ARGB, c.imageWidth, c.imageHeight, true);
        slider.setStripImage (picture, c.horizontal, c.frames);

        EXPECT_TRUE (slider.stripImage.isValid());
        EXPECT_EQ (slider.frameCount, c.frames);
        EXPECT_EQ (slider.horizontalStrip, c.horizontal);
        EXPECT_EQ (slider.frameWidth, c.frameWidth);
        EXPECT_EQ (slider.frameHeight, c.frameHeight);

        // Worked out once, when the picture is set; resizing changes nothing.
        slider.setSize (3 * c.imageWidth + 7, 11);
        EXPECT_EQ (slider.frameWidth, c.frameWidth);
        EXPECT_EQ (slider.frameHeight, c.frameHeight);
    }
}

TEST (FilmstripSlider, SharesThePicturesPixelsInsteadOfCopyingThem)
{
    const auto strip = makeStrip (31, 40, 40, false);
    FilmstripSlider first ("first"), second ("second");
    first.setStripImage (strip, false, 31);
    second.setStripImage (strip, false, 31);

    EXPECT_EQ (first.stripImage, strip);
    EXPECT_EQ (second.stripImage, strip);
    EXPECT_EQ (strip.getReferenceCount(), 3);
}

TEST (FilmstripSlider, DrawsTheFrameOfTheValueTruncatedNotRounded)
{
    struct Case { const char* what; double minimum, maximum; int frames; double value; int expectedFrame; };

    const Case cases[] = {
        { "minimum",                           0.0, 1.0,  31, 0.0,        0 },
        { "maximum",                           0.0, 1.0,  31, 1.0,        30 },
        { "just below the maximum",            0.0, 1.0,  31, 1.0 - 1e-9, 29 },
        { "worked example, 0",                 0.0, 10.0, 31, 0.0,        0 },
        { "worked example, 5",                 0.0, 10.0, 31, 5.0,        15 },
        { "worked example, 9.99",              0.0, 10.0, 31, 9.99,       29 },
        { "worked example, 10",                0.0, 10.0, 31, 10.0,       30 },
        { "0.99 of a step truncates to 0",     0.0, 10.0, 31, 0.33,       0 },
        { "1.02 steps truncate to 1",          0.0, 10.0, 31, 0.34,       1 },
        { "one frame at the minimum",          0.0, 1.0,  1,  0.0,        0 },
        { "one frame in the middle",           0.0, 1.0,  1,  0.5,        0 },
        { "one frame at the maximum",          0.0, 1.0,  1,  1.0,        0 },
        { "range below zero, minimum",         -5.0, 5.0, 11, -5.0,       0 },
        { "range below zero, middle",          -5.0, 5.0, 11, 0.0,        5 },
        { "range below zero, below maximum",   -5.0, 5.0, 11, 4.99,       9 },
        { "range below zero, maximum",         -5.0, 5.0, 11, 5.0,        10 },
        { "meter range past 1, at 1.0",        0.0, 1.33, 31, 1.0,        22 },
        { "meter range past 1, maximum",       0.0, 1.33, 31, 1.33,       30 },
        { "pedal strip of 30, maximum",        0.0, 1.0,  30, 1.0,        29 },
        { "pedal strip of 30, middle",         0.0, 1.0,  30, 0.5,        14 },
    };

    for (const bool horizontal : { false, true })
    {
        for (const auto& c : cases)
        {
            SCOPED_TRACE (juce::String (c.what) + ", " + orientationName (horizontal));

            FilmstripSlider slider ("knob");
            slider.setRange (c.minimum, c.maximum, 0.0);
            slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 80, 20);
            slider.setValue (c.value, juce::dontSendNotification);
            ASSERT_EQ (slider.getValue(), c.value);

            slider.setStripImage (makeStrip (c.frames, 8, 6, horizontal), horizontal, c.frames);
            slider.setSize (8, 6);

            EXPECT_TRUE (exactlyFilled (paintOwnFace (slider), { 0, 0, 8, 6 }, frameColour (c.expectedFrame)));
        }
    }
}

TEST (FilmstripSlider, WorkedExampleCopiesFrameFifteenFromItsPlaceInTheStrip)
{
    // 40 x 1240 vertical strip of 31 frames: frame 15 is the 40 x 40 square
    // at (0, 600). Painted through the framework as the main panel's knobs
    // are (no text box, rotary style).
    FilmstripSlider slider ("distGainSlider");
    slider.setRange (0.0, 10.0, 0.0);
    slider.setSliderStyle (juce::Slider::RotaryVerticalDrag);
    slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 80, 20);
    slider.setStripImage (makeStrip (31, 40, 40, false), false, 31);
    slider.setValue (5.0, juce::dontSendNotification);
    slider.setSize (40, 40);

    const auto canvas = paintWhole (slider);
    EXPECT_TRUE (exactlyFilled (canvas, { 0, 0, 40, 40 }, slider.stripImage.getPixelAt (0, 600)));
    EXPECT_TRUE (exactlyFilled (canvas, { 0, 0, 40, 40 }, slider.stripImage.getPixelAt (39, 639)));
    EXPECT_TRUE (exactlyFilled (canvas, { 0, 0, 40, 40 }, frameColour (15)));
}

TEST (FilmstripSlider, SkewDoesNotEnterTheFrameChoice)
{
    for (const double skew : { 0.25, 1.0, 4.0 })
    {
        SCOPED_TRACE ("skew " + juce::String (skew));

        FilmstripSlider slider ("knob");
        slider.setRange (0.0, 10.0, 0.0);
        slider.setSkewFactor (skew);
        slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 80, 20);
        slider.setStripImage (makeStrip (31, 5, 5, false), false, 31);
        slider.setValue (5.0, juce::dontSendNotification);
        slider.setSize (5, 5);

        EXPECT_TRUE (exactlyFilled (paintOwnFace (slider), { 0, 0, 5, 5 }, frameColour (15)));
    }
}

TEST (FilmstripSlider, FollowsTheValueFromOnePaintToTheNext)
{
    FilmstripSlider slider ("knob");
    slider.setRange (0.0, 1.0, 0.01);
    slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 80, 20);
    slider.setStripImage (makeStrip (31, 6, 6, false), false, 31);
    slider.setSize (6, 6);

    struct Step { double value; int expectedFrame; };
    for (const auto& step : { Step { 0.5, 15 }, Step { 1.0, 30 }, Step { 0.1, 3 }, Step { 0.0, 0 } })
    {
        SCOPED_TRACE ("value " + juce::String (step.value));
        slider.setValue (step.value, juce::dontSendNotification);
        EXPECT_TRUE (exactlyFilled (paintOwnFace (slider), { 0, 0, 6, 6 }, frameColour (step.expectedFrame)));
    }
}

TEST (FilmstripSlider, WithoutAPictureDrawsNothingAtAll)
{
    struct Case { const char* what; bool installThenClear; juce::Slider::SliderStyle style; };

    const Case cases[] = {
        { "never given a picture, linear",   false, juce::Slider::LinearHorizontal },
        { "never given a picture, rotary",   false, juce::Slider::RotaryVerticalDrag },
        { "picture replaced by a null one",  true,  juce::Slider::RotaryVerticalDrag },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);

        FilmstripSlider slider ("knob");
        slider.setSliderStyle (c.style);
        slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 80, 20);
        slider.setRange (0.0, 1.0, 0.0);
        slider.setValue (0.5, juce::dontSendNotification);
        slider.setSize (40, 40);

        if (c.installThenClear)
        {
            slider.setStripImage (makeStrip (31, 40, 40, false), false, 31);
            ASSERT_FALSE (allTransparent (paintWhole (slider)));
            slider.setStripImage (juce::Image(), true, 5);
        }

        // No look-and-feel slider either: not a single pixel is touched.
        EXPECT_TRUE (allTransparent (paintOwnFace (slider)));
        EXPECT_TRUE (allTransparent (paintWhole (slider)));
    }
}

TEST (FilmstripSlider, NullPictureKeepsOrientationAndFrameSizeButDropsTheCount)
{
    FilmstripSlider slider ("knob");
    slider.setStripImage (makeStrip (31, 30, 30, false), false, 31);
    slider.setStripImage (juce::Image(), true, 12);

    EXPECT_TRUE (slider.stripImage.isNull());
    EXPECT_EQ (slider.frameCount, 0);
    EXPECT_FALSE (slider.horizontalStrip);
    EXPECT_EQ (slider.frameWidth, 30);
    EXPECT_EQ (slider.frameHeight, 30);

    // A new picture afterwards is taken as usual.
    slider.setStripImage (makeStrip (4, 10, 20, true), true, 4);
    EXPECT_EQ (slider.frameCount, 4);
    EXPECT_TRUE (slider.horizontalStrip);
    EXPECT_EQ (slider.frameWidth, 10);
    EXPECT_EQ (slider.frameHeight, 20);
}

TEST (FilmstripSlider, TextBoxBelowTakesItsHeightOffBothSidesOtherPositionsCoverTheWholeControl)
{
    // Frames of 40 x 60 on a 60 x 80 control with a 20 pixel high text box.
    struct Case { juce::Slider::TextEntryBoxPosition position; const char* what; bool horizontal;
                  juce::Rectangle<int> drawn; bool oneToOne; };

    const Case cases[] = {
        { juce::Slider::TextBoxBelow, "below", true,  { 10, 0, 40, 60 }, true },
        { juce::Slider::TextBoxBelow, "below", false, { 0, 0, 40, 60 },  true },
        { juce::Slider::NoTextBox,    "none",  true,  { 0, 0, 60, 80 },  false },
        { juce::Slider::NoTextBox,    "none",  false, { 0, 0, 60, 80 },  false },
        { juce::Slider::TextBoxLeft,  "left",  true,  { 0, 0, 60, 80 },  false },
        { juce::Slider::TextBoxLeft,  "left",  false, { 0, 0, 60, 80 },  false },
        { juce::Slider::TextBoxRight, "right", true,  { 0, 0, 60, 80 },  false },
        { juce::Slider::TextBoxRight, "right", false, { 0, 0, 60, 80 },  false },
        { juce::Slider::TextBoxAbove, "above", true,  { 0, 0, 60, 80 },  false },
        { juce::Slider::TextBoxAbove, "above", false, { 0, 0, 60, 80 },  false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String ("text box ") + c.what + ", " + orientationName (c.horizontal));

        FilmstripSlider slider ("knob");
        slider.setRange (0.0, 1.0, 0.0);
        slider.setTextBoxStyle (c.position, false, 30, 20);
        slider.setStripImage (makeStrip (3, 40, 60, c.horizontal), c.horizontal, 3);
        slider.setValue (0.5, juce::dontSendNotification);
        slider.setSize (60, 80);

        const auto canvas = paintOwnFace (slider);

        if (c.oneToOne)
            EXPECT_TRUE (exactlyFilled (canvas, c.drawn, frameColour (1)));
        else
            EXPECT_TRUE (scaledFill (canvas, c.drawn, frameColour (1)));
    }
}

TEST (FilmstripSlider, TextBoxBelowOddDifferenceTruncatesTheOffset)
{
    // 61 wide, text box 20: destination 41 wide, offset 10.0 -> 10. With 63
    // wide and a 21 pixel box the offset is 10.5, truncated to 10.
    struct Case { int width, height, boxHeight; juce::Rectangle<int> drawn; };

    for (const auto& c : { Case { 61, 80, 20, { 10, 0, 41, 60 } }, Case { 63, 81, 21, { 10, 0, 42, 60 } } })
    {
        SCOPED_TRACE (juce::String (c.width) + " x " + juce::String (c.height) + ", box " + juce::String (c.boxHeight));

        FilmstripSlider slider ("knob");
        slider.setRange (0.0, 1.0, 0.0);
        slider.setTextBoxStyle (juce::Slider::TextBoxBelow, false, 30, c.boxHeight);
        slider.setStripImage (makeStrip (2, 10, 10, true), true, 2);
        slider.setSize (c.width, c.height);

        EXPECT_TRUE (scaledFill (paintOwnFace (slider), c.drawn, frameColour (0)));
    }
}

TEST (FilmstripSlider, PaintedWithItsTextBoxTheFrameStaysAboveTheBox)
{
    FilmstripSlider slider ("knob");
    slider.setRange (0.0, 1.0, 0.0);
    slider.setTextBoxStyle (juce::Slider::TextBoxBelow, false, 40, 20);
    slider.setStripImage (makeStrip (3, 40, 60, true), true, 3);
    slider.setValue (1.0, juce::dontSendNotification);
    slider.setSize (60, 80);

    const auto canvas = paintWhole (slider);

    for (int y = 0; y < 60; ++y)
    {
        for (int x = 0; x < 60; ++x)
        {
            const auto expected = juce::Rectangle<int> (10, 0, 40, 60).contains (x, y) ? frameColour (2)
                                                                                     : juce::Colours::transparentBlack;
            ASSERT_EQ (canvas.getPixelAt (x, y), expected) << x << ", " << y;
        }
    }
}

TEST (FilmstripSlider, ScalesTheFrameToTheControlWithoutKeepingItsShape)
{
    struct Case { int width, height; };

    for (const bool horizontal : { false, true })
    {
        for (const auto& c : { Case { 100, 50 }, Case { 20, 10 }, Case { 7, 300 }, Case { 120, 120 }, Case { 3, 3 } })
        {
            SCOPED_TRACE (juce::String (c.width) + " x " + juce::String (c.height) + ", "
                          + orientationName (horizontal));

            FilmstripSlider slider ("knob");
            slider.setRange (0.0, 10.0, 0.0);
            slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 80, 20);
            slider.setStripImage (makeStrip (31, 40, 40, horizontal), horizontal, 31);
            slider.setValue (5.0, juce::dontSendNotification);
            slider.setSize (c.width, c.height);

            EXPECT_TRUE (scaledFill (paintOwnFace (slider), { 0, 0, c.width, c.height }, frameColour (15)));
        }
    }
}

TEST (FilmstripSlider, LeftoverPixelsAtTheEndOfTheStripAreNeverDrawn)
{
    // Three frames of 10 x 10 and two extra rows or columns: the last frame
    // ends before them, whether drawn one to one or scaled.
    struct Case { int width, height; bool oneToOne; };

    for (const bool horizontal : { false, true })
    {
        for (const auto& c : { Case { 10, 10, true }, Case { 37, 23, false }, Case { 4, 4, false } })
        {
            SCOPED_TRACE (juce::String (c.width) + " x " + juce::String (c.height) + ", "
                          + orientationName (horizontal));

            FilmstripSlider slider ("knob");
            slider.setRange (0.0, 1.0, 0.0);
            slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 80, 20);
            slider.setStripImage (makeStrip (3, 10, 10, horizontal, 2), horizontal, 3);
            ASSERT_EQ (slider.frameWidth, 10);
            ASSERT_EQ (slider.frameHeight, 10);
            slider.setValue (1.0, juce::dontSendNotification);
            slider.setSize (c.width, c.height);

            const auto canvas = paintOwnFace (slider);

            if (c.oneToOne)
                EXPECT_TRUE (exactlyFilled (canvas, { 0, 0, c.width, c.height }, frameColour (2)));
            else
                EXPECT_TRUE (scaledFill (canvas, { 0, 0, c.width, c.height }, frameColour (2)));
        }
    }
}

TEST (FilmstripSlider, FramesShorterThanAPixelDrawNothing)
{
    // 31 frames asked of a 40 x 20 picture: each frame is 0 pixels high.
    FilmstripSlider slider ("knob");
    slider.setRange (0.0, 1.0, 0.0);
    slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 80, 20);
    slider.setStripImage (makeStrip (1, 40, 20, false), false, 31);
    ASSERT_EQ (slider.frameHeight, 0);
    slider.setSize (40, 40);

    for (const double value : { 0.0, 0.5, 1.0 })
    {
        slider.setValue (value, juce::dontSendNotification);
        EXPECT_TRUE (allTransparent (paintOwnFace (slider))) << value;
    }
}

TEST (FilmstripSlider, FrameCountBelowOneTreatsTheWholePictureAsOneFrame)
{
    // A count below one would divide by zero; the picture is shown whole.
    for (const int frames : { 0, -3 })
    {
        SCOPED_TRACE ("frame count " + juce::String (frames));

        for (const bool horizontal : { false, true })
        {
            FilmstripSlider slider ("knob");
            slider.setRange (0.0, 1.0, 0.0);
            slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 80, 20);
            slider.setStripImage (makeStrip (1, 12, 9, horizontal), horizontal, frames);

            EXPECT_EQ (slider.frameCount, 1);
            EXPECT_EQ (slider.frameWidth, 12);
            EXPECT_EQ (slider.frameHeight, 9);

            slider.setValue (1.0, juce::dontSendNotification);
            slider.setSize (12, 9);
            EXPECT_TRUE (exactlyFilled (paintOwnFace (slider), { 0, 0, 12, 9 }, frameColour (0)));
        }
    }
}

TEST (FilmstripSlider, EmptyRangeShowsTheFirstFrame)
{
    // Minimum equal to maximum has no position along the strip; the control
    // shows its first frame instead of turning 0 / 0 into an index.
    FilmstripSlider slider ("knob");
    slider.setRange (0.5, 0.5, 0.0);
    slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 80, 20);
    slider.setStripImage (makeStrip (31, 6, 6, false), false, 31);
    slider.setSize (6, 6);

    EXPECT_TRUE (exactlyFilled (paintOwnFace (slider), { 0, 0, 6, 6 }, frameColour (0)));
}
