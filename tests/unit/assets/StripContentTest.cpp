// What the pictures show, as far as the controls depend on it: the knob
// pointer's sweep, the switch lamp's on and off frames, the meter filling
// from the bottom, and dark ground where the framework writes light-grey text.

#include "AssetTable.h"

#include <gtest/gtest.h>

#include <cmath>

namespace velthorn::test
{
namespace
{

constexpr double pi = 3.14159265358979323846;

juce::Rectangle<int> frameArea (const AssetCase& a, int frame)
{
    return { 0, frame * a.frameHeight(), a.width, a.frameHeight() };
}

struct AreaStats
{
    double meanLuminance = 0.0, maxLuminance = 0.0;
};

AreaStats statsOf (const juce::Image& image, juce::Rectangle<int> area)
{
    area = area.getIntersection (image.getBounds());
    AreaStats stats;

    for (int y = area.getY(); y < area.getBottom(); ++y)
    {
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            const auto pixel = image.getPixelAt (x, y);
            const auto l = luminanceOf (pixel) * pixel.getFloatAlpha();
            stats.meanLuminance += l;
            stats.maxLuminance = std::max (stats.maxLuminance, l);
        }
    }

    stats.meanLuminance /= std::max (1, area.getWidth() * area.getHeight());
    return stats;
}

//==============================================================================
class KnobStrip : public ::testing::TestWithParam<const char*> {};

TEST_P (KnobStrip, CornersAreClearAndTheCentreIsOpaqueInEveryFrame)
{
    const auto& a = assetNamed (GetParam());
    const auto image = decode (a);
    ASSERT_TRUE (image.isValid());

    for (int frame = 0; frame < a.frames; ++frame)
    {
        const auto f = frameArea (a, frame);

        for (const auto corner : { f.getTopLeft(), f.getTopRight() - juce::Point<int> (1, 0),
                                   f.getBottomLeft() - juce::Point<int> (0, 1), f.getBottomRight() - juce::Point<int> (1, 1) })
            EXPECT_EQ (image.getPixelAt (corner.x, corner.y).getAlpha(), 0) << "frame " << frame;

        EXPECT_EQ (image.getPixelAt (f.getCentreX(), f.getCentreY()).getAlpha(), 255) << "frame " << frame;
    }
}

TEST_P (KnobStrip, PointerSweepsClockwiseFromLowerLeftToLowerRight)
{
    // Frame 0 at -135 degrees from straight up (lower left), the middle frame
    // straight up, the last at +135 (lower right), in equal steps.
    const auto& a = assetNamed (GetParam());
    const auto image = decode (a);
    ASSERT_TRUE (image.isValid());

    const auto radius = a.width * 0.2;

    for (int frame = 0; frame < a.frames; ++frame)
    {
        const auto centre = frameArea (a, frame).toDouble().getCentre();
        double darkest = 2.0, darkestAngle = 0.0;

        for (int step = 0; step < 720; ++step)
        {
            const auto angle = -180.0 + step * 0.5;
            const auto rad = angle * pi / 180.0;
            const auto x = static_cast<int> (std::floor (centre.x + radius * std::sin (rad)));
            const auto y = static_cast<int> (std::floor (centre.y - radius * std::cos (rad)));
            const auto l = luminanceOf (image.getPixelAt (x, y));

            if (l < darkest)
            {
                darkest = l;
                darkestAngle = angle;
            }
        }

        const auto expected = -135.0 + 270.0 * frame / (a.frames - 1);
        auto difference = std::fmod (std::abs (darkestAngle - expected), 360.0);
        difference = std::min (difference, 360.0 - difference);
        EXPECT_LE (difference, 10.0) << "frame " << frame << ": pointer at " << darkestAngle
                                     << " degrees, expected " << expected;
    }
}

INSTANTIATE_TEST_SUITE_P (BothSizes, KnobStrip, ::testing::Values ("largeKnobStrip", "smallKnobStrip"),
                          [] (const auto& info) { return std::string (info.param); });

//==============================================================================
TEST (SwitchStrip, TopFrameLampIsLitYellowAndBottomFrameLampIsDark)
{
    const auto& a = assetNamed ("switchStrip");
    const auto image = decode (a);
    ASSERT_TRUE (image.isValid());

    // The lamp sits in the upper part of each frame, above the footswitch.
    const auto lampArea = [&a] (int frame)
    {
        return frameArea (a, frame).withHeight (a.frameHeight() * 2 / 5);
    };

    const auto on = statsOf (image, lampArea (0));
    const auto off = statsOf (image, lampArea (1));

    EXPECT_GT (on.meanLuminance, off.meanLuminance + 0.1);
    EXPECT_GT (on.maxLuminance, 0.8);
    EXPECT_LT (off.meanLuminance, 0.25);

    // The brightest lit pixel is yellow: strong red and green, little blue.
    juce::Colour brightest;

    for (int y = lampArea (0).getY(); y < lampArea (0).getBottom(); ++y)
        for (int x = 0; x < a.width; ++x)
            if (luminanceOf (image.getPixelAt (x, y)) * image.getPixelAt (x, y).getFloatAlpha()
                > luminanceOf (brightest) * brightest.getFloatAlpha())
                brightest = image.getPixelAt (x, y);

    EXPECT_GT (brightest.getRed(), 220);
    EXPECT_GT (brightest.getGreen(), 170);
    EXPECT_LT (brightest.getBlue(), brightest.getGreen() * 0.8);

    // The footswitch below the lamp looks the same in both frames.
    const auto switchOn = statsOf (image, frameArea (a, 0).withTrimmedTop (a.frameHeight() / 2));
    const auto switchOff = statsOf (image, frameArea (a, 1).withTrimmedTop (a.frameHeight() / 2));
    EXPECT_NEAR (switchOn.meanLuminance, switchOff.meanLuminance, 0.05);
}

//==============================================================================
enum class Lit { none, yellow, red };

Lit litColourOf (juce::Colour c)
{
    if (c.getAlpha() < 200)
        return Lit::none;

    if (c.getRed() > 200 && c.getGreen() > 140 && c.getBlue() < c.getRed() * 0.6)
        return Lit::yellow;

    if (c.getRed() > 180 && c.getGreen() < 120 && c.getBlue() < 110)
        return Lit::red;

    return Lit::none;
}

struct LitCount
{
    int yellow = 0, red = 0, redInTopQuarter = 0;
};

LitCount countLit (const juce::Image& image, juce::Rectangle<int> frame)
{
    LitCount count;

    for (int y = frame.getY(); y < frame.getBottom(); ++y)
    {
        for (int x = frame.getX(); x < frame.getRight(); ++x)
        {
            switch (litColourOf (image.getPixelAt (x, y)))
            {
                case Lit::yellow: ++count.yellow; break;
                case Lit::red:
                    ++count.red;
                    count.redInTopQuarter += y < frame.getY() + frame.getHeight() / 4 ? 1 : 0;
                    break;
                case Lit::none: break;
            }
        }
    }

    return count;
}

TEST (MeterStrip, StartsDarkAndFillsFromTheBottomUpEndingRedAtTheTop)
{
    const auto& a = assetNamed ("meterStrip");
    const auto image = decode (a);
    ASSERT_TRUE (image.isValid());

    const auto first = countLit (image, frameArea (a, 0));
    EXPECT_EQ (first.yellow + first.red, 0) << "frame 0 has every lamp dark";

    auto previous = first;

    for (int frame = 1; frame < a.frames; ++frame)
    {
        const auto count = countLit (image, frameArea (a, frame));
        EXPECT_GE (count.yellow + count.red, previous.yellow + previous.red) << "frame " << frame;
        previous = count;
    }

    // An early frame lights only the bottom of the column.
    const auto early = frameArea (a, 3);
    const auto lowerHalf = countLit (image, early.withTrimmedTop (early.getHeight() / 2));
    const auto upperHalf = countLit (image, early.withHeight (early.getHeight() / 2));
    EXPECT_GT (lowerHalf.yellow, 0);
    EXPECT_EQ (upperHalf.yellow + upperHalf.red, 0);

    // Red only near full scale, and at the top.
    for (int frame = 0; frame <= (a.frames - 1) * 2 / 3; ++frame)
        EXPECT_EQ (countLit (image, frameArea (a, frame)).red, 0) << "frame " << frame;

    const auto last = countLit (image, frameArea (a, a.frames - 1));
    EXPECT_GT (last.redInTopQuarter, 0);
    EXPECT_EQ (last.red, last.redInTopQuarter);
}

//==============================================================================
struct TextGround
{
    const char* asset;
    const char* what;
    juce::Rectangle<int> area;
};

void PrintTo (const TextGround& ground, std::ostream* out)
{
    *out << ground.asset << ": " << ground.what;
}

class DarkGroundForText : public ::testing::TestWithParam<TextGround> {};

TEST_P (DarkGroundForText, IsDarkEnoughForLightGreyText)
{
    // The framework draws the File button's and the links' text (0xaeaeae to
    // 0xb9b9b9) straight onto the picture; it must stand out clearly.
    const auto& ground = GetParam();
    const auto image = decode (assetNamed (ground.asset));
    ASSERT_TRUE (image.isValid());

    const auto stats = statsOf (image, ground.area);
    EXPECT_LT (stats.meanLuminance, 0.15) << ground.what;
    EXPECT_LT (stats.maxLuminance, 0.35) << ground.what;
}

INSTANTIATE_TEST_SUITE_P (
    PanelsAndAbout, DarkGroundForText,
    ::testing::Values (TextGround { "backgroundPicture", "File button", { 0, 2, 48, 24 } },
                       TextGround { "backgroundPicture", "credit link", { 634, 572, 168, 24 } },
                       TextGround { "aboutPicture", "version, release and contact labels", { 16, 104, 136, 88 } },
                       TextGround { "aboutPicture", "contact link", { 58, 170, 184, 20 } }),
    [] (const auto& info)
    {
        return juce::String (info.param.what).retainCharacters ("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ").toStdString();
    });

} // namespace
} // namespace velthorn::test
