// MIDI events from a file land on their sample, and no block size changes
// the result.

#include "RenderFixture.h"

#include <cmath>

namespace
{
    using rendertest::makeSignal;
    using rendertest::renderWithEngine;
    using rendertest::tickToSample;
    using rendertest::TempoChange;
    using rendertest::TimedMidi;

    constexpr int ticksPerQuarter = 480;
    constexpr int rate = 44100;

    struct TickEvent
    {
        int64_t tick;
        juce::MidiMessage message;
    };

    // Writes a format 1 file: the tempo map in the first track, the events
    // spread over two more tracks. Returns the events placed on samples by
    // the test's own arithmetic, in the order the engine must get them.
    std::vector<TimedMidi> writeSong (const std::string& path, const std::vector<TempoChange>& tempoMap,
                                      const std::vector<TickEvent>& events)
    {
        juce::MidiMessageSequence odd, even;

        for (size_t i = 0; i < events.size(); ++i)
            (i % 2 == 0 ? even : odd).addEvent (events[i].message, static_cast<double> (events[i].tick));

        juce::MidiFile file;
        file.setTicksPerQuarterNote (ticksPerQuarter);
        file.addTrack (rendertest::tempoTrack (tempoMap));
        file.addTrack (even);
        file.addTrack (odd);
        rendertest::writeMidiFile (path, file);

        std::vector<TimedMidi> timed;

        for (const auto& event : events)
            timed.push_back ({ tickToSample (event.tick, tempoMap, ticksPerQuarter, rate), event.message });

        std::stable_sort (timed.begin(), timed.end(), [] (const TimedMidi& a, const TimedMidi& b) { return a.sample < b.sample; });
        return timed;
    }

    class RenderMidi : public RenderFixture
    {
    };

    TEST_F (RenderMidi, MasterSwitchFlipsExactlyOnTheScheduledSamples)
    {
        // Full level with every slot off, so "processed" is the sum times
        // 100 and cannot be mistaken for the plain sum.
        const auto input = makeSignal (2, rate, rate, 0.3f, 21);
        writeInput ("in.wav", input);

        // 120 bpm, 150 bpm from the second beat, 100 bpm from tick 840.
        const std::vector<TempoChange> tempoMap { { 0, 500000 }, { 480, 400000 }, { 840, 600000 } };
        const auto events = writeSong (dir.path ("song.mid"), tempoMap,
                                       { { 701, juce::MidiMessage::controllerEvent (1, 3, 0) },
                                         { 1083, juce::MidiMessage::controllerEvent (16, 3, 127) } });
        const auto off = events[0].sample, on = events[1].sample;

        // Worked by hand: 0.5 s + 221 ticks at 150 bpm = 0.68416 s, sample
        // 30171.75, so 30172; 0.8 s + 243 ticks at 100 bpm = 1.10375 s,
        // sample 48675.375, so 48675 (in the tail, after the input's end).
        ASSERT_EQ (off, 30172);
        ASSERT_EQ (on, 48675);

        const Settings settings { { "ampOn", "0" }, { "mast", "1" } };
        const auto output = renderOk (withSettings ({ "in.wav", "out.wav", "--midi", "song.mid", "--tail", "0.25" },
                                                    settings),
                                      "out.wav");
        const auto tailSamples = std::llround (0.25 * rate);
        ASSERT_EQ (output.numSamples(), rate + tailSamples);

        for (int64_t i = 0; i < output.numSamples(); ++i)
        {
            const auto index = static_cast<size_t> (i);
            const float sum = i < rate ? (0.0f + input.channels[0][index]) + input.channels[1][index] : 0.0f;
            const float expected = (i >= off && i < on) ? sum : 100.0f * sum;

            ASSERT_EQ (output.channels[0][index], expected) << "sample " << i;
            ASSERT_EQ (output.channels[1][index], expected) << "sample " << i;
        }

        // The switch shows right at its sample, not a sample early or late.
        EXPECT_NE (output.channels[0][static_cast<size_t> (off - 1)], (0.0f + input.channels[0][static_cast<size_t> (off - 1)]) + input.channels[1][static_cast<size_t> (off - 1)]);
        EXPECT_EQ (output.channels[0][static_cast<size_t> (off)], (0.0f + input.channels[0][static_cast<size_t> (off)]) + input.channels[1][static_cast<size_t> (off)]);

        expectEveryChannelIs (output, renderWithEngine (input, tailSamples, engineSettings (settings), events), "reference");
    }

    // A song that moves everything the mapping reaches, with events at the
    // very start, two on one tick, notes and pitch bend the engine ignores,
    // and one far beyond the end.
    const std::vector<TempoChange> songTempo { { 0, 500000 }, { 700, 375000 }, { 1300, 700000 } };

    std::vector<TickEvent> busySong()
    {
        using M = juce::MidiMessage;
        return { { 0, M::controllerEvent (1, 5, 100) },
                 { 0, M::noteOn (1, 64, 0.8f) },
                 { 37, M::controllerEvent (1, 2, 127) },
                 { 211, M::controllerEvent (2, 6, 90) },
                 { 333, M::controllerEvent (1, 4, 127) },
                 { 334, M::controllerEvent (1, 9, 20) },
                 { 481, M::controllerEvent (1, 3, 0) },
                 { 481, M::controllerEvent (1, 5, 40) },
                 { 500, M::pitchWheel (1, 9000) },
                 { 640, M::controllerEvent (1, 3, 127) },
                 { 641, M::controllerEvent (3, 0, 127) },
                 { 800, M::controllerEvent (1, 8, 127) },
                 { 950, M::controllerEvent (1, 7, 10) },
                 { 1101, M::controllerEvent (1, 4, 0) },
                 { 1250, M::controllerEvent (1, 1, 0) },
                 { 1400, M::controllerEvent (1, 2, 0) },
                 { 1401, M::noteOff (1, 64) },
                 { 200000, M::controllerEvent (1, 3, 0) } };
    }

    struct BlockCase
    {
        bool withMidi;
        std::vector<int> blockSizes;
    };

    void PrintTo (const BlockCase& c, std::ostream* os)
    {
        *os << (c.withMidi ? "with MIDI" : "without MIDI");
    }

    class RenderBlockSize : public RenderFixture,
                            public ::testing::WithParamInterface<BlockCase>
    {
    };

    TEST_P (RenderBlockSize, DoesNotChangeASingleSample)
    {
        const auto input = makeSignal (2, rate * 3 / 4, rate, 0.3f, 31);
        writeInput ("in.wav", input);

        std::vector<std::string> arguments { "in.wav", "", "--tail", "0.8", "--set", "delTme=0.13" };
        std::vector<TimedMidi> events;

        if (GetParam().withMidi)
        {
            events = writeSong (dir.path ("song.mid"), songTempo, busySong());
            arguments.insert (arguments.end(), { "--midi", "song.mid" });
        }

        const auto expected = renderWithEngine (input, std::llround (0.8 * rate), { { 0, 0.13f } }, events);

        for (const auto blockSize : GetParam().blockSizes)
        {
            const auto output = "out" + std::to_string (blockSize) + ".wav";
            arguments[1] = output;
            auto withBlock = arguments;
            withBlock.insert (withBlock.end(), { "--block", std::to_string (blockSize) });

            expectEveryChannelIs (renderOk (withBlock, output), expected, "--block " + std::to_string (blockSize));
        }
    }

    INSTANTIATE_TEST_SUITE_P (
        Table, RenderBlockSize,
        ::testing::Values (BlockCase { false, { 1, 7, 64, 512, 1000, 4096, 65536 } },
                           BlockCase { true, { 1, 7, 64, 512, 1000, 4096, 65536 } }),
        [] (const ::testing::TestParamInfo<BlockCase>& info) { return info.param.withMidi ? "with_midi" : "without_midi"; });

    // The master switch off at tick 240 and on again at tick 480, at the
    // default 120 bpm: samples 11025 and 22050 at 44100 Hz.
    const std::vector<uint8_t> masterOffThenOn { 0x81, 0x70, 0xB0, 0x03, 0x00,
                                                 0x81, 0x70, 0xB0, 0x03, 0x7F,
                                                 0x00, 0xFF, 0x2F, 0x00 };

    std::vector<TimedMidi> masterOffThenOnAtSamples()
    {
        return { { 11025, juce::MidiMessage::controllerEvent (1, 3, 0) },
                 { 22050, juce::MidiMessage::controllerEvent (1, 3, 127) } };
    }

    TEST_F (RenderMidi, MillionsOfControlChangesRenderInAModestAmountOfMemory)
    {
       #if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        GTEST_SKIP() << "the sanitizers reserve far more address space than the limit";
       #endif

        const auto input = makeSignal (1, rate, rate, 0.3f, 41);
        writeInput ("in.wav", input);

        // Four million moves of the master volume on tick 0, three bytes
        // each with running status (12 MB), ending on 64; the switches
        // come from a second track.
        constexpr int moves = 4000000;
        std::vector<uint8_t> burst { 0x00, 0xB0, 0x05, 0x00 };
        burst.reserve (3 * moves + 8);

        for (int i = 1; i < moves; ++i)
            burst.insert (burst.end(), { 0x00, 0x05, static_cast<uint8_t> (i == moves - 1 ? 64 : i % 128) });

        burst.insert (burst.end(), { 0x00, 0xFF, 0x2F, 0x00 });
        rendertest::writeBytes (dir.path ("song.mid"), rendertest::midiFileBytes (1, ticksPerQuarter, { burst, masterOffThenOn }));

        // What the renderer itself needs is a small part of this.
        rendertest::RunLimits limits;
        limits.maximumAddressSpace = int64_t { 192 } << 20;
        const auto result = run ({ "in.wav", "out.wav", "--midi", "song.mid" }, limits);
        ASSERT_EQ (result.exitCode, 0) << result.err;

        auto events = masterOffThenOnAtSamples();
        events.insert (events.begin(), { 0, juce::MidiMessage::controllerEvent (1, 5, 64) });
        expectEveryChannelIs (rendertest::readAudio (dir.path ("out.wav")), renderWithEngine (input, 0, {}, events),
                              "after the burst");
    }

    TEST_F (RenderMidi, AFileWithTheMostTracksAHeaderCanAnnouncePlaysEveryTrack)
    {
        const auto input = makeSignal (1, rate, rate, 0.3f, 43);
        writeInput ("in.wav", input);

        // 65535 tracks; all but the last hold only their End of Track.
        std::vector<std::vector<uint8_t>> tracks (65534, std::vector<uint8_t> { 0x00, 0xFF, 0x2F, 0x00 });
        tracks.push_back (masterOffThenOn);
        rendertest::writeBytes (dir.path ("song.mid"), rendertest::midiFileBytes (1, ticksPerQuarter, tracks));

        const Settings settings { { "mast", "1" } };
        const auto output = renderOk (withSettings ({ "in.wav", "out.wav", "--midi", "song.mid" }, settings), "out.wav");
        expectEveryChannelIs (output, renderWithEngine (input, 0, engineSettings (settings), masterOffThenOnAtSamples()),
                              "the last track");
    }

    TEST_F (RenderMidi, AMidiFileCanComeThroughAPipe)
    {
        // As `velthorn-render in.wav out.wav --midi <(generate-song)` gives it.
        const auto input = makeSignal (1, rate, rate, 0.3f, 47);
        writeInput ("in.wav", input);
        const auto song = rendertest::midiFileBytes (1, ticksPerQuarter, { masterOffThenOn });

        rendertest::RunLimits limits;
        limits.standardInput.assign (song.begin(), song.end());
        const Settings settings { { "mast", "1" } };
        const auto result = run (withSettings ({ "in.wav", "out.wav", "--midi", "/dev/stdin" }, settings), limits);
        ASSERT_EQ (result.exitCode, 0) << result.err;

        expectEveryChannelIs (rendertest::readAudio (dir.path ("out.wav")),
                              renderWithEngine (input, 0, engineSettings (settings), masterOffThenOnAtSamples()),
                              "from the pipe");
    }

    TEST_F (RenderMidi, TheBusySongReallyChangesTheSound)
    {
        // Guards the table above against a song that does nothing.
        const auto input = makeSignal (2, rate * 3 / 4, rate, 0.3f, 31);
        const auto events = writeSong (dir.path ("song.mid"), songTempo, busySong());
        const auto tail = std::llround (0.8 * rate);

        EXPECT_FALSE (rendertest::bitIdentical (renderWithEngine (input, tail, { { 0, 0.13f } }, events),
                                                renderWithEngine (input, tail, { { 0, 0.13f } })));
        EXPECT_GT (events.back().sample, rate * 3 / 4 + tail) << "one event lies beyond the end";
    }
}
