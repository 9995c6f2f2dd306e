// velthorn-render.exe under wine against the Linux velthorn-render built from
// the same sources, on the same files: uncompressed output byte for byte the
// same, FLAC decoding to the same samples, Ogg Vorbis the same within what
// the codec itself changes.

#include "RenderFixture.h"
#include "WineProgram.h"

#include <cmath>

namespace
{
    using rendertest::makeSignal;

    // Both programs on the same input, each writing its own output in the
    // same folder.
    class WindowsRender : public RenderFixture
    {
    protected:
        struct Both
        {
            std::string linuxOutput, windowsOutput;
        };

        // `options` follow INPUT OUTPUT; the outputs are named after the
        // program with `extension`.
        Both renderBoth (const std::string& input, const std::string& extension, const std::vector<std::string>& options)
        {
            Both both { "linux" + extension, "windows" + extension };

            auto linuxArguments = std::vector<std::string> { input, both.linuxOutput };
            linuxArguments.insert (linuxArguments.end(), options.begin(), options.end());
            auto windowsArguments = std::vector<std::string> { input, both.windowsOutput };
            windowsArguments.insert (windowsArguments.end(), options.begin(), options.end());

            const auto onLinux = run (linuxArguments);
            const auto onWindows = wintest::runWindowsRenderer (windowsArguments, dir.root());

            EXPECT_EQ (onLinux.exitCode, 0) << onLinux.err;
            EXPECT_EQ (onWindows.exitCode, 0) << onWindows.err;
            EXPECT_EQ (onWindows.signal, 0);
            return both;
        }

        void expectSameBytes (const Both& both, const std::string& label)
        {
            const auto linuxBytes = rendertest::readBytes (dir.path (both.linuxOutput));
            const auto windowsBytes = rendertest::readBytes (dir.path (both.windowsOutput));

            ASSERT_GT (linuxBytes.size(), 44u) << label;
            ASSERT_EQ (windowsBytes.size(), linuxBytes.size()) << label;

            const auto mismatch = std::mismatch (linuxBytes.begin(), linuxBytes.end(), windowsBytes.begin());
            EXPECT_TRUE (mismatch.first == linuxBytes.end())
                << label << ": first differing byte at offset " << (mismatch.first - linuxBytes.begin());
        }

        void expectSameSamples (const Both& both, const std::string& label)
        {
            const auto linuxAudio = rendertest::readAudio (dir.path (both.linuxOutput));
            const auto windowsAudio = rendertest::readAudio (dir.path (both.windowsOutput));

            ASSERT_EQ (windowsAudio.sampleRate, linuxAudio.sampleRate) << label;
            ASSERT_EQ (windowsAudio.numChannels(), linuxAudio.numChannels()) << label;
            ASSERT_GT (linuxAudio.numSamples(), 0) << label;

            for (size_t channel = 0; channel < linuxAudio.channels.size(); ++channel)
                EXPECT_EQ (rendertest::firstDifference (windowsAudio.channels[channel], linuxAudio.channels[channel]), -1)
                    << label << ", channel " << channel << ": first difference at that sample";
        }
    };

    TEST_F (WindowsRender, HelpAndVersionSayWhatLinuxSays)
    {
        for (const auto* const option : { "--help", "--version" })
        {
            const auto onLinux = run ({ option });
            const auto onWindows = wintest::runWindowsRenderer ({ option }, dir.root());

            EXPECT_EQ (onWindows.exitCode, 0) << option;
            ASSERT_FALSE (onLinux.out.empty()) << option;

            // Text on Windows ends its lines with CR LF.
            auto expected = onLinux.out;

            for (size_t at = 0; (at = expected.find ('\n', at)) != std::string::npos; at += 2)
                expected.insert (at, 1, '\r');

            EXPECT_EQ (onWindows.out, expected) << option;
            EXPECT_EQ (onWindows.err, "") << option;
        }
    }

    struct MatchCase
    {
        std::string label;
        int numChannels;
        double sampleRate;
        int64_t numSamples;
        std::vector<std::string> options;
        std::string extension = ".wav";
    };

    void PrintTo (const MatchCase& c, std::ostream* os)
    {
        *os << c.label;
    }

    class WindowsRenderIsBitIdentical : public WindowsRender,
                                        public ::testing::WithParamInterface<MatchCase>
    {
    };

    TEST_P (WindowsRenderIsBitIdentical, ByteForByte)
    {
        const auto& c = GetParam();
        writeInput ("in.wav", makeSignal (c.numChannels, c.numSamples, c.sampleRate, 0.3f, 11));
        expectSameBytes (renderBoth ("in.wav", c.extension, c.options), c.label);
    }

    const std::vector<std::string> everySlot { "--set", "wahOn=1", "--set", "distOn=1", "--set", "delOn=1",
                                               "--set", "delTme=0.07", "--set", "delAm=0.6", "--set", "wahFreq=0.35",
                                               "--set", "distGain=0.8", "--set", "ampDrv=0.4", "--tail", "0.3" };

    INSTANTIATE_TEST_SUITE_P (
        Settings, WindowsRenderIsBitIdentical,
        ::testing::Values (
            MatchCase { "defaults_stereo", 2, 48000.0, 24000, {} },
            MatchCase { "defaults_mono", 1, 44100.0, 22050, {} },
            MatchCase { "every_slot_with_tail", 2, 44100.0, 22050, everySlot },
            MatchCase { "distortion_flat_out", 1, 48000.0, 24000,
                        { "--set", "distOn=1", "--set", "distGain=1", "--set", "distFreq=0.15" } },
            MatchCase { "resonant_wah", 2, 44100.0, 22050,
                        { "--set", "wahOn=1", "--set", "wahRes=0.05", "--set", "wahGain=0.95", "--set", "wahFreq=0.8" } },
            MatchCase { "long_echo_ringing_out", 1, 44100.0, 8000,
                        { "--set", "delOn=1", "--set", "delTme=0.9", "--set", "delAm=0.95", "--tail", "1.5" } },
            MatchCase { "tone_stack_at_its_ends", 2, 48000.0, 24000,
                        { "--set", "ampLo=0", "--set", "ampMid=1", "--set", "ampHi=0.1", "--set", "ampDrv=1" } },
            MatchCase { "amp_off_master_bypassed", 2, 48000.0, 12000, { "--set", "ampOn=0", "--set", "mastOn=0" } },
            MatchCase { "quiet_master", 1, 48000.0, 12000, { "--set", "mast=0.05" } },
            MatchCase { "clipped_to_16_bits", 2, 44100.0, 22050, { "--set", "mast=1", "--set", "distOn=1", "--bits", "16" } },
            MatchCase { "24_bits", 2, 44100.0, 22050, { "--set", "wahOn=1", "--bits", "24" } },
            MatchCase { "three_channels_at_96k", 3, 96000.0, 24000, everySlot },
            MatchCase { "low_rate", 1, 8000.0, 4000, everySlot },
            MatchCase { "aiff_24_bits", 2, 44100.0, 22050, everySlot, ".aiff" },
            MatchCase { "aiff_16_bits", 1, 48000.0, 12000, { "--set", "distOn=1", "--bits", "16" }, ".aif" }),
        [] (const ::testing::TestParamInfo<MatchCase>& info) { return info.param.label; });

    INSTANTIATE_TEST_SUITE_P (
        BlockSizes, WindowsRenderIsBitIdentical,
        ::testing::Values (
            MatchCase { "block_1", 2, 44100.0, 11025, { "--block", "1", "--set", "wahOn=1", "--set", "delOn=1" } },
            MatchCase { "block_7", 2, 44100.0, 11025, { "--block", "7", "--set", "wahOn=1", "--set", "delOn=1" } },
            MatchCase { "block_64", 2, 44100.0, 11025, { "--block", "64", "--set", "wahOn=1", "--set", "delOn=1" } },
            MatchCase { "block_1000", 2, 44100.0, 11025, { "--block", "1000", "--set", "wahOn=1", "--set", "delOn=1" } },
            MatchCase { "block_65536", 2, 44100.0, 11025, { "--block", "65536", "--set", "wahOn=1", "--set", "delOn=1" } }),
        [] (const ::testing::TestParamInfo<MatchCase>& info) { return info.param.label; });

    // A song that moves every control the MIDI mapping reaches, sweeping
    // the wah pedal, the distortion's gain and the master volume in small
    // steps so the filters are redesigned hundreds of times, under a tempo
    // map that changes twice.
    void writeBusySong (const std::string& path)
    {
        using M = juce::MidiMessage;
        juce::MidiMessageSequence sweeps, switches;

        for (int step = 0; step < 128; ++step)
        {
            const auto tick = 10.0 * step;
            sweeps.addEvent (M::controllerEvent (1, 9, step), tick);
            sweeps.addEvent (M::controllerEvent (1, 8, 127 - step), tick + 3.0);
            sweeps.addEvent (M::controllerEvent (1, 5, 40 + step / 2), tick + 5.0);
            sweeps.addEvent (M::controllerEvent (2, 7, (step * 37) % 128), tick + 7.0);
        }

        for (int toggle = 0; toggle < 12; ++toggle)
        {
            const auto tick = 97.0 * toggle + 1.0;
            switches.addEvent (M::controllerEvent (1, toggle % 5, toggle % 2 == 0 ? 127 : 0), tick);
            switches.addEvent (M::controllerEvent (1, 6, (toggle * 29) % 128), tick + 1.0);
        }

        // Everything on towards the end, so the tail rings.
        for (int controller = 0; controller < 5; ++controller)
            switches.addEvent (M::controllerEvent (1, controller, 127), 1200.0);

        juce::MidiFile song;
        song.setTicksPerQuarterNote (480);
        song.addTrack (rendertest::tempoTrack ({ { 0, 500000 }, { 300, 350000 }, { 900, 650000 } }));
        song.addTrack (sweeps);
        song.addTrack (switches);
        rendertest::writeMidiFile (path, song);
    }

    class WindowsRenderWithMidi : public WindowsRender,
                                  public ::testing::WithParamInterface<int>
    {
    };

    TEST_P (WindowsRenderWithMidi, IsBitIdenticalAtEveryBlockSize)
    {
        writeInput ("in.wav", makeSignal (2, 66150, 44100.0, 0.3f, 5));
        writeBusySong (dir.path ("song.mid"));

        const auto block = std::to_string (GetParam());
        expectSameBytes (renderBoth ("in.wav", ".wav", { "--midi", "song.mid", "--block", block, "--tail", "0.5" }),
                         "--block " + block);
    }

    INSTANTIATE_TEST_SUITE_P (Blocks, WindowsRenderWithMidi, ::testing::Values (1, 13, 512, 4096),
                              [] (const ::testing::TestParamInfo<int>& info) { return "block_" + std::to_string (info.param); });

    TEST_F (WindowsRender, TheBusySongChangesTheSound)
    {
        // Guards the MIDI cases against a song that does nothing.
        writeInput ("in.wav", makeSignal (2, 66150, 44100.0, 0.3f, 5));
        writeBusySong (dir.path ("song.mid"));

        ASSERT_EQ (run ({ "in.wav", "with.wav", "--midi", "song.mid", "--tail", "0.5" }).exitCode, 0);
        ASSERT_EQ (run ({ "in.wav", "without.wav", "--tail", "0.5" }).exitCode, 0);
        EXPECT_NE (rendertest::readBytes (dir.path ("with.wav")), rendertest::readBytes (dir.path ("without.wav")));
    }

    // FLAC: the encoders differ in what they write besides the audio (the
    // library's own version string), not in the samples.
    class WindowsRenderFlac : public WindowsRender,
                              public ::testing::WithParamInterface<std::string>
    {
    };

    TEST_P (WindowsRenderFlac, DecodesToTheSameSamples)
    {
        writeInput ("in.wav", makeSignal (2, 44100, 44100.0, 0.3f, 17));
        auto options = everySlot;
        options.insert (options.end(), { "--bits", GetParam() });
        expectSameSamples (renderBoth ("in.wav", ".flac", options), GetParam() + " bits");
    }

    INSTANTIATE_TEST_SUITE_P (Bits, WindowsRenderFlac, ::testing::Values ("16", "24"),
                              [] (const ::testing::TestParamInfo<std::string>& info) { return "bits_" + info.param; });

    TEST_F (WindowsRender, FlacInputRendersTheSame)
    {
        // Read through the framework's bundled libFLAC and checked for
        // damage with it, on Windows.
        writeInput ("in.flac", makeSignal (2, 44100, 44100.0, 0.3f, 19), 24);
        expectSameBytes (renderBoth ("in.flac", ".wav", everySlot), "FLAC input");
    }

    // Root mean square of a - b over every channel.
    double rmsDifference (const rendertest::AudioData& a, const rendertest::AudioData& b)
    {
        double sum = 0.0;
        int64_t count = 0;

        for (size_t channel = 0; channel < a.channels.size(); ++channel)
        {
            for (size_t i = 0; i < a.channels[channel].size(); ++i)
            {
                const auto difference = static_cast<double> (a.channels[channel][i]) - b.channels[channel][i];
                sum += difference * difference;
                ++count;
            }
        }

        return count > 0 ? std::sqrt (sum / static_cast<double> (count)) : 0.0;
    }

    TEST_F (WindowsRender, OggOutputDiffersFromLinuxsByLessThanTheCodecsOwnError)
    {
        // Quiet enough to stay within full scale, which is all a lossy
        // codec is made for.
        writeInput ("in.wav", makeSignal (2, 88200, 44100.0, 0.05f, 23));
        const std::vector<std::string> options { "--set", "wahOn=1", "--set", "delOn=1", "--set", "delAm=0.5", "--tail", "0.3" };
        const auto both = renderBoth ("in.wav", ".ogg", options);
        auto exactArguments = std::vector<std::string> { "in.wav", "exact.wav" };
        exactArguments.insert (exactArguments.end(), options.begin(), options.end());
        ASSERT_EQ (run (exactArguments).exitCode, 0);

        const auto exact = rendertest::readAudio (dir.path ("exact.wav"));
        const auto linuxOgg = rendertest::readAudio (dir.path (both.linuxOutput));
        const auto windowsOgg = rendertest::readAudio (dir.path (both.windowsOutput));

        ASSERT_EQ (linuxOgg.numChannels(), exact.numChannels());
        ASSERT_EQ (windowsOgg.numChannels(), exact.numChannels());
        ASSERT_EQ (linuxOgg.numSamples(), exact.numSamples());
        ASSERT_EQ (windowsOgg.numSamples(), exact.numSamples());

        const auto codecError = rmsDifference (linuxOgg, exact);
        const auto windowsError = rmsDifference (windowsOgg, exact);
        const auto betweenThem = rmsDifference (windowsOgg, linuxOgg);

        EXPECT_GT (codecError, 0.0) << "a lossy codec changed nothing";
        EXPECT_LE (betweenThem, codecError);
        EXPECT_LE (windowsError, 1.1 * codecError) << "Linux " << codecError << ", Windows " << windowsError;
    }

    TEST_F (WindowsRender, OggInputRendersWithinTheCodecsOwnError)
    {
        const auto source = makeSignal (2, 44100, 44100.0, 0.3f, 29);
        writeInput ("source.wav", source);
        writeInput ("in.ogg", source);

        const auto both = renderBoth ("in.ogg", ".wav", {});
        ASSERT_EQ (run ({ "source.wav", "exact.wav" }).exitCode, 0);

        const auto exact = rendertest::readAudio (dir.path ("exact.wav"));
        const auto onLinux = rendertest::readAudio (dir.path (both.linuxOutput));
        const auto onWindows = rendertest::readAudio (dir.path (both.windowsOutput));

        ASSERT_EQ (onLinux.numSamples(), exact.numSamples());
        ASSERT_EQ (onWindows.numSamples(), exact.numSamples());
        EXPECT_LE (rmsDifference (onWindows, onLinux), rmsDifference (onLinux, exact));
    }
}
