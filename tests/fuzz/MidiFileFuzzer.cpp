// Any bytes as the renderer's MIDI file, through the renderer's own reading
// and scheduling code: a one-line refusal, or events in delivery order on
// samples that exist.

#include "MidiSchedule.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace
{
    void fail (const char* what)
    {
        std::fprintf (stderr, "midi_file_fuzzer: %s\n", what);
        std::abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;

    // The first byte picks the render's rate, the rest is the file.
    constexpr double rates[] = { 8000.0, 44100.0, 48000.0, 192000.0, 768000.0 };
    const auto rate = rates[data[0] % 5];

    MidiSchedule schedule;
    const auto error = MidiSchedule::fromStream (std::make_unique<juce::MemoryInputStream> (data + 1, size - 1, false),
                                                 "MIDI file 'fuzz'", rate, schedule);

    if (! error.empty())
    {
        if (error.find ('\n') != std::string::npos || schedule.peek() != nullptr)
            fail ("a refusal must be one line and schedule nothing");

        return 0;
    }

    int64_t previous = 0;

    for (const MidiSchedule::Event* event; (event = schedule.peek()) != nullptr; schedule.pop())
    {
        if (event->sample < previous)
            fail ("events out of order");

        if (event->message.isMetaEvent() || event->message.isSysEx())
            fail ("only channel messages may reach the engine");

        previous = event->sample;
    }

    // Checked whole when loaded, so reading it again cannot fail.
    if (! schedule.problem().empty())
        fail ("a file that was accepted could not be read");

    return 0;
}
