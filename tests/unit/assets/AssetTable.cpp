#include "AssetTable.h"

#include "VelthornAssets.h"

#include <gtest/gtest.h>

#include <cstring>

namespace velthorn::test
{

const std::vector<AssetCase>& allAssets()
{
    static const std::vector<AssetCase> assets {
        { "backgroundPicture", VelthornAssets::backgroundPicture_png, VelthornAssets::backgroundPicture_pngSize, 800, 600,  1,  false },
        { "largeKnobStrip",    VelthornAssets::largeKnobStrip_png,    VelthornAssets::largeKnobStrip_pngSize,    40,  1240, 31, true },
        { "smallKnobStrip",    VelthornAssets::smallKnobStrip_png,    VelthornAssets::smallKnobStrip_pngSize,    30,  930,  31, true },
        { "wahPedalStrip",     VelthornAssets::wahPedalStrip_png,     VelthornAssets::wahPedalStrip_pngSize,     150, 9000, 30, true },
        { "meterStrip",        VelthornAssets::meterStrip_png,        VelthornAssets::meterStrip_pngSize,        30,  3410, 31, true },
        { "switchStrip",       VelthornAssets::switchStrip_png,       VelthornAssets::switchStrip_pngSize,       30,  120,  2,  true },
        { "aboutPicture",      VelthornAssets::aboutPicture_png,      VelthornAssets::aboutPicture_pngSize,      400, 400,  1,  false },
    };

    return assets;
}

std::vector<AssetCase> stripAssets()
{
    std::vector<AssetCase> strips;

    for (const auto& a : allAssets())
        if (a.isStrip)
            strips.push_back (a);

    return strips;
}

const AssetCase& assetNamed (const char* name)
{
    for (const auto& a : allAssets())
        if (std::strcmp (a.name, name) == 0)
            return a;

    ADD_FAILURE() << "no asset named " << name;
    return allAssets().front();
}

juce::Image decode (const AssetCase& a)
{
    return juce::ImageFileFormat::loadFrom (a.data, static_cast<size_t> (a.size));
}

double luminanceOf (juce::Colour c)
{
    return (0.2126 * c.getRed() + 0.7152 * c.getGreen() + 0.0722 * c.getBlue()) / 255.0;
}

} // namespace velthorn::test
