#pragma once

// The LV2 wrapper keeps a plugin's state in one string: the number of bytes,
// a dot, then the bytes in the framework's own base64, as
// MemoryBlock::toBase64Encoding writes them. MemoryBlock::fromBase64Encoding
// makes room for whatever byte count it is told before it looks at anything
// else, so a damaged project whose count is huge or negative ends the host
// with std::bad_alloc. This tells a count the string can stand behind: plain
// decimal digits, at most what an int holds (the plugin is handed the size
// as one), and no more bytes than the characters after the dot encode. The
// characters are counted as the framework's decoder counts them: it uses
// every character from '+' to 'z' and skips the rest.

namespace juce
{
    inline bool isSoundLv2StateString (StringRef text) noexcept
    {
        auto c = text.text;
        uint64 byteCount = 0;
        int digits = 0;

        for (; *c >= '0' && *c <= '9'; ++c)
        {
            byteCount = byteCount * 10 + (uint64) (*c - '0');

            if (++digits > 10)
                return false;
        }

        if (digits == 0 || *c != '.' || byteCount > (uint64) std::numeric_limits<int>::max())
            return false;

        uint64 usedCharacters = 0;

        for (++c; ! c.isEmpty(); ++c)
            if (*c >= '+' && *c <= 'z')
                ++usedCharacters;

        // Each character carries six bits.
        return byteCount * 8 <= usedCharacters * 6;
    }
}
