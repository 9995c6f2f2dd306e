#include "MidiSchedule.h"

#include "FileKind.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <sys/stat.h>

namespace
{
    // Bytes each track reader holds at once: many together for a file of
    // many tracks stay within a few megabytes, a single track reads in
    // large steps.
    constexpr juce::int64 allReadersBuffer = juce::int64 { 4 } << 20;
    constexpr juce::int64 smallestBuffer = 64;
    constexpr juce::int64 largestBuffer = 64 * 1024;

    constexpr const char* notReadable = " is not a readable Standard MIDI File: ";

    bool readExactly (juce::InputStream& stream, juce::int64 position, void* destination, int size)
    {
        return stream.setPosition (position) && stream.read (destination, size) == size;
    }

    int bufferSizeFor (size_t numTracks)
    {
        const auto share = allReadersBuffer / static_cast<juce::int64> (std::max<size_t> (numTracks, 1));
        return static_cast<int> (std::clamp (share, smallestBuffer, largestBuffer));
    }

    std::string describeTracks (size_t count)
    {
        return count == 1 ? "1 track" : std::to_string (count) + " tracks";
    }
}

MidiSchedule::MidiSchedule() = default;
MidiSchedule::~MidiSchedule() = default;
MidiSchedule::MidiSchedule (MidiSchedule&&) noexcept = default;
MidiSchedule& MidiSchedule::operator= (MidiSchedule&&) noexcept = default;

int64_t MidiSchedule::samplePositionFor (double seconds, double sampleRate)
{
    const auto position = std::floor (seconds * sampleRate + 0.5);

    // Far beyond any render; keeps the conversion defined for absurd times.
    constexpr auto limit = static_cast<double> (std::numeric_limits<int64_t>::max() / 2);
    return static_cast<int64_t> (std::min (std::max (position, 0.0), limit));
}

std::string MidiSchedule::findTracks (juce::InputStream& stream, short& timeFormat, std::vector<TrackChunk>& tracks)
{
    const auto total = stream.getTotalLength();
    char word[4] = {};

    if (total <= 0)
        return "it is empty";

    if (! readExactly (stream, 0, word, 4))
        return "it does not begin with a MIDI header ('MThd')";

    // A RIFF MIDI file (.rmi) wraps the same bytes a few words in.
    juce::int64 headerStart = 0;

    if (std::memcmp (word, "RIFF", 4) == 0)
    {
        headerStart = -1;

        for (juce::int64 position = 4; position <= 32 && headerStart < 0; position += 4)
            if (readExactly (stream, position, word, 4) && std::memcmp (word, "MThd", 4) == 0)
                headerStart = position;

        if (headerStart < 0)
            return "it is a RIFF file without a MIDI header ('MThd')";
    }
    else if (std::memcmp (word, "MThd", 4) != 0)
    {
        return "it does not begin with a MIDI header ('MThd')";
    }

    uint8_t header[10] = {};

    if (! readExactly (stream, headerStart + 4, header, 10))
        return "its header is cut short";

    const auto headerLength = static_cast<juce::int64> (juce::ByteOrder::bigEndianInt (header));
    const auto format = juce::ByteOrder::bigEndianShort (header + 4);
    const auto announced = static_cast<size_t> (juce::ByteOrder::bigEndianShort (header + 6));
    timeFormat = static_cast<short> (juce::ByteOrder::bigEndianShort (header + 8));

    if (headerLength < 6 || headerStart + 8 + headerLength > total)
        return "its header is damaged (it gives its own length as " + std::to_string (headerLength) + " bytes)";

    if (format > 2)
        return "it is of format " + std::to_string (format) + " (formats 0, 1 and 2 exist)";

    if (format == 0 && announced != 1)
        return "it is of format 0, which holds one track, but announces " + describeTracks (announced);

    // Chunks of other types are skipped, as the format asks of a reader.
    tracks.clear();
    tracks.reserve (announced);
    auto position = headerStart + 8 + headerLength;

    while (tracks.size() < announced)
    {
        const auto trackNumber = std::to_string (tracks.size() + 1) + " of " + std::to_string (announced);

        if (position >= total)
            return "it holds " + std::to_string (tracks.size()) + " of the " + describeTracks (announced)
                 + " its header announces";

        uint8_t chunk[8] = {};

        if (position + 8 > total || ! readExactly (stream, position, chunk, 8))
            return "it is cut short before track " + trackNumber;

        const auto length = static_cast<juce::int64> (juce::ByteOrder::bigEndianInt (chunk + 4));
        const bool isTrack = std::memcmp (chunk, "MTrk", 4) == 0;

        if (position + 8 + length > total)
            return isTrack ? "track " + trackNumber + " is cut short" : "it is cut short before track " + trackNumber;

        if (isTrack)
            tracks.push_back ({ position + 8, length });

        position += 8 + length;
    }

    return {};
}

std::string MidiSchedule::load (const std::string& path, double sampleRate, MidiSchedule& result)
{
    const auto name = "MIDI file '" + path + "'";
    struct stat info {};

    if (::stat (path.c_str(), &info) != 0)
        return errno == ENOENT ? name + " does not exist" : "cannot open " + name + ": " + std::strerror (errno);

    if (S_ISDIR (info.st_mode))
        return name + " is a directory";

    const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (juce::String (path));
    auto fileStream = std::make_unique<juce::FileInputStream> (file);

    if (fileStream->failedToOpen())
        return "cannot open " + name + ": " + fileStream->getStatus().getErrorMessage().toStdString();

    if (S_ISREG (info.st_mode))
        return fromStream (std::move (fileStream), name, sampleRate, result);

    // `--midi <(make-song)`: a pipe is read once, front to back.
    try
    {
        juce::MemoryBlock bytes;
        fileStream->readIntoMemoryBlock (bytes, static_cast<ssize_t> (maximumPipedFileSize + 1));

        if (static_cast<juce::int64> (bytes.getSize()) > maximumPipedFileSize)
            return name + ": the MIDI file is too large to take from " + FileKind::describe (info.st_mode)
                 + " (more than " + std::to_string (maximumPipedFileSize >> 20) + " MB); give it as a file";

        return fromStream (std::make_unique<juce::MemoryInputStream> (std::move (bytes)), name, sampleRate, result);
    }
    catch (const std::bad_alloc&)
    {
        return name + ": the MIDI file is too large for the memory available";
    }
}

std::string MidiSchedule::fromStream (std::unique_ptr<juce::InputStream> source, const std::string& name,
                                      double sampleRate, MidiSchedule& result)
{
    try
    {
        MidiSchedule schedule;
        schedule.name = name;
        schedule.sampleRate = sampleRate;
        short timeFormat = 0;

        if (auto problem = findTracks (*source, timeFormat, schedule.chunks); ! problem.empty())
            return name + notReadable + problem;

        // Tick lengths derive from the division; a zero would divide by zero
        // (quarter-note division) or by a zero frame size (SMPTE division).
        if (timeFormat == 0 || (timeFormat < 0 && ((timeFormat & 0xff) == 0 || (-(timeFormat >> 8)) <= 0)))
            return name + ": the MIDI file has no usable time division";

        schedule.smpteTime = timeFormat < 0;
        schedule.smpteTicksPerSecond = static_cast<double> ((-(timeFormat >> 8)) * (timeFormat & 0xff));
        schedule.tickLength = 1.0 / (timeFormat & 0x7fff);
        schedule.secondsPerTick = 0.5 * schedule.tickLength;   // 120 bpm until a tempo says otherwise
        schedule.stream = std::move (source);

        // Everything is checked before the render starts, so a damaged track
        // is refused before any output exists.
        const auto numTracks = schedule.chunks.size();
        const auto bufferSize = bufferSizeFor (numTracks);

        for (size_t track = 0; track < numTracks; ++track)
        {
            MidiTrackReader reader (*schedule.stream, schedule.chunks[track].start, schedule.chunks[track].length, bufferSize);
            MidiTrackReader::Event event;

            while (reader.next (event))
            {
            }

            if (! reader.problem().empty())
                return name + notReadable + "track " + std::to_string (track + 1) + " of " + std::to_string (numTracks)
                     + " " + reader.problem();
        }

        if (auto problem = schedule.startReading(); ! problem.empty())
            return problem;

        result = std::move (schedule);
        return {};
    }
    catch (const std::bad_alloc&)
    {
        return name + ": the MIDI file is too large for the memory available";
    }
}

std::string MidiSchedule::fromMidiFile (const juce::MidiFile& midiFile, double sampleRate, MidiSchedule& result)
{
    juce::MemoryOutputStream bytes;

    if (! midiFile.writeTo (bytes, 1))
        return "the MIDI file could not be written";

    return fromStream (std::make_unique<juce::MemoryInputStream> (bytes.getMemoryBlock(), true), "the MIDI file",
                       sampleRate, result);
}

std::string MidiSchedule::startReading()
{
    const auto numTracks = chunks.size();
    const auto bufferSize = bufferSizeFor (numTracks);
    readers.clear();
    readers.reserve (numTracks);
    nextOfTrack.assign (numTracks, {});
    queue.clear();
    queue.reserve (numTracks);

    for (size_t track = 0; track < numTracks; ++track)
    {
        readers.emplace_back (*stream, chunks[track].start, chunks[track].length, bufferSize);

        if (readers.back().next (nextOfTrack[track]))
            queue.emplace_back (nextOfTrack[track].tick, static_cast<uint32_t> (track));
        else if (! readers.back().problem().empty())
            return name + notReadable + "track " + std::to_string (track + 1) + " " + readers.back().problem();
    }

    std::make_heap (queue.begin(), queue.end(), std::greater<QueueEntry>());
    return {};
}

void MidiSchedule::applyTimeBreak (double atTick)
{
    secondsAtLastBreak += (atTick - lastBreakTick) * secondsPerTick;
    lastBreakTick = atTick;
}

double MidiSchedule::secondsAt (double atTick) const
{
    if (smpteTime)
        return atTick / smpteTicksPerSecond;

    return secondsAtLastBreak + (atTick - lastBreakTick) * secondsPerTick;
}

const MidiSchedule::Event* MidiSchedule::peek()
{
    if (hasCurrent)
        return &current;

    while (! queue.empty())
    {
        std::pop_heap (queue.begin(), queue.end(), std::greater<QueueEntry>());
        const auto track = queue.back().second;
        queue.pop_back();

        const auto event = nextOfTrack[track];
        auto& reader = readers[track];

        if (reader.next (nextOfTrack[track]))
        {
            queue.emplace_back (nextOfTrack[track].tick, track);
            std::push_heap (queue.begin(), queue.end(), std::greater<QueueEntry>());
        }
        else if (! reader.problem().empty())
        {
            readProblem = name + notReadable + "track " + std::to_string (track + 1) + " " + reader.problem();
            queue.clear();
            return nullptr;
        }

        // Every tick before this one has been seen in every track, so the
        // tempo map is complete up to here. A change on this very tick
        // moves nothing that happens on it.
        switch (event.kind)
        {
            case MidiTrackReader::Kind::tempo:
                applyTimeBreak (event.tick);
                secondsPerTick = tickLength * (event.microsecondsPerQuarter / 1000000.0);
                break;

            case MidiTrackReader::Kind::timeSignature:
                applyTimeBreak (event.tick);
                break;

            case MidiTrackReader::Kind::channel:
                current.sample = samplePositionFor (secondsAt (event.tick), sampleRate);
                current.message = event.size == 2 ? juce::MidiMessage (event.bytes[0], event.bytes[1])
                                                  : juce::MidiMessage (event.bytes[0], event.bytes[1], event.bytes[2]);
                hasCurrent = true;
                return &current;

            case MidiTrackReader::Kind::other:
                break;
        }
    }

    return nullptr;
}

void MidiSchedule::pop()
{
    hasCurrent = false;
}
