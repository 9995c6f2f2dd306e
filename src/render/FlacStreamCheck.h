#pragma once

#include <juce_core/juce_core.h>

#include <string>

// Decodes a whole FLAC stream to learn how much audio it really holds. The
// framework's reader trusts the length in the header and fills whatever is
// missing with silence, so a cut-off file or a header that claims more would
// otherwise render audio that is not in the input.
struct FlacStreamCheck final
{
    juce::int64 announcedSamples = 0;   // per channel, from the header; 0 when unknown
    juce::int64 decodedSamples = 0;     // per channel, from the frames that decode
    bool hadDecodeError = false;        // a frame was lost, damaged or cut off

    // Any one thread. Decodes `stream` from its start to its end.
    static FlacStreamCheck run (juce::InputStream& stream);

    // Empty when every announced sample is there and nothing failed to
    // decode, otherwise what is wrong, to follow "input 'x' is damaged: ".
    std::string problem() const;
};
