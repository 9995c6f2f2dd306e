#include "ImageToggleButton.h"
#include "PixelTestSupport.h"

#include <gtest/gtest.h>

using namespace PixelTestSupport;

namespace
{
    const char* orientationName (bool horizontal)   { return horizontal ? "horizontal strip" : "vertical strip"; }

    // The switch picture: frame 0 (on) at the top or left, frame 1 (off)
    // below or right of it, then `leftover` rows or columns that belong to
    // no frame.
    juce::Image makeSwitchStrip (bool horizontal, int leftover = 0)
    {
        return makeStrip (2, 30, 60, horizontal, leftover);
    }

    const juce::Colour onColour = frameColour (0);
    const juce::Colour offColour = frameColour (1);
}

TEST (ImageToggleButton, ConstructionGivesAnOffSwitchThatTogglesOnClickAndHasNoPicture)
{
    ImageToggleButton button ("wahButton");

    EXPECT_EQ (button.getName(), "wahButton");
    EXPECT_EQ (button.getButtonText(), "wahButton");
    EXPECT_TRUE (button.getClickingTogglesState());
    EXPECT_FALSE (button.getToggleState());

    EXPECT_TRUE (button.stripImage.isNull());
    EXPECT_TRUE (button.horizontalStrip);
    EXPECT_EQ (button.frameWidth, 0);
    EXPECT_EQ (button.frameHeight, 0);
}

TEST (ImageToggleButton, FrameSizeIsHalfThePictureAlongTheStrip)
{
    struct Case { int imageWidth, imageHeight; bool horizontal; int frameWidth, frameHeight; };

    const Case cases[] = {
        { 30, 120, false, 30, 60 },   // the switch picture
        { 30, 121, false, 30, 60 },   // odd height: the last row belongs to no frame
        { 60, 60,  true,  30, 60 },
        { 61, 60,  true,  30, 60 },   // odd width: the last column belongs to no frame
        { 1,  1,   false, 1,  0 },
        { 1,  1,   true,  0,  1 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.imageWidth) + " x " + juce::String (c.imageHeight) + ", "
                      + orientationName (c.horizontal));

        ImageToggleButton button ("switch");
        button.setStripImage (juce::Image (juce::Image::ARGB, c.imageWidth, c.imageHeight, true), c.horizontal);

        EXPECT_TRUE (button.stripImage.isValid());
        EXPECT_EQ (button.horizontalStrip, c.horizontal);
        EXPECT_EQ (button.frameWidth, c.frameWidth);
        EXPECT_EQ (button.frameHeight, c.frameHeight);
    }
}

TEST (ImageToggleButton, OnDrawsTheFirstFrameAndOffTheSecond)
{
    struct Case { bool horizontal; int leftover; bool on; };

    for (const auto& c : { Case { false, 0, true }, Case { false, 0, false },
                           Case { true,  0, true }, Case { true,  0, false },
                           Case { false, 1, true }, Case { false, 1, false },   // 30 x 121
                           Case { true,  1, true }, Case { true,  1, false } }) // 61 x 60
    {
        SCOPED_TRACE (juce::String (orientationName (c.horizontal)) + ", " + juce::String (c.leftover)
                      + " leftover, " + (c.on ? "on" : "off"));

        ImageToggleButton button ("switch");
        button.setStripImage (makeSwitchStrip (c.horizontal, c.leftover), c.horizontal);
        button.setToggleState (c.on, juce::dontSendNotification);
        button.setSize (30, 60);

        EXPECT_TRUE (exactlyFilled (paintWhole (button), { 0, 0, 30, 60 }, c.on ? onColour : offColour));
    }
}

TEST (ImageToggleButton, FollowsTheToggleStateFromOnePaintToTheNext)
{
    ImageToggleButton button ("switch");
    button.setStripImage (makeSwitchStrip (false), false);
    button.setSize (30, 60);

    for (const bool on : { true, false, true })
    {
        button.setToggleState (on, juce::dontSendNotification);
        EXPECT_TRUE (exactlyFilled (paintWhole (button), { 0, 0, 30, 60 }, on ? onColour : offColour)) << on;
    }
}

TEST (ImageToggleButton, HoverAndPressDoNotChangeThePicture)
{
    struct Case { juce::Button::ButtonState state; const char* what; };

    for (const bool on : { false, true })
    {
        for (const auto& c : { Case { juce::Button::buttonNormal, "normal" },
                               Case { juce::Button::buttonOver, "mouse over" },
                               Case { juce::Button::buttonDown, "held down" } })
        {
            SCOPED_TRACE (juce::String (c.what) + ", " + (on ? "on" : "off"));

            ImageToggleButton button ("switch");
            button.setStripImage (makeSwitchStrip (false), false);
            button.setToggleState (on, juce::dontSendNotification);
            button.setSize (30, 60);
            button.setState (c.state);
            ASSERT_EQ (button.getState(), c.state);

            EXPECT_TRUE (exactlyFilled (paintWhole (button), { 0, 0, 30, 60 }, on ? onColour : offColour));
        }
    }
}

TEST (ImageToggleButton, ScalesTheFrameToTheButtonWithoutKeepingItsShape)
{
    struct Case { int width, height; };

    for (const bool horizontal : { false, true })
    {
        for (const bool on : { false, true })
        {
            for (const auto& c : { Case { 45, 90 }, Case { 15, 20 }, Case { 100, 10 }, Case { 3, 3 } })
            {
                SCOPED_TRACE (juce::String (c.width) + " x " + juce::String (c.height) + ", "
                              + orientationName (horizontal) + (on ? ", on" : ", off"));

                ImageToggleButton button ("switch");
                button.setStripImage (makeSwitchStrip (horizontal, 1), horizontal);
                button.setToggleState (on, juce::dontSendNotification);
                button.setSize (c.width, c.height);

                EXPECT_TRUE (scaledFill (paintWhole (button), { 0, 0, c.width, c.height }, on ? onColour : offColour));
            }
        }
    }
}

TEST (ImageToggleButton, WithoutAPictureDrawsNeitherTickBoxNorText)
{
    struct Case { const char* what; bool installThenClear; bool on; };

    for (const auto& c : { Case { "never given a picture, off", false, false },
                           Case { "never given a picture, on", false, true },
                           Case { "picture replaced by a null one, off", true, false },
                           Case { "picture replaced by a null one, on", true, true } })
    {
        SCOPED_TRACE (c.what);

        // The name is also the button text a plain toggle button would draw.
        ImageToggleButton button ("wahButton");
        button.setToggleState (c.on, juce::dontSendNotification);
        button.setSize (120, 60);

        if (c.installThenClear)
        {
            button.setStripImage (makeSwitchStrip (false), false);
            ASSERT_FALSE (allTransparent (paintWhole (button)));
            button.setStripImage (juce::Image(), true);
        }

        EXPECT_TRUE (allTransparent (paintWhole (button)));
    }
}

TEST (ImageToggleButton, NullPictureKeepsOrientationAndFrameSize)
{
    ImageToggleButton button ("switch");
    button.setStripImage (makeSwitchStrip (false), false);
    button.setStripImage (juce::Image(), true);

    EXPECT_TRUE (button.stripImage.isNull());
    EXPECT_FALSE (button.horizontalStrip);
    EXPECT_EQ (button.frameWidth, 30);
    EXPECT_EQ (button.frameHeight, 60);

    // The next real picture is taken as usual.
    button.setStripImage (makeSwitchStrip (true), true);
    EXPECT_TRUE (button.horizontalStrip);
    EXPECT_EQ (button.frameWidth, 30);
    EXPECT_EQ (button.frameHeight, 60);
}

TEST (ImageToggleButton, ButtonTextIsNeverDrawnOverThePicture)
{
    ImageToggleButton button ("switch");
    button.setButtonText ("a long caption that would cover the face");
    button.setStripImage (makeSwitchStrip (false), false);
    button.setSize (30, 60);

    for (const bool on : { false, true })
    {
        button.setToggleState (on, juce::dontSendNotification);
        EXPECT_TRUE (exactlyFilled (paintWhole (button), { 0, 0, 30, 60 }, on ? onColour : offColour)) << on;
    }
}
