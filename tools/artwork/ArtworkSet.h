#pragma once

#include <juce_graphics/juce_graphics.h>

#include <vector>

namespace velthorn::artwork
{

class FontBook;

/** One finished picture and the file name it is stored under. */
struct Artwork
{
    juce::String fileName;
    juce::Image image;
};

/** Draws every embedded picture. Message thread (the lettering needs the
    JUCE GUI subsystem initialised).
*/
std::vector<Artwork> renderArtworkSet (const FontBook& fonts);

} // namespace velthorn::artwork
