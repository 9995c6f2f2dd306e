#include "EmbeddedPictures.h"

#include "VelthornAssets.h"

#include <juce_graphics/juce_graphics.h>

#include <map>
#include <stdexcept>
#include <string>

namespace e2e
{
    namespace
    {
        struct Bytes
        {
            const char* data;
            int size;
            const char* name;
        };

        Bytes bytesOf (EmbeddedPicture which)
        {
            switch (which)
            {
                case EmbeddedPicture::background:
                    return { VelthornAssets::backgroundPicture_png, VelthornAssets::backgroundPicture_pngSize, "backgroundPicture" };
                case EmbeddedPicture::largeKnobStrip:
                    return { VelthornAssets::largeKnobStrip_png, VelthornAssets::largeKnobStrip_pngSize, "largeKnobStrip" };
                case EmbeddedPicture::smallKnobStrip:
                    return { VelthornAssets::smallKnobStrip_png, VelthornAssets::smallKnobStrip_pngSize, "smallKnobStrip" };
                case EmbeddedPicture::wahPedalStrip:
                    return { VelthornAssets::wahPedalStrip_png, VelthornAssets::wahPedalStrip_pngSize, "wahPedalStrip" };
                case EmbeddedPicture::meterStrip:
                    return { VelthornAssets::meterStrip_png, VelthornAssets::meterStrip_pngSize, "meterStrip" };
                case EmbeddedPicture::switchStrip:
                    return { VelthornAssets::switchStrip_png, VelthornAssets::switchStrip_pngSize, "switchStrip" };
                case EmbeddedPicture::about:
                    return { VelthornAssets::aboutPicture_png, VelthornAssets::aboutPicture_pngSize, "aboutPicture" };
            }

            throw std::invalid_argument ("unknown embedded picture");
        }
    }

    RgbaPicture decodeEmbeddedPicture (EmbeddedPicture which)
    {
        // Tests compose the panel many times while they poll; each picture is
        // decoded once per test program.
        static std::map<EmbeddedPicture, RgbaPicture> decoded;

        if (const auto found = decoded.find (which); found != decoded.end())
            return found->second;

        const auto bytes = bytesOf (which);
        const auto image = juce::ImageFileFormat::loadFrom (bytes.data, static_cast<size_t> (bytes.size));

        if (image.isNull())
            throw std::runtime_error (std::string ("the embedded ") + bytes.name + " does not decode");

        RgbaPicture picture;
        picture.width = image.getWidth();
        picture.height = image.getHeight();
        picture.rgba.resize (static_cast<size_t> (picture.width) * static_cast<size_t> (picture.height) * 4);

        const juce::Image::BitmapData pixels (image, juce::Image::BitmapData::readOnly);
        auto* out = picture.rgba.data();

        for (int y = 0; y < picture.height; ++y)
        {
            for (int x = 0; x < picture.width; ++x)
            {
                // getPixelColour undoes the framework's premultiplication.
                const auto c = pixels.getPixelColour (x, y);
                *out++ = c.getRed();
                *out++ = c.getGreen();
                *out++ = c.getBlue();
                *out++ = c.getAlpha();
            }
        }

        decoded.emplace (which, picture);
        return picture;
    }
}
