#include "FontBook.h"

namespace velthorn::artwork
{

juce::File FontBook::fontFolder()
{
    return juce::File ("/usr/share/fonts/truetype/dejavu");
}

bool FontBook::load (juce::String& error)
{
    const std::pair<Face, const char*> files[] = {
        { Face::sans,              "DejaVuSans.ttf" },
        { Face::sansBold,          "DejaVuSans-Bold.ttf" },
        { Face::sansCondensedBold, "DejaVuSansCondensed-Bold.ttf" },
        { Face::serifBold,         "DejaVuSerif-Bold.ttf" },
        { Face::serifBoldItalic,   "DejaVuSerifCondensed-BoldItalic.ttf" },
    };

    for (const auto& [face, name] : files)
    {
        juce::MemoryBlock data;
        const auto file = fontFolder().getChildFile (name);

        if (! file.loadFileAsData (data) || data.getSize() == 0)
        {
            error = "cannot read " + file.getFullPathName() + " (install fonts-dejavu-core)";
            return false;
        }

        auto typeface = juce::Typeface::createSystemTypefaceFor (data.getData(), data.getSize());

        if (typeface == nullptr)
        {
            error = "cannot load typeface " + file.getFullPathName();
            return false;
        }

        faces.set (static_cast<int> (face), typeface);
    }

    return true;
}

juce::Font FontBook::get (Face face, float height) const
{
    juce::Font font (faces[static_cast<int> (face)]);
    font.setHeight (height);
    return font;
}

} // namespace velthorn::artwork
