// velthorn-render.exe under wine refuses what the Linux velthorn-render
// refuses, with the same message and status, and leaves the folder as it
// was: no output, no temporary file, an existing output untouched. Where it
// succeeds it replaces an existing output whole, takes backslashes, drives
// and names beyond ASCII, and a console Ctrl+C leaves nothing behind.

#include "RenderFixture.h"
#include "WineProgram.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
    using rendertest::makeSignal;

    const std::vector<uint8_t> previousTake { 'p', 'r', 'e', 'v', 'i', 'o', 'u', 's' };

    // Windows writes text with CRLF line ends; the words are what counts.
    std::string withoutCarriageReturns (std::string text)
    {
        for (size_t at; (at = text.find ("\r\n")) != std::string::npos;)
            text.erase (at, 1);

        return text;
    }

    std::string backslashed (std::string path)
    {
        std::replace (path.begin(), path.end(), '/', '\\');
        return path;
    }

    // Names of the entries of a folder, hidden ones included, sorted.
    std::vector<std::string> entriesOf (const std::string& folder)
    {
        std::vector<std::string> names;

        for (const auto& entry : std::filesystem::directory_iterator (folder))
            names.push_back (entry.path().filename().string());

        std::sort (names.begin(), names.end());
        return names;
    }

    // The folder every run starts from.
    class WindowsRenderFiles : public RenderFixture
    {
    protected:
        void SetUp() override
        {
            writeInput ("in.wav", makeSignal (2, 8820, 44100.0));
            writeInput ("nine.wav", makeSignal (9, 100, 44100.0));
            writeInput ("slow.wav", makeSignal (1, 100, 500.0));
            writeInput ("in.flac", makeSignal (2, 22050, 44100.0), 24);
            rendertest::writeBytes (dir.path ("out.wav"), previousTake);
            rendertest::writeText (dir.path ("notes.txt"), "not audio at all\n");
            rendertest::writeBytes (dir.path ("empty.wav"), {});
            rendertest::writeText (dir.path ("bad.mid"), "MThd but not really");

            // A recording cut short: the header still announces every sample.
            auto cut = rendertest::readBytes (dir.path ("in.wav"));
            cut.resize (cut.size() / 2);
            rendertest::writeBytes (dir.path ("cut.wav"), cut);

            // The same for FLAC, and one with a frame garbled in the middle:
            // only decoding every frame tells.
            auto flac = rendertest::readBytes (dir.path ("in.flac"));
            auto cutFlac = flac;
            cutFlac.resize (cutFlac.size() / 2);
            rendertest::writeBytes (dir.path ("cut.flac"), cutFlac);

            for (size_t i = flac.size() / 2; i < flac.size() / 2 + 64; ++i)
                flac[i] = static_cast<uint8_t> (flac[i] ^ 0x5a);

            rendertest::writeBytes (dir.path ("garbled.flac"), flac);

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

        // `{dir}` in an argument stands for this test's folder, `{windir}`
        // for the same with backslashes.
        std::vector<std::string> expand (const std::vector<std::string>& arguments) const
        {
            std::vector<std::string> expanded;

            for (auto argument : arguments)
            {
                if (const auto at = argument.find ("{dir}"); at != std::string::npos)
                    argument.replace (at, 5, dir.root());

                if (const auto at = argument.find ("{windir}"); at != std::string::npos)
                    argument.replace (at, 8, backslashed (dir.root()));

                expanded.push_back (argument);
            }

            return expanded;
        }

        // The folder as every failing run must leave it.
        void expectFolderUntouched (const std::string& shown)
        {
            EXPECT_EQ (dir.entries(), entriesBefore) << shown << ": the folder changed";
            EXPECT_EQ (rendertest::readBytes (dir.path ("out.wav")), previousTake) << shown;
            EXPECT_EQ (rendertest::readBytes (dir.path ("in.wav")), inputBefore) << shown;
        }

        // Runs the Linux renderer with `linuxArguments` and the Windows one
        // with `windowsArguments` (the same files, maybe spelled otherwise):
        // the same status, and the same message naming each file as it was
        // typed to that program.
        void expectSameFailure (const std::vector<std::string>& linuxArguments,
                                const std::vector<std::string>& windowsArguments)
        {
            ASSERT_EQ (linuxArguments.size(), windowsArguments.size());
            const auto shown = ::testing::PrintToString (windowsArguments);

            const auto onLinux = run (linuxArguments);
            ASSERT_NE (onLinux.exitCode, 0) << "the Linux renderer took " << ::testing::PrintToString (linuxArguments);
            expectFolderUntouched (::testing::PrintToString (linuxArguments));

            const auto onWindows = wintest::runWindowsRenderer (windowsArguments, dir.root());

            auto expected = onLinux.err;

            for (size_t i = 0; i < linuxArguments.size(); ++i)
                if (linuxArguments[i] != windowsArguments[i])
                    if (const auto at = expected.find ("'" + linuxArguments[i] + "'"); at != std::string::npos)
                        expected.replace (at + 1, linuxArguments[i].size(), windowsArguments[i]);

            EXPECT_EQ (onWindows.signal, 0) << shown;
            EXPECT_EQ (onWindows.exitCode, onLinux.exitCode) << shown << "\n" << onWindows.err;
            EXPECT_EQ (withoutCarriageReturns (onWindows.err), expected) << shown;
            EXPECT_EQ (onWindows.out, "") << shown;
            expectFolderUntouched (shown);
        }

        std::vector<std::string> entriesBefore;
        std::vector<uint8_t> inputBefore;
    };

    struct FailureCase
    {
        std::string label;
        std::vector<std::string> arguments;          // as typed on Linux
        std::vector<std::string> windowsArguments;   // as typed on Windows; empty: the same
    };

    void PrintTo (const FailureCase& c, std::ostream* os)
    {
        *os << c.label;
    }

    class WindowsRenderRefusal : public WindowsRenderFiles,
                                      public ::testing::WithParamInterface<FailureCase>
    {
    };

    TEST_P (WindowsRenderRefusal, SaysWhatLinuxSaysAndLeavesEverythingAsItWas)
    {
        const auto linuxArguments = expand (GetParam().arguments);
        const auto windowsArguments = GetParam().windowsArguments.empty() ? linuxArguments
                                                                          : expand (GetParam().windowsArguments);
        expectSameFailure (linuxArguments, windowsArguments);
    }

    INSTANTIATE_TEST_SUITE_P (
        CommandLine, WindowsRenderRefusal,
        ::testing::Values (
            FailureCase { "no_arguments", {}, {} },
            FailureCase { "no_output", { "in.wav" }, {} },
            FailureCase { "unknown_option", { "in.wav", "out.wav", "--gain", "2" }, {} },
            FailureCase { "value_out_of_range", { "in.wav", "out.wav", "--set", "ampDrv=1.2" }, {} },
            FailureCase { "zero_block", { "in.wav", "out.wav", "--block", "0" }, {} },
            FailureCase { "flac_float", { "in.wav", "new.flac", "--bits", "32" }, {} },
            FailureCase { "unknown_format", { "in.wav", "out.mp3" }, {} },
            FailureCase { "no_format_past_a_dotted_folder", { "in.wav", "folder.wav/new" }, { "in.wav", "folder.wav\\new" } }),
        [] (const ::testing::TestParamInfo<FailureCase>& info) { return info.param.label; });

    INSTANTIATE_TEST_SUITE_P (
        RefusedInputs, WindowsRenderRefusal,
        ::testing::Values (
            FailureCase { "missing_input", { "nothing.wav", "new.wav" }, {} },
            FailureCase { "input_is_a_folder", { "folder.wav", "new.wav" }, {} },
            FailureCase { "input_is_text", { "notes.txt", "new.wav" }, {} },
            FailureCase { "input_is_empty", { "empty.wav", "new.wav" }, {} },
            FailureCase { "input_cut_short", { "cut.wav", "new.wav" }, {} },
            FailureCase { "input_rate_too_low", { "slow.wav", "new.wav" }, {} },
            FailureCase { "flac_cut_short", { "cut.flac", "new.wav" }, {} },
            FailureCase { "flac_frame_garbled", { "garbled.flac", "new.wav" }, {} },
            FailureCase { "midi_missing", { "in.wav", "out.wav", "--midi", "none.mid" }, {} },
            FailureCase { "midi_garbage", { "in.wav", "out.wav", "--midi", "bad.mid" }, {} },
            FailureCase { "midi_cut_short", { "in.wav", "out.wav", "--midi", "cut.mid" }, {} },
            FailureCase { "midi_is_a_folder", { "in.wav", "out.wav", "--midi", "folder.wav" }, {} },
            FailureCase { "flac_cannot_hold_nine_channels", { "nine.wav", "new.flac" }, {} }),
        [] (const ::testing::TestParamInfo<FailureCase>& info) { return info.param.label; });

    // The input again as the output, spelled another way; on Windows with
    // either slash, and from the root of the current drive or with the
    // drive named.
    INSTANTIATE_TEST_SUITE_P (
        OutputIsTheInput, WindowsRenderRefusal,
        ::testing::Values (
            FailureCase { "same_name", { "in.wav", "in.wav" }, {} },
            FailureCase { "dot_slash", { "in.wav", "./in.wav" }, { "in.wav", ".\\in.wav" } },
            FailureCase { "through_a_folder_and_back", { "in.wav", "folder.wav/../in.wav" }, { "in.wav", "folder.wav\\..\\in.wav" } },
            FailureCase { "mixed_slashes", { "in.wav", "folder.wav/.././in.wav" }, { "in.wav", "folder.wav/..\\.\\in.wav" } },
            FailureCase { "absolute", { "in.wav", "{dir}/in.wav" }, { "in.wav", "{dir}/in.wav" } },
            FailureCase { "absolute_backslashes", { "{dir}/in.wav", "in.wav" }, { "{windir}\\in.wav", "in.wav" } },
            FailureCase { "absolute_with_drive", { "in.wav", "{dir}/in.wav" }, { "in.wav", "Z:{windir}\\in.wav" } },
            FailureCase { "hard_link", { "in.wav", "hard.wav" }, {} },
            FailureCase { "symbolic_link", { "in.wav", "link.wav" }, {} },
            FailureCase { "input_through_a_link", { "link.wav", "in.wav" }, {} },
            FailureCase { "the_midi_file", { "in.wav", "song-named.wav", "--midi", "./song-named.wav" },
                          { "in.wav", "song-named.wav", "--midi", ".\\song-named.wav" } }),
        [] (const ::testing::TestParamInfo<FailureCase>& info) { return info.param.label; });

    INSTANTIATE_TEST_SUITE_P (
        Outputs, WindowsRenderRefusal,
        ::testing::Values (
            FailureCase { "output_is_a_folder", { "in.wav", "folder.wav" }, {} },
            FailureCase { "output_folder_missing", { "in.wav", "missing/new.wav" }, { "in.wav", "missing\\new.wav" } },
            FailureCase { "output_where_nothing_can_be_created", { "in.wav", "/proc/velthorn-render-test.wav" },
                          { "in.wav", "\\proc\\velthorn-render-test.wav" } }),
        [] (const ::testing::TestParamInfo<FailureCase>& info) { return info.param.label; });

    // The backslashes in the cases above are turned into slashes where a
    // message names a file, so it is worth knowing they reach the program.
    TEST_F (WindowsRenderFiles, BackslashesReachTheProgramAsTyped)
    {
        const auto result = wintest::runWindowsRenderer ({ "in.wav", "missing\\new.wav" }, dir.root());
        EXPECT_EQ (withoutCarriageReturns (result.err),
                   "velthorn-render: cannot write output 'missing\\new.wav': No such file or directory\n");
    }

    // Windows names ignore letter case: another spelling of the input there,
    // a new file on Linux.
    TEST_F (WindowsRenderFiles, OnWindowsTheInputInCapitalsIsTheInput)
    {
        const auto result = wintest::runWindowsRenderer ({ "in.wav", "IN.WAV" }, dir.root());

        EXPECT_EQ (result.exitCode, 1);
        EXPECT_EQ (withoutCarriageReturns (result.err),
                   "velthorn-render: output 'IN.WAV' is the input file; choose another name\n");
        expectFolderUntouched ("IN.WAV");
    }

    // A path through a file: Linux's own answer is "not a directory";
    // Windows has none and says the path is not found, so the check of the
    // output's folder is what names the fault. Refused all the same.
    TEST_F (WindowsRenderFiles, AnOutputUnderAFileIsRefusedInWindowsWords)
    {
        const auto onLinux = run ({ "in.wav", "notes.txt/new.wav" });
        EXPECT_EQ (onLinux.err, "velthorn-render: cannot write output 'notes.txt/new.wav': Not a directory\n");

        const auto onWindows = wintest::runWindowsRenderer ({ "in.wav", "notes.txt\\new.wav" }, dir.root());
        EXPECT_EQ (onWindows.exitCode, onLinux.exitCode);
        EXPECT_EQ (withoutCarriageReturns (onWindows.err),
                   "velthorn-render: cannot write output 'notes.txt\\new.wav': notes.txt is not a directory\n");
        expectFolderUntouched ("notes.txt\\new.wav");
    }

    // A folder nothing can be written into. Run as a user, a folder without
    // write permission is one; root may write there anyway, so as root the
    // folder is mounted read-only over itself (in the mount namespace the
    // test runs in, which wine's server shares).
    class ReadOnlyFolder final
    {
    public:
        explicit ReadOnlyFolder (const std::string& folderPath)
            : path (folderPath)
        {
            if (::mkdir (path.c_str(), 0755) != 0)
                return;

            if (::geteuid() != 0)
            {
                ready = ::chmod (path.c_str(), 0555) == 0;
                return;
            }

            mounted = ::mount (path.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) == 0;
            ready = mounted
                 && ::mount (nullptr, path.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
            problem = ready ? "" : std::strerror (errno);
        }

        ~ReadOnlyFolder()
        {
            if (mounted)
                ::umount2 (path.c_str(), MNT_DETACH);

            ::chmod (path.c_str(), 0755);
        }

        bool isReadOnlyMount() const noexcept { return mounted; }

        const std::string path;
        bool ready = false;
        bool mounted = false;
        std::string problem;
    };

    TEST_F (WindowsRenderFiles, AReadOnlyFolderGetsNoOutputAndNoTemporaryFile)
    {
        const ReadOnlyFolder folder (dir.path ("locked"));

        if (! folder.ready)
            GTEST_SKIP() << "cannot make a read-only folder here: " << folder.problem;

        entriesBefore = dir.entries();
        const auto onLinux = run ({ "in.wav", "locked/new.wav" });
        const auto onWindows = wintest::runWindowsRenderer ({ "in.wav", "locked\\new.wav" }, dir.root());

        EXPECT_EQ (onLinux.exitCode, 1);
        EXPECT_EQ (onWindows.exitCode, 1);

        // Wine answers a read-only mount as the system answers a folder the
        // user may not write to (access denied); Linux names the mount.
        const std::string linuxReason = folder.isReadOnlyMount() ? "Read-only file system" : "Permission denied";
        EXPECT_EQ (onLinux.err, "velthorn-render: cannot write output 'locked/new.wav': " + linuxReason + "\n");
        EXPECT_EQ (withoutCarriageReturns (onWindows.err),
                   "velthorn-render: cannot write output 'locked\\new.wav': Permission denied\n");

        expectFolderUntouched ("locked");
        EXPECT_EQ (entriesOf (folder.path), std::vector<std::string> {});
    }

    // A small disk of its own: a 64 KiB memory file system mounted on a new
    // folder (in the mount namespace the test runs in, which wine's server
    // shares). Only root may mount one.
    class SmallDisk final
    {
    public:
        explicit SmallDisk (const std::string& folderPath)
            : path (folderPath)
        {
            if (::mkdir (path.c_str(), 0755) != 0)
            {
                problem = std::strerror (errno);
                return;
            }

            mounted = ::mount ("velthorn-small-disk", path.c_str(), "tmpfs", 0, "size=64k,mode=0755") == 0;
            problem = mounted ? "" : std::strerror (errno);
        }

        ~SmallDisk()
        {
            if (mounted)
                ::umount2 (path.c_str(), MNT_DETACH);
        }

        SmallDisk (const SmallDisk&) = delete;
        SmallDisk& operator= (const SmallDisk&) = delete;

        const std::string path;
        bool mounted = false;
        std::string problem;
    };

    TEST_F (WindowsRenderFiles, AFullDiskIsCalledFullAsOnLinux)
    {
        const SmallDisk disk (dir.path ("small"));

        if (! disk.mounted)
            GTEST_SKIP() << "cannot mount a small file system here: " << disk.problem;

        entriesBefore = dir.entries();

        // A second of tail makes the output several times larger than the disk.
        const auto onLinux = run ({ "in.wav", "small/out.wav", "--tail", "1" });
        EXPECT_EQ (onLinux.exitCode, 1);
        EXPECT_EQ (onLinux.err, "velthorn-render: cannot write output 'small/out.wav': No space left on device\n");
        EXPECT_EQ (entriesOf (disk.path), std::vector<std::string> {}) << "Linux left something on the disk";

        const auto onWindows = wintest::runWindowsRenderer ({ "in.wav", "small\\out.wav", "--tail", "1" }, dir.root());
        EXPECT_EQ (onWindows.exitCode, 1);
        EXPECT_EQ (withoutCarriageReturns (onWindows.err),
                   "velthorn-render: cannot write output 'small\\out.wav': No space left on device\n");
        EXPECT_EQ (entriesOf (disk.path), std::vector<std::string> {}) << "Windows left something on the disk";

        expectFolderUntouched ("small\\out.wav");
    }

    TEST_F (WindowsRenderFiles, AnExistingOutputIsReplacedWholeAndOnlyWhenDone)
    {
        // Twice: a long render replacing an old file, then a short one
        // replacing the long one (a file written over in place would keep
        // the long one's end).
        for (const auto& tail : { std::string ("1"), std::string ("0") })
        {
            rendertest::writeBytes (dir.path ("linux.wav"), previousTake);

            if (tail == "1")
                rendertest::writeBytes (dir.path ("windows.wav"), previousTake);

            const auto onLinux = run ({ "in.wav", "linux.wav", "--tail", tail });
            const auto onWindows = wintest::runWindowsRenderer ({ "in.wav", "windows.wav", "--tail", tail }, dir.root());

            ASSERT_EQ (onLinux.exitCode, 0) << onLinux.err;
            ASSERT_EQ (onWindows.exitCode, 0) << onWindows.err;

            const auto windowsBytes = rendertest::readBytes (dir.path ("windows.wav"));
            EXPECT_EQ (windowsBytes, rendertest::readBytes (dir.path ("linux.wav"))) << "--tail " << tail;
            EXPECT_EQ (rendertest::readAudio (dir.path ("windows.wav")).numSamples(), 8820 + (tail == "1" ? 44100 : 0));

            auto expectedEntries = entriesBefore;
            expectedEntries.insert (expectedEntries.end(), { "linux.wav", "windows.wav" });
            std::sort (expectedEntries.begin(), expectedEntries.end());
            EXPECT_EQ (dir.entries(), expectedEntries) << "--tail " << tail << ": only the outputs are new";
        }
    }

    TEST_F (WindowsRenderFiles, BackslashPathsRenderWhatSlashesRenderOnLinux)
    {
        ASSERT_EQ (::mkdir (dir.path ("takes").c_str(), 0755), 0);
        ASSERT_EQ (::mkdir (dir.path ("renders").c_str(), 0755), 0);
        writeInput ("takes/take one.wav", makeSignal (2, 22050, 44100.0, 0.3f, 3));
        rendertest::writeMidiFile (dir.path ("takes/song.mid"), [] {
            juce::MidiMessageSequence track;
            track.addEvent (juce::MidiMessage::controllerEvent (1, 4, 127), 100.0);
            track.addEvent (juce::MidiMessage::controllerEvent (1, 9, 90), 300.0);
            juce::MidiFile song;
            song.setTicksPerQuarterNote (480);
            song.addTrack (track);
            return song;
        }());

        const auto onLinux = run ({ "takes/take one.wav", "renders/linux.wav", "--midi", "takes/song.mid" });
        const auto onWindows = wintest::runWindowsRenderer (
            { "takes\\take one.wav", "renders\\windows.wav", "--midi", "takes\\song.mid" }, dir.root());

        ASSERT_EQ (onLinux.exitCode, 0) << onLinux.err;
        ASSERT_EQ (onWindows.exitCode, 0) << onWindows.err;
        EXPECT_EQ (rendertest::readBytes (dir.path ("renders/windows.wav")),
                   rendertest::readBytes (dir.path ("renders/linux.wav")));
        EXPECT_EQ (entriesOf (dir.path ("renders")),
                   (std::vector<std::string> { "linux.wav", "windows.wav" }));
    }

    // Every way Windows spells a place for the output: the file lands there
    // (its temporary file beside it, then gone), the same as on Linux.
    struct Spelling
    {
        std::string label;
        std::string output;   // `{windir}`: this test's folder with backslashes
    };

    void PrintTo (const Spelling& c, std::ostream* os)
    {
        *os << c.label;
    }

    class WindowsOutputSpelling : public WindowsRenderFiles,
                                  public ::testing::WithParamInterface<Spelling>
    {
    };

    TEST_P (WindowsOutputSpelling, RendersWhatLinuxRenders)
    {
        ASSERT_EQ (::mkdir (dir.path ("renders").c_str(), 0755), 0);
        const auto where = expand ({ GetParam().output }).front();
        const auto landsInRenders = where.find ("renders") != std::string::npos;

        const auto onLinux = run ({ "in.wav", "linux.wav", "--set", "delOn=1" });
        const auto onWindows = wintest::runWindowsRenderer ({ "in.wav", where, "--set", "delOn=1" }, dir.root());

        ASSERT_EQ (onLinux.exitCode, 0) << onLinux.err;
        ASSERT_EQ (onWindows.exitCode, 0) << where << ": " << onWindows.err;

        const auto output = landsInRenders ? dir.path ("renders/windows.wav") : dir.path ("windows.wav");
        EXPECT_EQ (rendertest::readBytes (output), rendertest::readBytes (dir.path ("linux.wav"))) << where;

        auto expectedEntries = entriesBefore;
        expectedEntries.insert (expectedEntries.end(), { "linux.wav", "renders" });

        if (! landsInRenders)
            expectedEntries.push_back ("windows.wav");

        std::sort (expectedEntries.begin(), expectedEntries.end());
        EXPECT_EQ (dir.entries(), expectedEntries) << where;

        const auto inRenders = landsInRenders ? std::vector<std::string> { "windows.wav" } : std::vector<std::string> {};
        EXPECT_EQ (entriesOf (dir.path ("renders")), inRenders) << where;
    }

    INSTANTIATE_TEST_SUITE_P (
        Places, WindowsOutputSpelling,
        ::testing::Values (Spelling { "backslash", "renders\\windows.wav" },
                           Spelling { "slash", "renders/windows.wav" },
                           Spelling { "dot_backslash", ".\\renders\\windows.wav" },
                           Spelling { "there_and_back", "renders\\..\\renders\\windows.wav" },
                           Spelling { "from_the_root", "{windir}\\renders\\windows.wav" },
                           Spelling { "with_the_drive", "Z:{windir}\\renders\\windows.wav" },
                           Spelling { "drive_relative", "Z:windows.wav" },
                           Spelling { "drive_relative_folder", "z:renders\\windows.wav" }),
        [] (const ::testing::TestParamInfo<Spelling>& info) { return info.param.label; });

    // Names beyond ASCII, in the UTF-8 a Linux shell passes and the
    // program's Windows code page is set to.
    TEST_F (WindowsRenderFiles, NamesBeyondAsciiWorkAsOnLinux)
    {
        writeInput ("\u00dcbung \u2013 take.wav", makeSignal (2, 22050, 44100.0, 0.3f, 9));
        rendertest::writeMidiFile (dir.path ("Lied \u00f6.mid"), [] {
            juce::MidiMessageSequence track;
            track.addEvent (juce::MidiMessage::controllerEvent (1, 0, 127), 200.0);
            juce::MidiFile song;
            song.setTicksPerQuarterNote (480);
            song.addTrack (track);
            return song;
        }());

        const auto onLinux = run ({ "\u00dcbung \u2013 take.wav", "gerendert \u00e4 linux.wav", "--midi", "Lied \u00f6.mid" });
        const auto onWindows = wintest::runWindowsRenderer (
            { "\u00dcbung \u2013 take.wav", "gerendert \u00e4 windows.wav", "--midi", "Lied \u00f6.mid" }, dir.root());

        ASSERT_EQ (onLinux.exitCode, 0) << onLinux.err;
        ASSERT_EQ (onWindows.exitCode, 0) << onWindows.err;
        EXPECT_EQ (rendertest::readBytes (dir.path ("gerendert \u00e4 windows.wav")),
                   rendertest::readBytes (dir.path ("gerendert \u00e4 linux.wav")));

        entriesBefore = dir.entries();
        expectSameFailure ({ "fehlt \u00e4.wav", "neu.wav" }, { "fehlt \u00e4.wav", "neu.wav" });
        expectSameFailure ({ "\u00dcbung \u2013 take.wav", "./\u00dcbung \u2013 take.wav" },
                           { "\u00dcbung \u2013 take.wav", ".\\\u00dcbung \u2013 take.wav" });
    }

    TEST_F (WindowsRenderFiles, ControlCRemovesTheTemporaryFile)
    {
        // Again and again: where in the render the Ctrl+C lands varies.
        for (int attempt = 0; attempt < 3; ++attempt)
        {
            // An hour of tail one sample per callback: far longer than the test.
            wintest::RunningUnderWine renderer (VELTHORN_WINDOWS_RENDER_BINARY,
                                                { "in.wav", "out.wav", "--tail", "3600", "--block", "1", "--progress" },
                                                dir.root());

            // The bar is first drawn once the temporary file exists.
            ASSERT_TRUE (renderer.waitForStderr ("%")) << "attempt " << attempt;

            int temporaryFiles = 0;

            for (const auto& name : dir.entries())
                temporaryFiles += name.find (".out.wav.") == 0 ? 1 : 0;

            EXPECT_EQ (temporaryFiles, 1) << "the render was under way";

            renderer.pressControlC();

            if (attempt == 2)
                renderer.pressControlC();   // a second one while the first is being handled

            const auto result = renderer.wait();

            EXPECT_EQ (result.signal, 0);
            EXPECT_EQ (result.exitCode, wintest::controlCExitStatus);
            EXPECT_NE (result.err.find ("velthorn-render: interrupted, no output written"), std::string::npos) << result.err;
            expectFolderUntouched ("attempt " + std::to_string (attempt));
        }
    }
}
