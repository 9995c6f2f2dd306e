#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>
#include <string>
#include <vector>

// The events of one track chunk of a Standard MIDI File, read one at a time
// straight from the file. Only a small buffer of the track is held however
// long it is, so a file of millions of events costs no more memory than a
// short one; several readers share one stream, each moving it to where it
// stands before it reads.
//
// A track ends at its End of Track event or at the end of its chunk. Running
// status carries over meta and system exclusive events, as lenient readers
// keep it. Anything else that does not parse is damage: the reader stops
// there and says what and where, rather than guessing at the missing bytes.
class MidiTrackReader final
{
public:
    enum class Kind
    {
        channel,         // a channel message: note, controller, program, pressure, pitch bend
        tempo,           // a Set Tempo meta event
        timeSignature,   // a Time Signature meta event, or a Set Tempo too short to hold one
        other            // any other meta event, system exclusive or system message
    };

    struct Event
    {
        double tick = 0.0;   // since the track's start: its delta times summed
        Kind kind = Kind::other;
        uint8_t bytes[3] {};   // a channel message, status first
        int size = 0;          // its length: 2 or 3
        uint32_t microsecondsPerQuarter = 0;   // a tempo event's
    };

    // Any one thread at a time, as for every member. The track's data is the
    // `length` bytes from `start` in `stream`, which is read `bufferSize`
    // bytes at a time and must outlive the reader.
    MidiTrackReader (juce::InputStream& stream, juce::int64 start, juce::int64 length, int bufferSize);

    // The next event into `event`: false after the last one, or at damage
    // (problem() then says what).
    bool next (Event& event);

    // Empty unless the track is damaged or could not be read: then what went
    // wrong and where, worded to follow "track N ".
    const std::string& problem() const noexcept { return damage; }

private:
    bool readByte (uint8_t& byte);
    bool readVariableLength (uint32_t& value);
    bool skip (juce::int64 count);
    bool fail (const std::string& what, juce::int64 where);

    juce::InputStream* stream;
    juce::int64 start;
    juce::int64 length;
    juce::int64 position = 0;   // within the track's data
    int bufferSize;
    std::vector<uint8_t> buffer;
    juce::int64 bufferedFrom = 0;
    juce::int64 bufferedCount = 0;
    double tick = 0.0;
    uint8_t runningStatus = 0;
    bool ended = false;
    std::string damage;
};
