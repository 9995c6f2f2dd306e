#include "OggStreamCheck.h"

#include <array>
#include <cstdint>
#include <set>
#include <vector>

namespace
{
    constexpr int pageHeaderSize = 27;
    constexpr uint8_t beginsStream = 0x02;
    constexpr uint8_t endsStream = 0x04;

    // The page checksum: CRC-32 with polynomial 0x04c11db7, no reflection,
    // starting from 0, over the page with its checksum field zeroed.
    uint32_t pageChecksum (const std::vector<uint8_t>& page)
    {
        static const auto table = []
        {
            std::array<uint32_t, 256> entries {};

            for (uint32_t i = 0; i < 256; ++i)
            {
                auto value = i << 24;

                for (int bit = 0; bit < 8; ++bit)
                    value = (value & 0x80000000u) != 0 ? (value << 1) ^ 0x04c11db7u : value << 1;

                entries[i] = value;
            }

            return entries;
        }();

        uint32_t crc = 0;

        for (const auto byte : page)
            crc = (crc << 8) ^ table[((crc >> 24) ^ byte) & 0xff];

        return crc;
    }
}

std::string OggStreamCheck::run (juce::InputStream& stream)
{
    const auto total = stream.getTotalLength();
    std::set<uint32_t> open;
    std::vector<uint8_t> page;
    juce::int64 position = 0;
    bool anyPage = false;

    if (! stream.setPosition (0))
        return "it cannot be read";

    while (position < total)
    {
        page.assign (pageHeaderSize, 0);

        if (stream.read (page.data(), pageHeaderSize) != pageHeaderSize)
            return "it is cut short in the middle of an Ogg page";

        if (std::memcmp (page.data(), "OggS", 4) != 0 || page[4] != 0)
            return "it holds something other than Ogg pages at byte " + std::to_string (position);

        const auto numSegments = page[26];
        page.resize (pageHeaderSize + numSegments);

        if (stream.read (page.data() + pageHeaderSize, numSegments) != numSegments)
            return "it is cut short in the middle of an Ogg page";

        int bodySize = 0;

        for (int i = 0; i < numSegments; ++i)
            bodySize += page[static_cast<size_t> (pageHeaderSize + i)];

        const auto bodyStart = page.size();
        page.resize (bodyStart + static_cast<size_t> (bodySize));

        if (stream.read (page.data() + bodyStart, bodySize) != bodySize)
            return "it is cut short in the middle of an Ogg page";

        const auto stored = juce::ByteOrder::littleEndianInt (page.data() + 22);
        std::fill (page.begin() + 22, page.begin() + 26, uint8_t (0));

        if (pageChecksum (page) != stored)
            return "an Ogg page at byte " + std::to_string (position) + " fails its checksum";

        const auto flags = page[5];
        const auto serial = juce::ByteOrder::littleEndianInt (page.data() + 14);

        if ((flags & beginsStream) != 0)
            open.insert (serial);

        if ((flags & endsStream) != 0)
            open.erase (serial);

        anyPage = true;
        position += static_cast<juce::int64> (page.size());
    }

    stream.setPosition (0);

    if (! anyPage)
        return "it holds no Ogg pages";

    if (! open.empty())
        return "it is cut short: its last Ogg page is missing";

    return {};
}
