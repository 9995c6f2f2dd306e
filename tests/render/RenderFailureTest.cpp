// Every bad input ends with one line on stderr and a non-zero status, and
// leaves the folder exactly as it was: no output, no temporary file, an
// existing output untouched.

#include "RenderFixture.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
    using rendertest::makeSignal;

    const std::vector<uint8_t> previousTake { 'p', 'r', 'e', 'v', 'i', 'o', 'u', 's' };

    // The folder every failing run starts from.
    class RenderFailure : public RenderFixture
    {
    protected:
        void SetUp() override
        {
            writeInput ("in.wav", makeSignal (2, 8820, 44100.0));
            writeInput ("nine.wav", makeSignal (9, 100, 44100.0));
            writeInput ("slow.wav", makeSignal (1, 100, 500.0));
            rendertest::writeBytes (dir.path ("out.wav"), previousTake);
            rendertest::writeText (dir.path ("notes.txt"), "not audio at all\n");
            rendertest::writeBytes (dir.path ("empty.wav"), {});
            rendertest::writeText (dir.path ("bad.mid"), "MThd but not really");

            // A recording cut short: the header still announces every sample.
            auto cut = rendertest::readBytes (dir.path ("in.wav"));
            cut.resize (cut.size() / 2);
            rendertest::writeBytes (dir.path ("cut.wav"), cut);

            juce::MidiMessageSequence track;
            track.addEvent (juce::MidiMessage::controllerEvent (1, 3, 0), 10.0);
            juce::MidiFile song;
            song.setTicksPerQuarterNote (480);
            song.addTrack (track);
            rendertest::writeMidiFile (dir.path ("song.mid"), song);
            rendertest::writeMidiFile (dir.path ("song-named.wav"), song);

            auto cutSong = rendertest::readBytes (dir.path ("song.mid"));
            cutSong.resize (cutSong.size() - 3);
            rendertest::writeBytes (dir.path ("cut.mid"), cutSong);

            ASSERT_EQ (::mkdir (dir.path ("folder.wav").c_str(), 0755), 0);
            ASSERT_EQ (::symlink ("in.wav", dir.path ("link.wav").c_str()), 0);
            ASSERT_EQ (::link (dir.path ("in.wav").c_str(), dir.path ("hard.wav").c_str()), 0);

            entriesBefore = dir.entries();
            inputBefore = rendertest::readBytes (dir.path ("in.wav"));
        }

        // Runs, then checks the status, the message and the folder.
        void expectFailure (const std::vector<std::string>& arguments, int status, const std::string& text,
                            rendertest::RunLimits limits = {})
        {
            std::vector<std::string> expanded;

            for (auto argument : arguments)
            {
                if (const auto at = argument.find ("{dir}"); at != std::string::npos)
                    argument.replace (at, 5, dir.root());

                expanded.push_back (argument);
            }

            const auto result = run (expanded, limits);
            const auto shown = ::testing::PrintToString (expanded);

            EXPECT_EQ (result.signal, 0) << shown;
            EXPECT_EQ (result.exitCode, status) << shown << "\n" << result.err;
            EXPECT_EQ (result.err.rfind ("velthorn-render: ", 0), 0u) << shown << "\n" << result.err;
            EXPECT_NE (result.err.find (text), std::string::npos) << shown << "\n" << result.err;
            EXPECT_EQ (std::count (result.err.begin(), result.err.end(), '\n'), 1) << "one line: " << result.err;
            EXPECT_EQ (result.out, "");

            EXPECT_EQ (dir.entries(), entriesBefore) << shown << ": the folder changed";
            EXPECT_EQ (rendertest::readBytes (dir.path ("out.wav")), previousTake) << shown;
            EXPECT_EQ (rendertest::readBytes (dir.path ("in.wav")), inputBefore) << shown;
        }

        std::vector<std::string> entriesBefore;
        std::vector<uint8_t> inputBefore;
    };

    struct FailureCase
    {
        std::string label;
        std::vector<std::string> arguments;
        int status;
        std::string text;
    };

    void PrintTo (const FailureCase& c, std::ostream* os)
    {
        *os << c.label;
    }

    class RenderFailureTable : public RenderFailure,
                               public ::testing::WithParamInterface<FailureCase>
    {
    };

    TEST_P (RenderFailureTable, SaysWhyAndLeavesEverythingAsItWas)
    {
        expectFailure (GetParam().arguments, GetParam().status, GetParam().text);
    }

    INSTANTIATE_TEST_SUITE_P (
        CommandLine, RenderFailureTable,
        ::testing::Values (
            FailureCase { "no_arguments", {}, 2, "missing INPUT and OUTPUT" },
            FailureCase { "no_output", { "in.wav" }, 2, "missing OUTPUT" },
            FailureCase { "unknown_option", { "in.wav", "out.wav", "--gain", "2" }, 2, "unknown option '--gain'" },
            FailureCase { "unknown_parameter", { "in.wav", "out.wav", "--set", "reverb=1" }, 2, "unknown parameter 'reverb'" },
            FailureCase { "value_out_of_range", { "in.wav", "out.wav", "--set", "ampDrv=1.2" }, 2, "ampDrv takes a value from 0 to 1" },
            FailureCase { "switch_not_0_or_1", { "in.wav", "out.wav", "--set", "distOn=0.5" }, 2, "distOn takes 0 or 1" },
            FailureCase { "not_a_number", { "in.wav", "out.wav", "--set", "mast=half" }, 2, "mast takes" },
            FailureCase { "zero_block", { "in.wav", "out.wav", "--block", "0" }, 2, "--block takes" },
            FailureCase { "huge_block", { "in.wav", "out.wav", "--block", "1000000" }, 2, "--block takes" },
            FailureCase { "bad_tail", { "in.wav", "out.wav", "--tail", "-2" }, 2, "--tail takes" },
            FailureCase { "flac_float", { "in.wav", "new.flac", "--bits", "32" }, 2, "FLAC output takes --bits 16 or 24" },
            FailureCase { "unknown_format", { "in.wav", "out.mp3" }, 2, "cannot tell the output format" }),
        [] (const ::testing::TestParamInfo<FailureCase>& info) { return info.param.label; });

    INSTANTIATE_TEST_SUITE_P (
        Files, RenderFailureTable,
        ::testing::Values (
            FailureCase { "missing_input", { "nothing.wav", "new.wav" }, 1, "cannot open input 'nothing.wav': No such file or directory" },
            FailureCase { "input_is_a_folder", { "folder.wav", "new.wav" }, 1, "input 'folder.wav' is a directory" },
            FailureCase { "input_is_text", { "notes.txt", "new.wav" }, 1, "is not a WAV, AIFF, FLAC or Ogg Vorbis file" },
            FailureCase { "input_is_empty", { "empty.wav", "new.wav" }, 1, "is not a WAV, AIFF, FLAC or Ogg Vorbis file" },
            FailureCase { "input_cut_short", { "cut.wav", "new.wav" }, 1, "is damaged" },
            FailureCase { "input_rate_too_low", { "slow.wav", "new.wav" }, 1, "sample rate of 500 Hz" },
            FailureCase { "midi_missing", { "in.wav", "out.wav", "--midi", "none.mid" }, 1, "MIDI file 'none.mid' does not exist" },
            FailureCase { "midi_garbage", { "in.wav", "out.wav", "--midi", "bad.mid" }, 1, "not a readable Standard MIDI File" },
            FailureCase { "midi_cut_short", { "in.wav", "out.wav", "--midi", "cut.mid" }, 1, "not a readable Standard MIDI File" },
            FailureCase { "midi_is_a_folder", { "in.wav", "out.wav", "--midi", "folder.wav" }, 1, "is a directory" },
            FailureCase { "output_is_input", { "in.wav", "in.wav" }, 1, "output 'in.wav' is the input file" },
            FailureCase { "output_is_input_absolute", { "in.wav", "{dir}/in.wav" }, 1, "is the input file" },
            FailureCase { "output_is_input_dotdot", { "{dir}/in.wav", "folder.wav/../in.wav" }, 1, "is the input file" },
            FailureCase { "output_is_input_symlink", { "in.wav", "link.wav" }, 1, "is the input file" },
            FailureCase { "input_is_symlink_to_output", { "link.wav", "in.wav" }, 1, "is the input file" },
            FailureCase { "output_is_input_hard_link", { "in.wav", "hard.wav" }, 1, "is the input file" },
            FailureCase { "output_is_midi", { "in.wav", "song-named.wav", "--midi", "song-named.wav" }, 1, "is the MIDI file" },
            FailureCase { "output_is_a_folder", { "in.wav", "folder.wav" }, 1, "output 'folder.wav' is a directory" },
            FailureCase { "output_under_a_file", { "in.wav", "notes.txt/new.wav" }, 1, "Not a directory" },
            FailureCase { "output_folder_missing", { "in.wav", "missing/new.wav" }, 1, "No such file or directory" },
            FailureCase { "output_where_nothing_can_be_created", { "in.wav", "/proc/velthorn-render-test.wav" }, 1, "cannot write output" },
            FailureCase { "flac_cannot_hold_nine_channels", { "nine.wav", "new.flac" }, 1, "cannot hold 9 channel" }),
        [] (const ::testing::TestParamInfo<FailureCase>& info) { return info.param.label; });

    TEST_F (RenderFailure, AFullDiskLeavesTheOldFileAndNoTemporaryOne)
    {
        // A file size limit makes writes fail with EFBIG partway through, as
        // a full disk fails them with ENOSPC.
        expectFailure ({ "in.wav", "out.wav", "--tail", "1" }, 1, "File too large", { 16384 });
    }

    // A file the user may not write to is kept, as a shell redirect would
    // keep it: by its own name, through a symbolic link, or by its full path.
    class RenderWriteProtected : public RenderFailure,
                                 public ::testing::WithParamInterface<std::string>
    {
    };

    mode_t modeOf (const std::string& path)
    {
        struct stat info {};
        ::stat (path.c_str(), &info);
        return info.st_mode & 07777;
    }

    TEST_P (RenderWriteProtected, RefusesToReplaceItAndKeepsIt)
    {
        ASSERT_EQ (::symlink ("out.wav", dir.path ("out-link.wav").c_str()), 0);
        ASSERT_EQ (::chmod (dir.path ("out.wav").c_str(), 0444), 0);
        entriesBefore = dir.entries();

        rendertest::RunLimits limits;
        limits.honourFilePermissions = true;
        expectFailure ({ "in.wav", GetParam() }, 1, "is write-protected", limits);
        EXPECT_EQ (modeOf (dir.path ("out.wav")), 0444u);
    }

    INSTANTIATE_TEST_SUITE_P (Names, RenderWriteProtected,
                              ::testing::Values ("out.wav", "out-link.wav", "{dir}/out.wav"),
                              [] (const ::testing::TestParamInfo<std::string>& info)
                              {
                                  return info.index == 0 ? "own_name" : info.index == 1 ? "through_a_link" : "full_path";
                              });

    TEST_F (RenderFailure, RootIsRefusedAWriteProtectedOutputToo)
    {
        // Root could write into the file, and the rename needs only the
        // folder: it was replaced. A file nobody may write to is kept for
        // root as well; root can make it writable first if it means to.
        if (::geteuid() != 0)
            GTEST_SKIP() << "run as root to see root's case";

        ASSERT_EQ (::chmod (dir.path ("out.wav").c_str(), 0444), 0);
        entriesBefore = dir.entries();

        expectFailure ({ "in.wav", "out.wav" }, 1, "cannot replace output 'out.wav': it is write-protected");
        EXPECT_EQ (modeOf (dir.path ("out.wav")), 0444u);
    }

    TEST_F (RenderFailure, AWritableOutputIsReplacedUnderTheSameRestrictions)
    {
        // Guards the cases above: only the permission bits make them fail.
        const auto modeBefore = modeOf (dir.path ("out.wav"));
        rendertest::RunLimits limits;
        limits.honourFilePermissions = true;
        const auto result = run ({ "in.wav", "out.wav" }, limits);

        ASSERT_EQ (result.exitCode, 0) << result.err;
        EXPECT_EQ (rendertest::readAudio (dir.path ("out.wav")).numSamples(), 8820);
        EXPECT_EQ (modeOf (dir.path ("out.wav")), modeBefore) << "a replaced file keeps its mode";
    }

    TEST_F (RenderFailure, AnInputFromAPipeIsRefusedAsNotARegularFile)
    {
        // `cat take.wav | velthorn-render /dev/stdin out.wav`: the audio
        // readers need to move around in the file, which a pipe cannot.
        const auto small = dir.path ("small.wav");
        rendertest::writeAudio (small, makeSignal (1, 100, 44100.0));
        const auto bytes = rendertest::readBytes (small);
        ::unlink (small.c_str());

        rendertest::RunLimits limits;
        limits.standardInput.assign (bytes.begin(), bytes.end());
        expectFailure ({ "/dev/stdin", "out.wav" }, 1, "input '/dev/stdin' is not a regular file (it is a pipe)", limits);
    }

    TEST_F (RenderFailure, ANamedPipeAsInputIsRefusedWithoutWaitingForAWriter)
    {
        ASSERT_EQ (::mkfifo (dir.path ("pipe.wav").c_str(), 0644), 0);
        entriesBefore = dir.entries();

        expectFailure ({ "pipe.wav", "new.wav" }, 1, "input 'pipe.wav' is not a regular file (it is a pipe)");
    }

    TEST_F (RenderFailure, TheSameRunSucceedsWithoutTheFault)
    {
        // Guards the table: in.wav and the folder really do render.
        const auto result = run ({ "in.wav", "out.wav" });
        ASSERT_EQ (result.exitCode, 0) << result.err;
        EXPECT_EQ (rendertest::readAudio (dir.path ("out.wav")).numSamples(), 8820);

        const auto withMidi = run ({ "in.wav", "new.wav", "--midi", "song.mid" });
        EXPECT_EQ (withMidi.exitCode, 0) << withMidi.err;
        EXPECT_EQ (rendertest::readAudio (dir.path ("nine.wav")).numChannels(), 9);
    }

    class RenderInterrupted : public RenderFailure,
                              public ::testing::WithParamInterface<int>
    {
    };

    TEST_P (RenderInterrupted, RemovesItsTemporaryFileAndDiesOfTheSignal)
    {
        // An hour of tail one sample per callback: far longer than the test.
        rendertest::RunningRenderer renderer ({ "in.wav", "out.wav", "--tail", "3600", "--block", "1", "--progress" },
                                              dir.root());

        // The bar is first drawn once the temporary file exists.
        ASSERT_TRUE (renderer.waitForStderr ("%"));

        int temporaryFiles = 0;

        for (const auto& name : dir.entries())
            temporaryFiles += name.find (".out.wav.") == 0 ? 1 : 0;

        EXPECT_EQ (temporaryFiles, 1) << "the render was under way";

        renderer.sendSignal (GetParam());
        const auto result = renderer.wait();

        EXPECT_EQ (result.signal, GetParam());
        EXPECT_NE (result.err.find ("interrupted"), std::string::npos) << result.err;
        EXPECT_EQ (dir.entries(), entriesBefore);
        EXPECT_EQ (rendertest::readBytes (dir.path ("out.wav")), previousTake);
    }

    std::string signalName (int signalNumber)
    {
        const auto* const name = ::sigabbrev_np (signalNumber);
        return name != nullptr ? std::string ("SIG") + name : "signal" + std::to_string (signalNumber);
    }

    // Every signal whose default action ends the process, as another
    // program or a shell might send it.
    INSTANTIATE_TEST_SUITE_P (Signals, RenderInterrupted,
                              ::testing::Values (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGPIPE,
                                                 SIGXCPU, SIGVTALRM, SIGPROF, SIGPOLL, SIGPWR, SIGSYS, SIGTRAP, SIGABRT,
                                                 SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGSTKFLT, SIGRTMIN, SIGRTMAX),
                              [] (const ::testing::TestParamInfo<int>& info) { return signalName (info.param); });

    // Two signals sent back to back: the second arrives while the first is
    // still cleaning up. Repeated, since where it lands varies.
    class RenderInterruptedTwice : public RenderFailure,
                                   public ::testing::WithParamInterface<std::pair<int, int>>
    {
    };

    TEST_P (RenderInterruptedTwice, StillRemovesItsTemporaryFile)
    {
        const auto [first, second] = GetParam();

        for (int attempt = 0; attempt < 10; ++attempt)
        {
            rendertest::RunningRenderer renderer ({ "in.wav", "out.wav", "--tail", "3600", "--block", "1", "--progress" },
                                                  dir.root());
            ASSERT_TRUE (renderer.waitForStderr ("%"));

            renderer.sendSignal (first);
            renderer.sendSignal (second);
            const auto result = renderer.wait();

            EXPECT_TRUE (result.signal == first || result.signal == second) << "attempt " << attempt << ": " << result.signal;
            ASSERT_EQ (dir.entries(), entriesBefore) << "attempt " << attempt;
            EXPECT_EQ (rendertest::readBytes (dir.path ("out.wav")), previousTake);
        }
    }

    INSTANTIATE_TEST_SUITE_P (Pairs, RenderInterruptedTwice,
                              ::testing::Values (std::pair (SIGTERM, SIGTERM), std::pair (SIGINT, SIGTERM),
                                                 std::pair (SIGTERM, SIGQUIT), std::pair (SIGHUP, SIGUSR1)),
                              [] (const ::testing::TestParamInfo<std::pair<int, int>>& info)
                              { return signalName (info.param.first) + "_then_" + signalName (info.param.second); });

    // The hidden temporary files of `out.wav` in the folder.
    std::vector<std::string> temporaryFilesOfOut (const std::vector<std::string>& entries)
    {
        std::vector<std::string> found;

        for (const auto& name : entries)
            if (name.rfind (".out.wav.", 0) == 0)
                found.push_back (name);

        return found;
    }

    TEST_F (RenderFailure, ALaterRenderRemovesWhatAKilledOneLeftOfTheSameOutput)
    {
        // SIGKILL cannot be caught: the killed render leaves its temporary file.
        {
            rendertest::RunningRenderer killed ({ "in.wav", "out.wav", "--tail", "3600", "--block", "1", "--progress" },
                                                dir.root());
            ASSERT_TRUE (killed.waitForStderr ("%"));
            killed.sendSignal (SIGKILL);
            EXPECT_EQ (killed.wait().signal, SIGKILL);
        }

        ASSERT_EQ (temporaryFilesOfOut (dir.entries()).size(), 1u) << "the killed render left nothing to clean up";

        // Another output's leftover is not this render's business.
        rendertest::writeBytes (dir.path (".other.wav.1.abcdef.part"), previousTake);

        const auto result = run ({ "in.wav", "out.wav" });
        ASSERT_EQ (result.exitCode, 0) << result.err;
        EXPECT_EQ (rendertest::readAudio (dir.path ("out.wav")).numSamples(), 8820);

        auto expected = entriesBefore;
        expected.push_back (".other.wav.1.abcdef.part");
        std::sort (expected.begin(), expected.end());
        EXPECT_EQ (dir.entries(), expected) << "the leftover of out.wav is still there, or something else went";
    }

    TEST_F (RenderFailure, ARenderLeavesTheTemporaryFileOfOneStillRunning)
    {
        // Two renders of the same output at once: the first one's file is in use.
        rendertest::RunningRenderer running ({ "in.wav", "out.wav", "--tail", "3600", "--block", "1", "--progress" },
                                             dir.root());
        ASSERT_TRUE (running.waitForStderr ("%"));
        const auto inUse = temporaryFilesOfOut (dir.entries());
        ASSERT_EQ (inUse.size(), 1u);

        const auto result = run ({ "in.wav", "out.wav" });
        ASSERT_EQ (result.exitCode, 0) << result.err;
        EXPECT_EQ (temporaryFilesOfOut (dir.entries()), inUse) << "the running render's file was removed";

        running.sendSignal (SIGTERM);
        EXPECT_EQ (running.wait().signal, SIGTERM);
        EXPECT_EQ (temporaryFilesOfOut (dir.entries()), std::vector<std::string> {});
    }

    TEST_F (RenderFailure, TheFileSizeLimitIsAnErrorNotASignal)
    {
        // As `ulimit -f` leaves it: the limit signal at its default action,
        // which would end the process with the temporary file in place.
        rendertest::RunLimits limits;
        limits.maximumFileSize = 16384;
        limits.ignoreFileSizeSignal = false;
        expectFailure ({ "in.wav", "out.wav", "--tail", "1" }, 1, "file size limit", limits);
    }

    TEST_F (RenderFailure, AnOutputNameOfTheLongestLegalLengthRenders)
    {
        const auto name = std::string (251, 'n') + ".wav";
        const auto result = run ({ "in.wav", name });

        ASSERT_EQ (result.exitCode, 0) << result.err;
        EXPECT_EQ (rendertest::readAudio (dir.path (name)).numSamples(), 8820);
    }

    // What stderr shows on success: a bar when asked for, a clipping
    // warning unless --quiet, nothing else.
    struct StderrCase
    {
        std::string label;
        std::vector<std::string> arguments;
        bool showsProgress;
        bool warnsOfClipping;
    };

    void PrintTo (const StderrCase& c, std::ostream* os)
    {
        *os << c.label;
    }

    class RenderStderr : public RenderFixture,
                         public ::testing::WithParamInterface<StderrCase>
    {
    };

    TEST_P (RenderStderr, ShowsWhatWasAskedFor)
    {
        writeInput ("in.wav", makeSignal (1, 48000, 48000.0, 0.3f));

        auto arguments = std::vector<std::string> { "in.wav" };
        arguments.insert (arguments.end(), GetParam().arguments.begin(), GetParam().arguments.end());
        const auto result = run (arguments);

        ASSERT_EQ (result.exitCode, 0) << result.err;
        EXPECT_EQ (result.err.find ("100%") != std::string::npos, GetParam().showsProgress) << result.err;
        EXPECT_EQ (result.err.find ("real time") != std::string::npos, GetParam().showsProgress) << result.err;
        EXPECT_EQ (result.err.find ("clipped") != std::string::npos, GetParam().warnsOfClipping) << result.err;

        if (! GetParam().showsProgress && ! GetParam().warnsOfClipping)
            EXPECT_EQ (result.err, "");
    }

    INSTANTIATE_TEST_SUITE_P (
        Table, RenderStderr,
        ::testing::Values (
            StderrCase { "plain_not_a_terminal", { "out.wav" }, false, false },
            StderrCase { "forced_progress", { "out.wav", "--progress" }, true, false },
            StderrCase { "quiet", { "out.wav", "--quiet" }, false, false },
            StderrCase { "float_keeps_loud_samples", { "out.wav", "--set", "mast=1" }, false, false },
            StderrCase { "integer_clips_loud_samples", { "out.wav", "--set", "mast=1", "--bits", "16" }, false, true },
            StderrCase { "quiet_hides_the_warning", { "out.flac", "--set", "mast=1", "--quiet" }, false, false },
            StderrCase { "progress_and_warning", { "out.aiff", "--set", "mast=1", "--progress" }, true, true }),
        [] (const ::testing::TestParamInfo<StderrCase>& info) { return info.param.label; });

    TEST_F (RenderFixture, HelpPrintsUsageAndTouchesNothing)
    {
        const auto result = run ({ "--help" });

        EXPECT_EQ (result.exitCode, 0);
        EXPECT_EQ (result.out.rfind ("usage: velthorn-render INPUT OUTPUT", 0), 0u) << result.out;
        EXPECT_NE (result.out.find ("mastOn"), std::string::npos);
        EXPECT_EQ (result.err, "");
        EXPECT_TRUE (dir.entries().empty());
    }
}
