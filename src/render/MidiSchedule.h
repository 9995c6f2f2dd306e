#pragma once

#include "MidiTrackReader.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The events of a Standard MIDI File placed on the sample grid of one render.
//
// Times come from the file's own tempo map (tempo changes in any track count),
// and every track is merged into one stream in time order; events at the same
// time keep the order of their tracks and, within a track, of the file.
//
// Rule for the sample an event lands on: an event at t seconds acts from
// sample n = floor(t * sampleRate + 0.5) on, i.e. the nearest sample with
// halves rounding up. It is handed to the engine before sample n is processed,
// so sample n is the first one that hears it. Only channel messages are MIDI
// traffic for the engine: meta events (tempo, names, end of track...), system
// exclusive and system messages never reach it.
//
// The whole file is checked when it is loaded, then read again as the render
// asks for events, one small buffer per track, so memory does not grow with
// the number of events. A file that is not a regular file (a pipe) cannot be
// read in several places at once and is read into memory first.
class MidiSchedule final
{
public:
    struct Event
    {
        int64_t sample = 0;
        juce::MidiMessage message;
    };

    // A pipe holding more than this is refused rather than read into memory.
    static constexpr juce::int64 maximumPipedFileSize = juce::int64 { 256 } << 20;

    // Any thread. An empty schedule: no events.
    MidiSchedule();
    ~MidiSchedule();
    MidiSchedule (MidiSchedule&&) noexcept;
    MidiSchedule& operator= (MidiSchedule&&) noexcept;

    // Main thread. Opens the file at `path` (relative to the working
    // directory or absolute), checks it whole and gets ready to place its
    // events at `sampleRate`; on failure leaves `result` alone and returns a
    // one-line reason. The file stays open until `result` goes.
    static std::string load (const std::string& path, double sampleRate, MidiSchedule& result);

    // Any thread. The same from a stream holding the file, which the schedule
    // keeps; called `name` in the reason.
    static std::string fromStream (std::unique_ptr<juce::InputStream> stream, const std::string& name,
                                   double sampleRate, MidiSchedule& result);

    // Any thread. The same from a parsed file whose timestamps are still in
    // ticks, as it would be written.
    static std::string fromMidiFile (const juce::MidiFile& midiFile, double sampleRate, MidiSchedule& result);

    // Any thread. The sample an event at `seconds` lands on (see above).
    static int64_t samplePositionFor (double seconds, double sampleRate);

    // The thread that loaded it, as for the members below. The next event in
    // delivery order without taking it; null after the last one, or when the
    // file could not be read on (problem() then says why).
    const Event* peek();

    // Takes the event peek() showed.
    void pop();

    // Empty unless the file could not be read on during the render (it was
    // changed or cut short after it was checked): then a one-line reason.
    const std::string& problem() const noexcept { return readProblem; }

private:
    struct TrackChunk
    {
        juce::int64 start = 0;
        juce::int64 length = 0;
    };

    // Where the next event of a track stands in the merge: earliest tick
    // first, the lower track first on the same tick.
    using QueueEntry = std::pair<double, uint32_t>;

    static std::string findTracks (juce::InputStream& stream, short& timeFormat, std::vector<TrackChunk>& tracks);
    std::string startReading();
    void applyTimeBreak (double atTick);
    double secondsAt (double atTick) const;

    std::unique_ptr<juce::InputStream> stream;
    std::string name;
    double sampleRate = 0.0;
    std::vector<TrackChunk> chunks;
    std::vector<MidiTrackReader> readers;
    std::vector<MidiTrackReader::Event> nextOfTrack;
    std::vector<QueueEntry> queue;

    // The tempo map so far, in the framework's own arithmetic: seconds at
    // the last tempo or time signature change, and the length of a tick
    // since then. SMPTE time has a fixed number of ticks per second.
    bool smpteTime = false;
    double smpteTicksPerSecond = 1.0;
    double tickLength = 0.0;
    double secondsPerTick = 0.0;
    double lastBreakTick = 0.0;
    double secondsAtLastBreak = 0.0;

    Event current;
    bool hasCurrent = false;
    std::string readProblem;
};
