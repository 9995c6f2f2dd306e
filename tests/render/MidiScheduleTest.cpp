#include "MidiSchedule.h"

#include "RenderTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <new>

#include <cstdint>
#include <string>
#include <vector>

namespace
{
    using rendertest::TempDirectory;

    // Every event the schedule delivers, in order.
    std::vector<MidiSchedule::Event> drain (MidiSchedule& schedule)
    {
        std::vector<MidiSchedule::Event> events;

        for (const MidiSchedule::Event* event; (event = schedule.peek()) != nullptr; schedule.pop())
            events.push_back (*event);

        EXPECT_EQ (schedule.problem(), "");
        return events;
    }
    using rendertest::TempoChange;
    using rendertest::tempoTrack;

    struct RoundingCase
    {
        double seconds;
        double sampleRate;
        int64_t expected;
    };

    void PrintTo (const RoundingCase& c, std::ostream* os)
    {
        *os << c.seconds << " s at " << c.sampleRate << " Hz";
    }

    class SamplePosition : public ::testing::TestWithParam<RoundingCase>
    {
    };

    TEST_P (SamplePosition, IsTheNearestSampleWithHalvesRoundingUp)
    {
        EXPECT_EQ (MidiSchedule::samplePositionFor (GetParam().seconds, GetParam().sampleRate), GetParam().expected);
    }

    // A rate of 1024 Hz keeps every time below exact in binary.
    INSTANTIATE_TEST_SUITE_P (
        Table, SamplePosition,
        ::testing::Values (RoundingCase { 0.0, 48000.0, 0 },
                           RoundingCase { 1.0, 48000.0, 48000 },
                           RoundingCase { 0.5, 44100.0, 22050 },
                           RoundingCase { 2.0 / 1024.0, 1024.0, 2 },
                           RoundingCase { 2.25 / 1024.0, 1024.0, 2 },
                           RoundingCase { 2.5 / 1024.0, 1024.0, 3 },
                           RoundingCase { 2.75 / 1024.0, 1024.0, 3 },
                           RoundingCase { 0.5 / 1024.0, 1024.0, 1 },
                           RoundingCase { 0.25 / 1024.0, 1024.0, 0 },
                           RoundingCase { 3.4999 / 1024.0, 1024.0, 3 },
                           RoundingCase { 3600.0, 192000.0, 691200000 }));

    TEST (MidiSchedule, FollowsATempoMapWithChangesInAnotherTrack)
    {
        const std::vector<TempoChange> tempoMap { { 0, 500000 }, { 960, 400000 }, { 1800, 600000 }, { 3000, 250000 } };
        const std::vector<int64_t> ticks { 0, 1, 480, 959, 960, 961, 1501, 1800, 2222, 3000, 3001, 10000 };

        juce::MidiMessageSequence controls;

        for (size_t i = 0; i < ticks.size(); ++i)
            controls.addEvent (juce::MidiMessage::controllerEvent (1, 5, static_cast<int> (i)), static_cast<double> (ticks[i]));

        juce::MidiFile file;
        file.setTicksPerQuarterNote (960);
        file.addTrack (tempoTrack (tempoMap));
        file.addTrack (controls);

        for (const int rate : { 44100, 48000, 96000 })
        {
            MidiSchedule schedule;
            ASSERT_EQ (MidiSchedule::fromMidiFile (file, rate, schedule), "");
            const auto events = drain (schedule);
            ASSERT_EQ (events.size(), ticks.size()) << "the tempo events themselves are not delivered";

            for (size_t i = 0; i < ticks.size(); ++i)
            {
                EXPECT_EQ (events[i].message.getControllerValue(), static_cast<int> (i));
                EXPECT_EQ (events[i].sample, rendertest::tickToSample (ticks[i], tempoMap, 960, rate))
                    << "tick " << ticks[i] << " at " << rate << " Hz";
            }
        }
    }

    TEST (MidiSchedule, MergesTracksInTimeOrderAndKeepsTrackOrderForEqualTimes)
    {
        juce::MidiMessageSequence first, second, third;
        first.addEvent (juce::MidiMessage::controllerEvent (1, 2, 10), 100.0);
        first.addEvent (juce::MidiMessage::controllerEvent (1, 2, 11), 300.0);
        first.addEvent (juce::MidiMessage::controllerEvent (1, 2, 12), 300.0);
        second.addEvent (juce::MidiMessage::controllerEvent (2, 2, 20), 50.0);
        second.addEvent (juce::MidiMessage::controllerEvent (2, 2, 21), 300.0);
        third.addEvent (juce::MidiMessage::controllerEvent (3, 2, 30), 300.0);
        third.addEvent (juce::MidiMessage::controllerEvent (3, 2, 31), 200.0);

        juce::MidiFile file;
        file.setTicksPerQuarterNote (480);
        file.addTrack (first);
        file.addTrack (second);
        file.addTrack (third);

        MidiSchedule schedule;
        ASSERT_EQ (MidiSchedule::fromMidiFile (file, 48000.0, schedule), "");

        std::vector<int> order;

        for (const auto& event : drain (schedule))
            order.push_back (event.message.getControllerValue());

        EXPECT_EQ (order, (std::vector<int> { 20, 10, 31, 11, 12, 21, 30 }));
    }

    TEST (MidiSchedule, LeavesOutMetaEventsButKeepsAllMidiTraffic)
    {
        juce::MidiMessageSequence track;
        track.addEvent (juce::MidiMessage::textMetaEvent (3, "lead"), 0.0);
        track.addEvent (juce::MidiMessage::timeSignatureMetaEvent (3, 4), 0.0);
        track.addEvent (juce::MidiMessage::noteOn (1, 60, 0.5f), 0.0);
        track.addEvent (juce::MidiMessage::controllerEvent (1, 3, 0), 10.0);
        track.addEvent (juce::MidiMessage::pitchWheel (1, 100), 20.0);
        track.addEvent (juce::MidiMessage::noteOff (1, 60), 30.0);

        juce::MidiFile file;
        file.setTicksPerQuarterNote (96);
        file.addTrack (track);

        MidiSchedule schedule;
        ASSERT_EQ (MidiSchedule::fromMidiFile (file, 48000.0, schedule), "");
        const auto events = drain (schedule);
        ASSERT_EQ (events.size(), 4u);

        for (const auto& event : events)
            EXPECT_FALSE (event.message.isMetaEvent());

        EXPECT_TRUE (events[0].message.isNoteOn());
        EXPECT_TRUE (events[1].message.isController());
        EXPECT_TRUE (events[2].message.isPitchWheel());
        EXPECT_TRUE (events[3].message.isNoteOff());
    }

    TEST (MidiSchedule, ReadsSmpteTime)
    {
        // 25 frames of 40 ticks: a millisecond per tick, whatever the tempo.
        juce::MidiMessageSequence track;
        track.addEvent (juce::MidiMessage::tempoMetaEvent (250000), 0.0);
        track.addEvent (juce::MidiMessage::controllerEvent (1, 5, 64), 1234.0);

        juce::MidiFile file;
        file.setSmpteTimeFormat (25, 40);
        file.addTrack (track);

        MidiSchedule schedule;
        ASSERT_EQ (MidiSchedule::fromMidiFile (file, 8000.0, schedule), "");
        const auto events = drain (schedule);
        ASSERT_EQ (events.size(), 1u);
        EXPECT_EQ (events[0].sample, 9872);
    }

    TEST (MidiSchedule, RefusesAFileWithoutATimeDivision)
    {
        juce::MidiMessageSequence track;
        track.addEvent (juce::MidiMessage::controllerEvent (1, 5, 64), 10.0);

        juce::MidiFile file;
        file.setTicksPerQuarterNote (0);
        file.addTrack (track);

        MidiSchedule schedule;
        EXPECT_NE (MidiSchedule::fromMidiFile (file, 48000.0, schedule).find ("time division"), std::string::npos);
        EXPECT_EQ (schedule.peek(), nullptr);
    }

    TEST (MidiSchedule, LoadsFromAFileRelativeToTheWorkingDirectory)
    {
        TempDirectory dir;
        juce::MidiMessageSequence track;
        track.addEvent (juce::MidiMessage::controllerEvent (1, 5, 64), 480.0);
        juce::MidiFile file;
        file.setTicksPerQuarterNote (480);
        file.addTrack (track);
        rendertest::writeMidiFile (dir.path ("song.mid"), file);

        const auto previous = juce::File::getCurrentWorkingDirectory();
        ASSERT_TRUE (juce::File (dir.root()).setAsCurrentWorkingDirectory());

        MidiSchedule schedule;
        const auto error = MidiSchedule::load ("song.mid", 48000.0, schedule);
        previous.setAsCurrentWorkingDirectory();

        ASSERT_EQ (error, "");
        const auto events = drain (schedule);
        ASSERT_EQ (events.size(), 1u);
        EXPECT_EQ (events[0].sample, 24000);
    }

    struct BadMidiFile
    {
        std::string name;
        std::vector<uint8_t> bytes;   // empty name and bytes: the folder itself
        std::string expectedText;
    };

    void PrintTo (const BadMidiFile& c, std::ostream* os)
    {
        *os << (c.name.empty() ? "(a folder)" : c.name);
    }

    class MidiScheduleLoad : public ::testing::TestWithParam<BadMidiFile>
    {
    };

    TEST_P (MidiScheduleLoad, FailsWithAReason)
    {
        TempDirectory dir;
        const auto& c = GetParam();
        const auto path = c.name.empty() ? dir.root() : dir.path (c.name);

        if (! c.bytes.empty() || c.name == "empty.mid")
            rendertest::writeBytes (path, c.bytes);

        MidiSchedule schedule;
        const auto error = MidiSchedule::load (path, 48000.0, schedule);

        EXPECT_NE (error.find (c.expectedText), std::string::npos) << "got: " << error;
        EXPECT_NE (error.find ("MIDI file '" + path + "'"), std::string::npos) << "names the file: " << error;
    }

    // A valid one-track file: header, then a track with one control change.
    const std::vector<uint8_t> header { 'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0 };
    const std::vector<uint8_t> track { 'M', 'T', 'r', 'k', 0, 0, 0, 8, 0x00, 0xB0, 0x05, 0x40, 0x00, 0xFF, 0x2F, 0x00 };

    std::vector<uint8_t> join (std::vector<uint8_t> a, const std::vector<uint8_t>& b, size_t dropAtEnd = 0)
    {
        a.insert (a.end(), b.begin(), b.end() - static_cast<std::ptrdiff_t> (dropAtEnd));
        return a;
    }

    const std::vector<uint8_t> endOfTrack { 0x00, 0xFF, 0x2F, 0x00 };

    std::vector<uint8_t> fileOf (const std::vector<std::vector<uint8_t>>& tracks, int format = 1, int announced = -1)
    {
        return rendertest::midiFileBytes (format, 480, tracks, announced);
    }

    std::vector<uint8_t> withHeaderLength (std::vector<uint8_t> bytes, uint8_t length)
    {
        bytes[7] = length;
        return bytes;
    }

    INSTANTIATE_TEST_SUITE_P (
        Table, MidiScheduleLoad,
        ::testing::Values (BadMidiFile { "missing.mid", {}, "does not exist" },
                           BadMidiFile { "", {}, "is a directory" },
                           BadMidiFile { "empty.mid", {}, "not a readable Standard MIDI File: it is empty" },
                           BadMidiFile { "text.mid", { 'h', 'e', 'l', 'l', 'o', '\n' },
                                         "not a readable Standard MIDI File: it does not begin with a MIDI header" },
                           BadMidiFile { "cut.mid", join (header, track, 5),
                                         "not a readable Standard MIDI File: track 1 of 1 is cut short" },
                           BadMidiFile { "headonly.mid", std::vector<uint8_t> (header.begin(), header.begin() + 10),
                                         "not a readable Standard MIDI File: its header is cut short" }));

    // Files whose damage the reader must name: what, in which track, where.
    INSTANTIATE_TEST_SUITE_P (
        Damage, MidiScheduleLoad,
        ::testing::Values (
            BadMidiFile { "too-few-tracks.mid", fileOf ({ endOfTrack }, 1, 2), "it holds 1 of the 2 tracks its header announces" },
            BadMidiFile { "format-3.mid", fileOf ({ endOfTrack }, 3), "it is of format 3 (formats 0, 1 and 2 exist)" },
            BadMidiFile { "format-0-of-two.mid", fileOf ({ endOfTrack, endOfTrack }, 0),
                          "it is of format 0, which holds one track, but announces 2 tracks" },
            BadMidiFile { "short-header.mid", withHeaderLength (fileOf ({ endOfTrack }), 2), "its header is damaged" },
            BadMidiFile { "no-status.mid", fileOf ({ { 0x00, 0x05, 0x40, 0x00, 0xFF, 0x2F, 0x00 } }),
                          "track 1 of 1 has a data byte with no status byte before it (at byte 22 of the file)" },
            BadMidiFile { "long-delta.mid", fileOf ({ { 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0xB0, 0x05, 0x40 } }),
                          "track 1 of 1 has a variable-length number longer than four bytes" },
            BadMidiFile { "event-cut.mid", fileOf ({ { 0x00, 0xB0, 0x05 } }), "track 1 of 1 ends in the middle of an event" },
            BadMidiFile { "delta-cut.mid", fileOf ({ { 0x00, 0xB0, 0x05, 0x40, 0x81 } }), "track 1 of 1 ends in the middle of an event" },
            BadMidiFile { "status-for-data.mid", fileOf ({ { 0x00, 0xB0, 0x05, 0x90, 0x40, 0x40, 0x00, 0xFF, 0x2F, 0x00 } }),
                          "track 1 of 1 has a status byte where a data byte belongs (at byte 25 of the file)" },
            BadMidiFile { "meta-past-track.mid", fileOf ({ { 0x00, 0xFF, 0x01, 0x10, 'a' } }),
                          "track 1 of 1 ends in the middle of an event" },
            BadMidiFile { "sysex-past-track.mid", fileOf ({ { 0x00, 0xF0, 0x05, 0x7E, 0xF7 } }),
                          "track 1 of 1 ends in the middle of an event" },
            BadMidiFile { "second-track.mid", fileOf ({ endOfTrack, { 0x00, 0xB0, 0x05, 0x40, 0x00, 0x06 } }),
                          "track 2 of 2 ends in the middle of an event" }),
        [] (const ::testing::TestParamInfo<BadMidiFile>& info)
        {
            auto name = info.param.name.substr (0, info.param.name.find ('.'));
            std::replace (name.begin(), name.end(), '-', '_');
            return name;
        });

    struct OddButWhole
    {
        std::string label;
        std::vector<uint8_t> bytes;
        std::vector<int> values;   // the controller values delivered, in order
    };

    void PrintTo (const OddButWhole& c, std::ostream* os)
    {
        *os << c.label;
    }

    class MidiScheduleOddFile : public ::testing::TestWithParam<OddButWhole>
    {
    };

    TEST_P (MidiScheduleOddFile, IsReadWhole)
    {
        MidiSchedule schedule;
        ASSERT_EQ (MidiSchedule::fromStream (std::make_unique<juce::MemoryInputStream> (GetParam().bytes.data(), GetParam().bytes.size(), true),
                                             "MIDI file 'odd.mid'", 48000.0, schedule),
                   "");

        std::vector<int> values;

        for (const auto& event : drain (schedule))
            values.push_back (event.message.getControllerValue());

        EXPECT_EQ (values, GetParam().values);
    }

    std::vector<uint8_t> riffWrapped (const std::vector<uint8_t>& midi)
    {
        const std::string riff ("RIFF\0\0\0\0RMIDdata", 16);
        std::vector<uint8_t> bytes (riff.begin(), riff.end());

        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back (static_cast<uint8_t> (midi.size() >> shift));

        bytes.insert (bytes.end(), midi.begin(), midi.end());
        return bytes;
    }

    std::vector<uint8_t> withAlienChunkFirst (const std::vector<uint8_t>& midi)
    {
        std::vector<uint8_t> bytes (midi.begin(), midi.begin() + 14);
        bytes.insert (bytes.end(), { 'X', 'Y', 'Z', 'W', 0, 0, 0, 3, 1, 2, 3 });
        bytes.insert (bytes.end(), midi.begin() + 14, midi.end());
        return bytes;
    }

    std::vector<uint8_t> withLongerHeader (const std::vector<uint8_t>& midi)
    {
        std::vector<uint8_t> bytes (midi.begin(), midi.begin() + 14);
        bytes[7] = 8;
        bytes.insert (bytes.end(), { 0xAB, 0xCD });
        bytes.insert (bytes.end(), midi.begin() + 14, midi.end());
        return bytes;
    }

    INSTANTIATE_TEST_SUITE_P (
        Table, MidiScheduleOddFile,
        ::testing::Values (
            OddButWhole { "riff_wrapped", riffWrapped (join (header, track)), { 0x40 } },
            OddButWhole { "alien_chunk_skipped", withAlienChunkFirst (join (header, track)), { 0x40 } },
            OddButWhole { "longer_header", withLongerHeader (join (header, track)), { 0x40 } },
            OddButWhole { "bytes_after_the_last_track", join (join (header, track), { 0, 0, 0 }), { 0x40 } },
            OddButWhole { "no_end_of_track", fileOf ({ { 0x00, 0xB0, 0x05, 0x41 } }), { 0x41 } },
            OddButWhole { "nothing_read_after_end_of_track", fileOf ({ { 0x00, 0xB0, 0x05, 0x41, 0x00, 0xFF, 0x2F, 0x00, 0x05 } }), { 0x41 } },
            OddButWhole { "running_status_over_meta_and_sysex",
                          fileOf ({ { 0x00, 0xB0, 0x05, 0x01, 0x00, 0xFF, 0x01, 0x01, 'x', 0x00, 0x05, 0x02,
                                      0x00, 0xF0, 0x02, 0x7E, 0xF7, 0x00, 0x05, 0x03, 0x00, 0xFF, 0x2F, 0x00 } }),
                          { 0x01, 0x02, 0x03 } },
            OddButWhole { "a_system_message_is_skipped", fileOf ({ { 0x00, 0xB0, 0x05, 0x01, 0x00, 0xF2, 0x10, 0x20, 0x00, 0xB0, 0x05, 0x02 } }),
                          { 0x01, 0x02 } },
            OddButWhole { "no_tracks", fileOf ({}), {} }),
        [] (const ::testing::TestParamInfo<OddButWhole>& info) { return info.param.label; });

    // Reading fails with an allocation as it would where memory runs out.
    class StreamWithoutMemory final : public juce::InputStream
    {
    public:
        juce::int64 getTotalLength() override { return 1 << 20; }
        bool isExhausted() override { return false; }
        int read (void*, int) override { throw std::bad_alloc(); }
        juce::int64 getPosition() override { return 0; }
        bool setPosition (juce::int64) override { return true; }
    };

    TEST (MidiSchedule, RunningOutOfMemorySaysTheFileIsTooLarge)
    {
        MidiSchedule schedule;
        const auto error = MidiSchedule::fromStream (std::make_unique<StreamWithoutMemory>(), "MIDI file 'huge.mid'", 48000.0, schedule);

        EXPECT_EQ (error, "MIDI file 'huge.mid': the MIDI file is too large for the memory available");
        EXPECT_EQ (schedule.peek(), nullptr);
    }

    // The framework's own reading, as the renderer once placed events: every
    // track converted to seconds through the tempo map, channel messages
    // merged by a stable sort on time.
    std::vector<std::pair<int64_t, std::vector<uint8_t>>> placedByTheFramework (const std::vector<uint8_t>& bytes, double rate)
    {
        juce::MemoryInputStream stream (bytes.data(), bytes.size(), false);
        juce::MidiFile file;
        EXPECT_TRUE (file.readFrom (stream, false));
        file.convertTimestampTicksToSeconds();

        struct Timed
        {
            double seconds;
            const juce::MidiMessage* message;
        };

        std::vector<Timed> merged;

        for (int t = 0; t < file.getNumTracks(); ++t)
            for (const auto* holder : *file.getTrack (t))
                if (! holder->message.isMetaEvent() && ! holder->message.isSysEx())
                    merged.push_back ({ holder->message.getTimeStamp(), &holder->message });

        std::stable_sort (merged.begin(), merged.end(), [] (const Timed& a, const Timed& b) { return a.seconds < b.seconds; });

        std::vector<std::pair<int64_t, std::vector<uint8_t>>> placed;

        for (const auto& event : merged)
            placed.emplace_back (MidiSchedule::samplePositionFor (event.seconds, rate),
                                 std::vector<uint8_t> (event.message->getRawData(), event.message->getRawData() + event.message->getRawDataSize()));

        return placed;
    }

    // A random but well-formed file: tempo and time signature changes in any
    // track, control changes, program changes and pitch bend with and
    // without running status, text and system exclusive events between them.
    std::vector<uint8_t> randomSong (juce::Random& random)
    {
        std::vector<std::vector<uint8_t>> tracks (static_cast<size_t> (1 + random.nextInt (5)));

        for (auto& body : tracks)
        {
            uint8_t running = 0;

            for (int i = random.nextInt (60); --i >= 0;)
            {
                const auto delta = random.nextInt (4) == 0 ? 0 : random.nextInt (3000);

                if (delta >= 128)
                    body.push_back (static_cast<uint8_t> (0x80 | (delta >> 7)));

                body.push_back (static_cast<uint8_t> (delta & 0x7f));

                const auto kind = random.nextInt (10);
                const auto data = [&random] { return static_cast<uint8_t> (random.nextInt (128)); };

                if (kind == 0)
                {
                    const auto tempo = 100000 + random.nextInt (1900000);
                    body.insert (body.end(), { 0xFF, 0x51, 0x03, static_cast<uint8_t> (tempo >> 16),
                                               static_cast<uint8_t> (tempo >> 8), static_cast<uint8_t> (tempo) });
                }
                else if (kind == 1)
                {
                    body.insert (body.end(), { 0xFF, 0x58, 0x04, 3, 2, 24, 8 });
                }
                else if (kind == 2)
                {
                    body.insert (body.end(), { 0xFF, 0x01, 0x02, 'h', 'i' });
                }
                else if (kind == 3)
                {
                    body.insert (body.end(), { 0xF0, 0x03, 0x7E, data(), 0xF7 });
                }
                else
                {
                    const uint8_t types[] = { 0xB0, 0xB0, 0xB0, 0xC0, 0xE0 };
                    const auto status = static_cast<uint8_t> (types[random.nextInt (5)] | random.nextInt (16));

                    if (status != running || random.nextBool())
                        body.push_back (status);

                    running = status;
                    body.push_back (data());

                    if ((status & 0xF0) != 0xC0)
                        body.push_back (data());
                }
            }

            body.insert (body.end(), endOfTrack.begin(), endOfTrack.end());
        }

        const int divisions[] = { 96, 480, 960, 1000, static_cast<int> (static_cast<uint16_t> ((-25 << 8) | 40)) };
        return rendertest::midiFileBytes (1, divisions[random.nextInt (5)], tracks);
    }

    TEST (MidiSchedule, PlacesEveryEventWhereTheFrameworksOwnReadingDoes)
    {
        juce::Random random (20);

        for (int song = 0; song < 300; ++song)
        {
            const auto bytes = randomSong (random);

            for (const double rate : { 44100.0, 48000.0, 96000.0 })
            {
                MidiSchedule schedule;
                ASSERT_EQ (MidiSchedule::fromStream (std::make_unique<juce::MemoryInputStream> (bytes.data(), bytes.size(), true),
                                                     "MIDI file 'random.mid'", rate, schedule),
                           "")
                    << "song " << song;

                std::vector<std::pair<int64_t, std::vector<uint8_t>>> placed;

                for (const auto& event : drain (schedule))
                    placed.emplace_back (event.sample, std::vector<uint8_t> (event.message.getRawData(),
                                                                             event.message.getRawData() + event.message.getRawDataSize()));

                ASSERT_EQ (placed, placedByTheFramework (bytes, rate)) << "song " << song << " at " << rate << " Hz";
            }
        }
    }

    TEST (MidiSchedule, TheFixtureBytesAreAValidFile)
    {
        // Guards the table above: the same bytes uncut are accepted.
        TempDirectory dir;
        rendertest::writeBytes (dir.path ("whole.mid"), join (header, track));

        MidiSchedule schedule;
        ASSERT_EQ (MidiSchedule::load (dir.path ("whole.mid"), 48000.0, schedule), "");
        EXPECT_EQ (drain (schedule).size(), 1u);
    }
}
