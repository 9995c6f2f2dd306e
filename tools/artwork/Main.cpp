// Draws Velthorn's embedded pictures and writes them as PNG files.
//
//   velthorn-artwork-generator <output folder>
//
// The output is a pure function of this program and the DejaVu font files:
// no clocks, no unseeded randomness, no system font fallback.

#include "ArtworkSet.h"
#include "FontBook.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <iostream>

int main (int argc, char* argv[])
{
    if (argc != 2)
    {
        std::cerr << "usage: velthorn-artwork-generator <output folder>\n";
        return 2;
    }

    // Typeface loading goes through the GUI subsystem.
    juce::ScopedJuceInitialiser_GUI juceGui;

    const auto folder = juce::File::getCurrentWorkingDirectory().getChildFile (juce::String (argv[1]));

    if (! folder.createDirectory())
    {
        std::cerr << "cannot create " << folder.getFullPathName() << "\n";
        return 1;
    }

    velthorn::artwork::FontBook fonts;
    juce::String error;

    if (! fonts.load (error))
    {
        std::cerr << error << "\n";
        return 1;
    }

    for (const auto& artwork : velthorn::artwork::renderArtworkSet (fonts))
    {
        const auto file = folder.getChildFile (artwork.fileName);
        juce::MemoryOutputStream png;

        if (! file.getParentDirectory().createDirectory()
            || ! juce::PNGImageFormat().writeImageToStream (artwork.image, png)
            || ! file.replaceWithData (png.getData(), png.getDataSize()))
        {
            std::cerr << "cannot write " << file.getFullPathName() << "\n";
            return 1;
        }

        std::cout << file.getFullPathName() << "  " << artwork.image.getWidth() << "x"
                  << artwork.image.getHeight() << "  " << png.getDataSize() << " bytes\n";
    }

    return 0;
}
