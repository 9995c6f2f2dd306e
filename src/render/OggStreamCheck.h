#pragma once

#include <juce_core/juce_core.h>

#include <string>

// Walks the pages of an Ogg file. A file cut short loses its last page, and
// the framework's reader then ends the audio early (or reports no audio at
// all) without a word; every page must be whole with a correct checksum, and
// every logical stream that begins must also end.
struct OggStreamCheck final
{
    // Any one thread. Reads `stream` from its start to its end; returns an
    // empty string for a whole file, otherwise what is wrong, to follow
    // "input 'x' is damaged: ".
    static std::string run (juce::InputStream& stream);
};
