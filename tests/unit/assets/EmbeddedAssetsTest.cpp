// Every embedded picture: it decodes, has the size and frame layout the
// controls are built for, and is stored as 8-bit RGBA without interlacing.

#include "AssetTable.h"

#include <gtest/gtest.h>

#include <cstring>

namespace velthorn::test
{
namespace
{

class EmbeddedAsset : public ::testing::TestWithParam<AssetCase> {};

std::uint32_t bigEndian32 (const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*> (p);
    return (std::uint32_t (b[0]) << 24) | (std::uint32_t (b[1]) << 16) | (std::uint32_t (b[2]) << 8) | b[3];
}

TEST_P (EmbeddedAsset, DecodesToItsTableSize)
{
    const auto& a = GetParam();
    ASSERT_NE (a.data, nullptr);
    ASSERT_GT (a.size, 0);

    const auto image = decode (a);
    ASSERT_TRUE (image.isValid());
    EXPECT_EQ (image.getWidth(), a.width);
    EXPECT_EQ (image.getHeight(), a.height);
}

TEST_P (EmbeddedAsset, FramesDivideThePictureExactly)
{
    const auto& a = GetParam();
    EXPECT_EQ (a.height % a.frames, 0);
    EXPECT_EQ (a.frameHeight() * a.frames, decode (a).getHeight());
}

TEST_P (EmbeddedAsset, IsEightBitRgbaWithoutInterlace)
{
    const auto& a = GetParam();
    ASSERT_GT (a.size, 33);

    static const unsigned char signature[] = { 0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a };
    ASSERT_EQ (std::memcmp (a.data, signature, sizeof (signature)), 0);
    ASSERT_EQ (std::memcmp (a.data + 12, "IHDR", 4), 0);

    EXPECT_EQ (bigEndian32 (a.data + 16), static_cast<std::uint32_t> (a.width));
    EXPECT_EQ (bigEndian32 (a.data + 20), static_cast<std::uint32_t> (a.height));
    EXPECT_EQ (static_cast<unsigned char> (a.data[24]), 8) << "bit depth";
    EXPECT_EQ (static_cast<unsigned char> (a.data[25]), 6) << "colour type (RGB with alpha)";
    EXPECT_EQ (static_cast<unsigned char> (a.data[28]), 0) << "interlace method";
}

TEST_P (EmbeddedAsset, StripsAreClearAtEveryFrameEdgeAndPicturesAreOpaque)
{
    const auto& a = GetParam();
    const auto image = decode (a);
    ASSERT_TRUE (image.isValid());

    if (! a.isStrip)
    {
        // The panel paints white beneath the picture; none of it may show through.
        int translucent = 0;

        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                translucent += image.getPixelAt (x, y).getAlpha() < 250 ? 1 : 0;

        EXPECT_EQ (translucent, 0);
        return;
    }

    // A control's bounds are exactly one frame, so anything drawn on a frame's
    // outermost pixels would end in a hard seam on the background.
    for (int frame = 0; frame < a.frames; ++frame)
    {
        const auto top = frame * a.frameHeight(), bottom = top + a.frameHeight() - 1;

        for (int x = 0; x < a.width; ++x)
        {
            ASSERT_EQ (image.getPixelAt (x, top).getAlpha(), 0) << "frame " << frame << " x " << x;
            ASSERT_EQ (image.getPixelAt (x, bottom).getAlpha(), 0) << "frame " << frame << " x " << x;
        }

        for (int y = top; y <= bottom; ++y)
        {
            ASSERT_EQ (image.getPixelAt (0, y).getAlpha(), 0) << "frame " << frame << " y " << y;
            ASSERT_EQ (image.getPixelAt (a.width - 1, y).getAlpha(), 0) << "frame " << frame << " y " << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P (AllPictures, EmbeddedAsset, ::testing::ValuesIn (allAssets()),
                          [] (const auto& info) { return std::string (info.param.name); });

//==============================================================================
class StripFrames : public ::testing::TestWithParam<AssetCase> {};

TEST_P (StripFrames, NoTwoNeighbouringFramesAreTheSame)
{
    const auto& a = GetParam();

    const auto image = decode (a);

    for (int frame = 1; frame < a.frames; ++frame)
    {
        bool differs = false;

        for (int y = 0; y < a.frameHeight() && ! differs; ++y)
            for (int x = 0; x < a.width && ! differs; ++x)
                differs = image.getPixelAt (x, (frame - 1) * a.frameHeight() + y)
                       != image.getPixelAt (x, frame * a.frameHeight() + y);

        EXPECT_TRUE (differs) << "frames " << frame - 1 << " and " << frame << " are identical";
    }
}

INSTANTIATE_TEST_SUITE_P (AllStrips, StripFrames, ::testing::ValuesIn (stripAssets()),
                          [] (const auto& info) { return std::string (info.param.name); });

TEST (EmbeddedAssets, ByteCountsAreTheDataLengths)
{
    // The decoder is always handed the asset's own length: a byte count shorter
    // than the data would cut the picture off, so the PNG must end with IEND there.
    for (const auto& a : allAssets())
    {
        ASSERT_GT (a.size, 12) << a.name;
        EXPECT_EQ (std::memcmp (a.data + a.size - 8, "IEND", 4), 0) << a.name;
    }
}

} // namespace
} // namespace velthorn::test
