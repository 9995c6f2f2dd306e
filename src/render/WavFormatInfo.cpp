#include "WavFormatInfo.h"

#include <algorithm>
#include <cstring>

namespace
{
    constexpr uint16_t pcmTag = 1;
    constexpr uint16_t floatTag = 3;
    constexpr uint16_t extensibleTag = 0xfffe;

    bool hasTag (const char* bytes, const char* tag)
    {
        return std::memcmp (bytes, tag, 4) == 0;
    }
}

bool WavFormatInfo::read (juce::InputStream& stream, WavFormatInfo& result)
{
    char header[12] = {};

    if (! stream.setPosition (0) || stream.read (header, 12) != 12)
        return false;

    if (! (hasTag (header, "RIFF") || hasTag (header, "RF64")) || ! hasTag (header + 8, "WAVE"))
        return false;

    const auto total = stream.getTotalLength();

    WavFormatInfo info;
    bool foundFormat = false;
    bool formatIsUnusable = false;

    // Every chunk, the audio data's aside, must end within the file: the
    // framework's reader allocates what the size of some chunks says.
    for (juce::int64 position = 12; position + 8 <= total;)
    {
        char chunkHeader[8] = {};

        if (! stream.setPosition (position) || stream.read (chunkHeader, 8) != 8)
            return false;

        const auto size = static_cast<juce::int64> (juce::ByteOrder::littleEndianInt (chunkHeader + 4));
        const auto dataStart = position + 8;

        if (! hasTag (chunkHeader, "data") && dataStart + size > total)
        {
            // Shown in a one-line message: only printable characters.
            info.chunkPastEnd.clear();

            for (int i = 0; i < 4; ++i)
                info.chunkPastEnd += (chunkHeader[i] >= 0x20 && chunkHeader[i] < 0x7f) ? chunkHeader[i] : '?';
        }

        if (hasTag (chunkHeader, "fmt ") && ! foundFormat && size < 16)
        {
            // Too short to say anything, and the first format chunk is the
            // one that counts; the chunks after it are still walked, for
            // one whose size runs past the end.
            foundFormat = true;
            formatIsUnusable = true;
        }

        if (hasTag (chunkHeader, "fmt ") && ! foundFormat)
        {
            uint8_t format[40] = {};
            const auto wanted = static_cast<int> (std::min<juce::int64> (size, 40));

            if (stream.read (format, wanted) != wanted)
                return false;

            auto tag = juce::ByteOrder::littleEndianShort (format);

            info.channels = juce::ByteOrder::littleEndianShort (format + 2);
            info.sampleRate = juce::ByteOrder::littleEndianInt (format + 4);
            info.blockAlign = juce::ByteOrder::littleEndianShort (format + 12);
            info.bitsPerSample = juce::ByteOrder::littleEndianShort (format + 14);
            info.bitsFieldPosition = dataStart + 14;

            // The extensible layout names the real format in the first two
            // bytes of its sub-format GUID.
            if (tag == extensibleTag && wanted >= 40)
                tag = juce::ByteOrder::littleEndianShort (format + 24);

            info.isPcm = tag == pcmTag;
            info.isFloat = tag == floatTag;
            foundFormat = true;
        }

        position = dataStart + size + (size & 1);
    }

    if (foundFormat && ! formatIsUnusable)
    {
        result = info;
        return true;
    }

    // A chunk whose size hid the format chunk, or one after a format chunk
    // too short to read.
    result.chunkPastEnd = info.chunkPastEnd;
    return false;
}
