#pragma once

#include <juce_graphics/juce_graphics.h>

#include <ostream>
#include <vector>

namespace velthorn::test
{

/** One embedded picture and the geometry the controls rely on. */
struct AssetCase
{
    const char* name;
    const char* data;
    int size;
    int width, height;
    int frames;          // 1 for the two full pictures
    bool isStrip;        // transparent around the drawn object

    int frameHeight() const { return height / frames; }
};

/** All seven embedded pictures. */
const std::vector<AssetCase>& allAssets();

/** The five frame strips only. */
std::vector<AssetCase> stripAssets();

/** Looks one up by name; fails the calling test if it is missing. */
const AssetCase& assetNamed (const char* name);

/** Decodes a picture the way the main panel does. */
juce::Image decode (const AssetCase&);

/** Relative luminance of a pixel (un-premultiplied colour), 0..1. */
double luminanceOf (juce::Colour);

inline std::ostream& operator<< (std::ostream& out, const AssetCase& a) { return out << a.name; }

} // namespace velthorn::test
