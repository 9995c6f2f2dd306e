#include "MidiSchedule.h"

#include "RenderTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace
{
    using rendertest::TempDirectory;
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
            ASSERT_EQ (schedule.events().size(), ticks.size()) << "the tempo events themselves are not delivered";

            for (size_t i = 0; i < ticks.size(); ++i)
            {
                EXPECT_EQ (schedule.events()[i].message.getControllerValue(), static_cast<int> (i));
                EXPECT_EQ (schedule.events()[i].sample, rendertest::tickToSample (ticks[i], tempoMap, 960, rate))
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

        for (const auto& event : schedule.events())
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
        ASSERT_EQ (schedule.events().size(), 4u);

        for (const auto& event : schedule.events())
            EXPECT_FALSE (event.message.isMetaEvent());

        EXPECT_TRUE (schedule.events()[0].message.isNoteOn());
        EXPECT_TRUE (schedule.events()[1].message.isController());
        EXPECT_TRUE (schedule.events()[2].message.isPitchWheel());
        EXPECT_TRUE (schedule.events()[3].message.isNoteOff());
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
        ASSERT_EQ (schedule.events().size(), 1u);
        EXPECT_EQ (schedule.events()[0].sample, 9872);
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
        EXPECT_TRUE (schedule.events().empty());
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
        ASSERT_EQ (schedule.events().size(), 1u);
        EXPECT_EQ (schedule.events()[0].sample, 24000);
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

    INSTANTIATE_TEST_SUITE_P (
        Table, MidiScheduleLoad,
        ::testing::Values (BadMidiFile { "missing.mid", {}, "does not exist" },
                           BadMidiFile { "", {}, "is a directory" },
                           BadMidiFile { "empty.mid", {}, "not a readable Standard MIDI File" },
                           BadMidiFile { "text.mid", { 'h', 'e', 'l', 'l', 'o', '\n' }, "not a readable Standard MIDI File" },
                           BadMidiFile { "cut.mid", join (header, track, 5), "not a readable Standard MIDI File" },
                           BadMidiFile { "headonly.mid", std::vector<uint8_t> (header.begin(), header.begin() + 10),
                                         "not a readable Standard MIDI File" }));

    TEST (MidiSchedule, TheFixtureBytesAreAValidFile)
    {
        // Guards the table above: the same bytes uncut are accepted.
        TempDirectory dir;
        rendertest::writeBytes (dir.path ("whole.mid"), join (header, track));

        MidiSchedule schedule;
        ASSERT_EQ (MidiSchedule::load (dir.path ("whole.mid"), 48000.0, schedule), "");
        EXPECT_EQ (schedule.events().size(), 1u);
    }
}
