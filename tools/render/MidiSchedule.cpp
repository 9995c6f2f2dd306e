#include "MidiSchedule.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
    struct TimedEvent
    {
        double seconds;
        const juce::MidiMessage* message;
    };
}

int64_t MidiSchedule::samplePositionFor (double seconds, double sampleRate)
{
    const auto position = std::floor (seconds * sampleRate + 0.5);

    // Far beyond any render; keeps the conversion defined for absurd times.
    constexpr auto limit = static_cast<double> (std::numeric_limits<int64_t>::max() / 2);
    return static_cast<int64_t> (std::min (std::max (position, 0.0), limit));
}

std::string MidiSchedule::fromMidiFile (const juce::MidiFile& midiFile, double sampleRate, MidiSchedule& result)
{
    // Tick lengths derive from the division; a zero would divide by zero
    // (quarter-note division) or by a zero frame size (SMPTE division).
    const auto timeFormat = midiFile.getTimeFormat();

    if (timeFormat == 0 || (timeFormat < 0 && ((timeFormat & 0xff) == 0 || (-(timeFormat >> 8)) <= 0)))
        return "the MIDI file has no usable time division";

    juce::MidiFile timed (midiFile);
    timed.convertTimestampTicksToSeconds();

    std::vector<TimedEvent> merged;

    for (int track = 0; track < timed.getNumTracks(); ++track)
    {
        const auto& sequence = *timed.getTrack (track);

        for (int i = 0; i < sequence.getNumEvents(); ++i)
        {
            const auto& message = sequence.getEventPointer (i)->message;

            if (message.isMetaEvent())
                continue;

            const auto seconds = message.getTimeStamp();

            if (! std::isfinite (seconds) || seconds < 0.0)
                return "the MIDI file has an event at an impossible time";

            merged.push_back ({ seconds, &message });
        }
    }

    // Stable, so equal times keep track order and then file order.
    std::stable_sort (merged.begin(), merged.end(),
                      [] (const TimedEvent& a, const TimedEvent& b) { return a.seconds < b.seconds; });

    MidiSchedule schedule;
    schedule.scheduled.reserve (merged.size());

    for (const auto& event : merged)
        schedule.scheduled.push_back ({ samplePositionFor (event.seconds, sampleRate), *event.message });

    result = std::move (schedule);
    return {};
}

std::string MidiSchedule::load (const std::string& path, double sampleRate, MidiSchedule& result)
{
    const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (juce::String (path));
    const auto name = "MIDI file '" + path + "'";

    if (file.isDirectory())
        return name + " is a directory";

    if (! file.existsAsFile())
        return name + " does not exist";

    juce::FileInputStream stream (file);

    if (stream.failedToOpen())
        return "cannot open " + name + ": " + stream.getStatus().getErrorMessage().toStdString();

    return fromStream (stream, name, sampleRate, result);
}

std::string MidiSchedule::fromStream (juce::InputStream& stream, const std::string& name, double sampleRate,
                                      MidiSchedule& result)
{
    juce::MidiFile midiFile;

    if (! midiFile.readFrom (stream, false))
        return name + " is not a readable Standard MIDI File";

    if (auto error = fromMidiFile (midiFile, sampleRate, result); ! error.empty())
        return name + ": " + error;

    return {};
}
