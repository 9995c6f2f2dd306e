#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>
#include <string>

// What the format chunk of a RIFF (or RF64) WAVE file says, read without the
// framework's reader, which turns several legal or plainly impossible headers
// into one "cannot read": a sample rate of 0 Hz, 65535 channels, 64-bit
// floats, 12-bit samples in 16-bit containers.
struct WavFormatInfo final
{
    bool isFloat = false;             // IEEE float samples (plain or extensible)
    bool isPcm = false;               // integer samples (plain or extensible)
    uint32_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t blockAlign = 0;          // bytes per frame
    uint32_t bitsPerSample = 0;       // as the header's wBitsPerSample says
    juce::int64 bitsFieldPosition = 0;   // where wBitsPerSample is in the file
    std::string chunkPastEnd;         // the name of a chunk (not the audio) that runs past the end

    // Any one thread. Reads `stream` from its start; false when it holds no
    // WAVE file or no format chunk (chunkPastEnd is then still set when a
    // chunk's size ran past the end, which may be what hid the format).
    static bool read (juce::InputStream& stream, WavFormatInfo& result);
};
