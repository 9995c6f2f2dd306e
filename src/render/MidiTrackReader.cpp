#include "MidiTrackReader.h"

#include <algorithm>

namespace
{
    constexpr uint8_t metaEvent = 0xff;
    constexpr uint8_t setTempo = 0x51;
    constexpr uint8_t timeSignature = 0x58;
    constexpr uint8_t endOfTrack = 0x2f;

    // Data bytes after the status byte of a channel message.
    int dataBytesOfChannelMessage (uint8_t status)
    {
        const auto type = status & 0xf0;
        return type == 0xc0 || type == 0xd0 ? 1 : 2;
    }

    // Data bytes after the status byte of a system common or real-time
    // message, which has no business in a file but is skipped whole.
    int dataBytesOfSystemMessage (uint8_t status)
    {
        switch (status)
        {
            case 0xf1: case 0xf3: return 1;
            case 0xf2:            return 2;
            default:              return 0;
        }
    }
}

MidiTrackReader::MidiTrackReader (juce::InputStream& streamToRead, juce::int64 trackStart, juce::int64 trackLength,
                                  int bytesPerRead)
    : stream (&streamToRead),
      start (trackStart),
      length (trackLength),
      bufferSize (std::max (1, bytesPerRead))
{
}

bool MidiTrackReader::fail (const std::string& what, juce::int64 where)
{
    ended = true;

    if (damage.empty())
        damage = what + " (at byte " + std::to_string (start + where) + " of the file)";

    return false;
}

bool MidiTrackReader::readByte (uint8_t& byte)
{
    if (position >= length)
        return false;

    if (position < bufferedFrom || position >= bufferedFrom + bufferedCount)
    {
        // Allocated on first use, no larger than the track: many short
        // tracks cost little.
        if (buffer.empty())
            buffer.resize (static_cast<size_t> (std::min<juce::int64> (bufferSize, length)));

        const auto wanted = static_cast<int> (std::min<juce::int64> (static_cast<juce::int64> (buffer.size()), length - position));
        const auto got = stream->setPosition (start + position) ? stream->read (buffer.data(), wanted) : 0;

        if (got <= 0)
            return fail ("could not be read: the file is shorter than when it was opened", position);

        bufferedFrom = position;
        bufferedCount = got;
    }

    byte = buffer[static_cast<size_t> (position - bufferedFrom)];
    ++position;
    return true;
}

bool MidiTrackReader::skip (juce::int64 count)
{
    if (count > length - position)
        return false;

    position += count;
    return true;
}

bool MidiTrackReader::readVariableLength (uint32_t& value)
{
    // At most four bytes, as the format allows (values below 2^28).
    const auto from = position;
    value = 0;

    for (int used = 0; used < 4; ++used)
    {
        uint8_t byte = 0;

        if (! readByte (byte))
            return ended ? false : fail ("ends in the middle of an event", from);

        value = (value << 7) | (byte & 0x7fu);

        if ((byte & 0x80) == 0)
            return true;
    }

    return fail ("has a variable-length number longer than four bytes", from);
}

bool MidiTrackReader::next (Event& event)
{
    if (ended)
        return false;

    // A track without an End of Track event ends with its chunk.
    if (position >= length)
    {
        ended = true;
        return false;
    }

    const auto eventStart = position;
    uint32_t delta = 0;

    if (! readVariableLength (delta))
        return false;

    // Summed as doubles, as the framework's own reading did, so that every
    // time comes out the same to the last bit.
    tick += static_cast<double> (delta);
    event = {};
    event.tick = tick;

    const auto cutShort = [this, eventStart] { return ended ? false : fail ("ends in the middle of an event", eventStart); };

    uint8_t first = 0;

    if (! readByte (first))
        return cutShort();

    if (first == metaEvent)
    {
        uint8_t type = 0;
        uint32_t size = 0;

        if (! readByte (type))
            return cutShort();

        if (! readVariableLength (size))
            return false;

        if (type == setTempo && size >= 3)
        {
            uint8_t tempo[3] {};

            for (auto& byte : tempo)
                if (! readByte (byte))
                    return cutShort();

            event.kind = Kind::tempo;
            event.microsecondsPerQuarter = (uint32_t { tempo[0] } << 16) | (uint32_t { tempo[1] } << 8) | tempo[2];
            size -= 3;
        }
        else if (type == timeSignature || type == setTempo)
        {
            event.kind = Kind::timeSignature;
        }

        if (! skip (size))
            return cutShort();

        if (type == endOfTrack)
        {
            ended = true;
            return false;
        }

        return true;
    }

    if (first == 0xf0 || first == 0xf7)
    {
        // System exclusive, or an escaped sequence: a length, then the bytes.
        uint32_t size = 0;

        if (! readVariableLength (size))
            return false;

        return skip (size) || cutShort();
    }

    if (first > 0xf0)
        return skip (dataBytesOfSystemMessage (first)) || cutShort();

    auto status = first;
    int have = 0;

    if (first < 0x80)
    {
        if (runningStatus == 0)
            return fail ("has a data byte with no status byte before it", eventStart);

        status = runningStatus;
        event.bytes[1] = first;
        have = 1;
    }
    else
    {
        runningStatus = first;
    }

    const auto needed = dataBytesOfChannelMessage (status);

    for (; have < needed; ++have)
    {
        uint8_t byte = 0;

        if (! readByte (byte))
            return cutShort();

        if (byte >= 0x80)
            return fail ("has a status byte where a data byte belongs", position - 1);

        event.bytes[1 + have] = byte;
    }

    event.kind = Kind::channel;
    event.bytes[0] = status;
    event.size = 1 + needed;
    return true;
}
