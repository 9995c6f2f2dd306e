#pragma once

#include <juce_graphics/juce_graphics.h>

namespace velthorn::artwork
{

/** The typefaces the artwork uses, loaded straight from the DejaVu files so
    the lettering never depends on what the system's font fallback picks.
    Message thread.
*/
class FontBook final
{
public:
    enum class Face
    {
        sans,
        sansBold,
        sansCondensedBold,
        serifBold,
        serifBoldItalic
    };

    /** Loads every face; returns false (and names the missing file) if one is absent. */
    bool load (juce::String& error);

    /** A font of the face at the given height in pixels. */
    juce::Font get (Face face, float height) const;

    /** Where the DejaVu files live on Debian (package fonts-dejavu-core). */
    static juce::File fontFolder();

private:
    juce::HashMap<int, juce::Typeface::Ptr> faces;
};

} // namespace velthorn::artwork
