#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <cstdint>
#include <string>
#include <vector>

// The events of a Standard MIDI File placed on the sample grid of one render.
//
// Times come from the file's own tempo map (tempo changes in any track count),
// and every track is merged into one list in time order; events at the same
// time keep the order of their tracks and, within a track, of the file.
//
// Rule for the sample an event lands on: an event at t seconds acts from
// sample n = floor(t * sampleRate + 0.5) on, i.e. the nearest sample with
// halves rounding up. It is handed to the engine before sample n is processed,
// so sample n is the first one that hears it. Meta events (tempo, names, end
// of track...) are not MIDI traffic and never reach the engine.
class MidiSchedule final
{
public:
    struct Event
    {
        int64_t sample = 0;
        juce::MidiMessage message;
    };

    // Main thread. Reads the file at `path` (relative to the working
    // directory or absolute) and places its events at `sampleRate`; on failure
    // leaves `result` alone and returns a one-line reason.
    static std::string load (const std::string& path, double sampleRate, MidiSchedule& result);

    // Any thread. The same from a stream holding the file, called `name` in
    // the reason.
    static std::string fromStream (juce::InputStream& stream, const std::string& name, double sampleRate,
                                   MidiSchedule& result);

    // Any thread. The same from a parsed file whose timestamps are still in
    // ticks.
    static std::string fromMidiFile (const juce::MidiFile& midiFile, double sampleRate, MidiSchedule& result);

    // Any thread. The sample an event at `seconds` lands on (see above).
    static int64_t samplePositionFor (double seconds, double sampleRate);

    // Any thread. Every event, in delivery order.
    const std::vector<Event>& events() const noexcept { return scheduled; }

private:
    std::vector<Event> scheduled;
};
