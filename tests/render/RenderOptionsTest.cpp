#include "RenderOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
    using Args = std::vector<std::string>;

    RenderOptions parseOk (const Args& args)
    {
        RenderOptions options;
        const auto error = RenderOptions::parse (args, options);
        EXPECT_EQ (error, "") << "for " << ::testing::PrintToString (args);
        return options;
    }

    TEST (RenderOptions, DefaultsWithJustTwoFiles)
    {
        const auto options = parseOk ({ "in.wav", "out.wav" });

        EXPECT_EQ (options.inputPath, "in.wav");
        EXPECT_EQ (options.outputPath, "out.wav");
        EXPECT_EQ (options.midiPath, "");
        EXPECT_TRUE (options.settings.empty());
        EXPECT_EQ (options.tailSeconds, 0.0);
        EXPECT_EQ (options.blockSize, 512);
        EXPECT_EQ (options.oversampling, 1);
        EXPECT_EQ (options.progress, RenderOptions::Progress::automatic);
        EXPECT_EQ (options.outputFormat.container, OutputFormat::Container::wav);
        EXPECT_EQ (options.outputFormat.bitsPerSample, 32);
        EXPECT_FALSE (options.showHelp);
    }

    TEST (RenderOptions, EveryOptionInBothSpellings)
    {
        for (const auto& args : { Args { "--set", "mast=0.25", "--midi", "song.mid", "--tail", "1.5", "--block", "7",
                                         "--bits", "24", "--quiet", "in.aif", "out.flac" },
                                  Args { "in.aif", "--set=mast=0.25", "--midi=song.mid", "--tail=1.5", "--block=7",
                                         "--bits=24", "out.flac", "--quiet" } })
        {
            const auto options = parseOk (args);

            EXPECT_EQ (options.inputPath, "in.aif");
            EXPECT_EQ (options.outputPath, "out.flac");
            ASSERT_EQ (options.settings.size(), 1u);
            EXPECT_EQ (options.settings[0].name, "mast");
            EXPECT_EQ (options.settings[0].index, 15);
            EXPECT_EQ (options.settings[0].value, 0.25f);
            EXPECT_EQ (options.midiPath, "song.mid");
            EXPECT_EQ (options.tailSeconds, 1.5);
            EXPECT_EQ (options.blockSize, 7);
            EXPECT_EQ (options.outputFormat.container, OutputFormat::Container::flac);
            EXPECT_EQ (options.outputFormat.bitsPerSample, 24);
            EXPECT_EQ (options.progress, RenderOptions::Progress::never);
        }
    }

    TEST (RenderOptions, SettingsKeepTheirOrderAndIndices)
    {
        const auto options = parseOk ({ "a.wav", "b.wav", "--set", "delOn=1", "--set", "mast=0", "--set", "delOn=0",
                                        "--set", "mastOn=1" });

        ASSERT_EQ (options.settings.size(), 4u);
        EXPECT_EQ (options.settings[0].index, 2);
        EXPECT_EQ (options.settings[0].value, 1.0f);
        EXPECT_EQ (options.settings[1].index, 15);
        EXPECT_EQ (options.settings[2].index, 2);
        EXPECT_EQ (options.settings[2].value, 0.0f);
        EXPECT_EQ (options.settings[3].index, 17);
    }

    TEST (RenderOptions, ProgressModes)
    {
        EXPECT_EQ (parseOk ({ "a.wav", "b.wav", "--progress" }).progress, RenderOptions::Progress::always);
        EXPECT_EQ (parseOk ({ "a.wav", "b.wav", "--quiet" }).progress, RenderOptions::Progress::never);
    }

    TEST (RenderOptions, HelpWinsOverEverythingElse)
    {
        for (const auto& args : { Args { "--help" }, Args { "-h" }, Args { "a.wav", "--help", "--block", "0" } })
            EXPECT_TRUE (parseOk (args).showHelp);
    }

    TEST (RenderOptions, VersionWinsOverEverythingButAnEarlierHelp)
    {
        for (const auto& args : { Args { "--version" }, Args { "-V" }, Args { "a.wav", "--version", "--block", "0" } })
        {
            const auto options = parseOk (args);
            EXPECT_TRUE (options.showVersion);
            EXPECT_FALSE (options.showHelp);
        }

        const auto helpFirst = parseOk ({ "--help", "--version" });
        EXPECT_TRUE (helpFirst.showHelp);
        EXPECT_FALSE (helpFirst.showVersion);
    }

    TEST (RenderOptions, VersionTakesNoValue)
    {
        RenderOptions options;
        EXPECT_EQ (RenderOptions::parse ({ "a.wav", "b.wav", "--version=2" }, options), "--version takes no value");
    }

    TEST (RenderOptions, DoubleDashEndsOptions)
    {
        const auto options = parseOk ({ "--block", "3", "--", "-in.wav", "--out.wav" });

        EXPECT_EQ (options.inputPath, "-in.wav");
        EXPECT_EQ (options.outputPath, "--out.wav");
        EXPECT_EQ (options.blockSize, 3);
    }

    TEST (RenderOptions, OversamplingTakesOneTwoFourOrEightInBothSpellings)
    {
        for (const int factor : { 1, 2, 4, 8 })
        {
            EXPECT_EQ (parseOk ({ "a.wav", "b.wav", "--oversample", std::to_string (factor) }).oversampling, factor);
            EXPECT_EQ (parseOk ({ "--oversample=" + std::to_string (factor), "a.wav", "b.wav" }).oversampling, factor);
        }

        const auto usage = RenderOptions::usage();
        EXPECT_NE (usage.find ("[--oversample 1|2|4|8]"), std::string::npos);
        EXPECT_NE (usage.find ("  --oversample 1|2|4|8\n"), std::string::npos);
    }

    TEST (RenderOptions, ResamplingIsLinearPhaseUnlessTheLowLatencyFiltersAreAskedFor)
    {
        EXPECT_EQ (parseOk ({ "a.wav", "b.wav" }).resampling, Resampling::linearPhase);
        EXPECT_EQ (parseOk ({ "a.wav", "b.wav", "--resampling", "linear-phase" }).resampling, Resampling::linearPhase);
        EXPECT_EQ (parseOk ({ "a.wav", "b.wav", "--resampling", "low-latency" }).resampling, Resampling::lowLatency);
        EXPECT_EQ (parseOk ({ "--resampling=low-latency", "a.wav", "b.wav" }).resampling, Resampling::lowLatency);

        const auto usage = RenderOptions::usage();
        EXPECT_NE (usage.find ("[--resampling linear-phase|low-latency]"), std::string::npos);
        EXPECT_NE (usage.find ("  --resampling linear-phase|low-latency\n"), std::string::npos);
    }

    TEST (RenderOptions, LimitsAreAccepted)
    {
        EXPECT_EQ (parseOk ({ "a.wav", "b.wav", "--block", "1" }).blockSize, 1);
        EXPECT_EQ (parseOk ({ "a.wav", "b.wav", "--block", "65536" }).blockSize, 65536);
        EXPECT_EQ (parseOk ({ "a.wav", "b.wav", "--tail", "0" }).tailSeconds, 0.0);
        EXPECT_EQ (parseOk ({ "a.wav", "b.wav", "--tail", "3600" }).tailSeconds, 3600.0);
        EXPECT_EQ (parseOk ({ "a.wav", "b.wav", "--set", "mast=0" }).settings[0].value, 0.0f);
        EXPECT_EQ (parseOk ({ "a.wav", "b.wav", "--set", "mast=1" }).settings[0].value, 1.0f);
        EXPECT_EQ (parseOk ({ "a.wav", "b.wav", "--set", "mast=.5" }).settings[0].value, 0.5f);
        EXPECT_EQ (parseOk ({ "a.wav", "b.wav", "--set", "mastOn=1.0" }).settings[0].value, 1.0f);
    }

    struct BadCommandLine
    {
        Args args;
        std::string expectedText;   // part of the one-line reason
    };

    void PrintTo (const BadCommandLine& c, std::ostream* os)
    {
        *os << ::testing::PrintToString (c.args);
    }

    class RenderOptionsRejects : public ::testing::TestWithParam<BadCommandLine>
    {
    };

    TEST_P (RenderOptionsRejects, WithAReasonNamingTheProblem)
    {
        RenderOptions options;
        options.blockSize = 99;   // untouched on failure
        const auto error = RenderOptions::parse (GetParam().args, options);

        EXPECT_NE (error.find (GetParam().expectedText), std::string::npos) << "got: " << error;
        EXPECT_EQ (error.find ('\n'), std::string::npos) << "one line: " << error;
        EXPECT_EQ (options.blockSize, 99);
    }

    INSTANTIATE_TEST_SUITE_P (
        Table, RenderOptionsRejects,
        ::testing::Values (
            BadCommandLine { {}, "missing INPUT and OUTPUT" },
            BadCommandLine { { "a.wav" }, "missing OUTPUT" },
            BadCommandLine { { "a.wav", "b.wav", "c.wav" }, "unexpected argument 'c.wav'" },
            BadCommandLine { { "a.wav", "b.wav", "--frobnicate" }, "unknown option '--frobnicate'" },
            BadCommandLine { { "a.wav", "b.wav", "-x" }, "unknown option '-x'" },
            BadCommandLine { { "a.wav", "b.wav", "--set", "volume=1" }, "unknown parameter 'volume'" },
            BadCommandLine { { "a.wav", "b.wav", "--set", "Mast=1" }, "unknown parameter 'Mast'" },
            BadCommandLine { { "a.wav", "b.wav", "--set", "mast" }, "--set takes NAME=VALUE" },
            BadCommandLine { { "a.wav", "b.wav", "--set", "=1" }, "--set takes NAME=VALUE" },
            BadCommandLine { { "a.wav", "b.wav", "--set", "mast=1.5" }, "mast takes a value from 0 to 1" },
            BadCommandLine { { "a.wav", "b.wav", "--set", "delTme=-0.1" }, "delTme takes a value from 0 to 1" },
            BadCommandLine { { "a.wav", "b.wav", "--set", "mast=" }, "mast takes a value from 0 to 1" },
            BadCommandLine { { "a.wav", "b.wav", "--set", "mast=loud" }, "mast takes a value from 0 to 1" },
            BadCommandLine { { "a.wav", "b.wav", "--set", "mast=nan" }, "mast takes a value from 0 to 1" },
            BadCommandLine { { "a.wav", "b.wav", "--set", "mast=inf" }, "mast takes a value from 0 to 1" },
            BadCommandLine { { "a.wav", "b.wav", "--set", "mast=0.5x" }, "mast takes a value from 0 to 1" },
            BadCommandLine { { "a.wav", "b.wav", "--set", "mastOn=0.5" }, "mastOn takes 0 or 1" },
            BadCommandLine { { "a.wav", "b.wav", "--set", "delOn=2" }, "delOn takes 0 or 1" },
            BadCommandLine { { "a.wav", "b.wav", "--set", "wahOn=-1" }, "wahOn takes 0 or 1" },
            BadCommandLine { { "a.wav", "b.wav", "--block", "0" }, "--block takes a whole number of samples from 1 to 65536" },
            BadCommandLine { { "a.wav", "b.wav", "--block", "65537" }, "--block takes" },
            BadCommandLine { { "a.wav", "b.wav", "--block", "-4" }, "--block takes" },
            BadCommandLine { { "a.wav", "b.wav", "--block", "1.5" }, "--block takes" },
            BadCommandLine { { "a.wav", "b.wav", "--block", "99999999999999999999" }, "--block takes" },
            BadCommandLine { { "a.wav", "b.wav", "--block", "" }, "--block takes" },
            BadCommandLine { { "a.wav", "b.wav", "--block" }, "--block needs a value" },
            BadCommandLine { { "a.wav", "b.wav", "--tail", "-1" }, "--tail takes seconds from 0 to 3600" },
            BadCommandLine { { "a.wav", "b.wav", "--tail", "3600.5" }, "--tail takes" },
            BadCommandLine { { "a.wav", "b.wav", "--tail", "long" }, "--tail takes" },
            BadCommandLine { { "a.wav", "b.wav", "--bits", "8" }, "--bits takes 16, 24 or 32" },
            BadCommandLine { { "a.wav", "b.wav", "--bits", "24.0" }, "--bits takes 16, 24 or 32" },
            BadCommandLine { { "a.wav", "b.flac", "--bits", "32" }, "FLAC output takes --bits 16 or 24" },
            BadCommandLine { { "a.wav", "b.aiff", "--bits", "32" }, "AIFF output takes --bits 16 or 24" },
            BadCommandLine { { "a.wav", "b.ogg", "--bits", "16" }, "Ogg Vorbis output is lossy" },
            BadCommandLine { { "a.wav", "b.mp3" }, "cannot tell the output format" },
            BadCommandLine { { "a.wav", "b" }, "cannot tell the output format" },
            BadCommandLine { { "a.wav", "dir.wav/.hidden" }, "cannot tell the output format" },
            BadCommandLine { { "a.wav", "b.wav", "--midi" }, "--midi needs a value" },
            BadCommandLine { { "a.wav", "b.wav", "--midi", "" }, "--midi needs a file name" },
            BadCommandLine { { "a.wav", "b.wav", "--midi", "x.mid", "--midi", "y.mid" }, "--midi given more than once" },
            BadCommandLine { { "a.wav", "b.wav", "--block", "8", "--block", "8" }, "--block given more than once" },
            BadCommandLine { { "a.wav", "b.wav", "--oversample", "3" }, "--oversample takes 1, 2, 4 or 8, got '3'" },
            BadCommandLine { { "a.wav", "b.wav", "--oversample", "16" }, "--oversample takes 1, 2, 4 or 8" },
            BadCommandLine { { "a.wav", "b.wav", "--oversample", "0" }, "--oversample takes 1, 2, 4 or 8" },
            BadCommandLine { { "a.wav", "b.wav", "--oversample", "4.0" }, "--oversample takes 1, 2, 4 or 8" },
            BadCommandLine { { "a.wav", "b.wav", "--oversample", "x4" }, "--oversample takes 1, 2, 4 or 8" },
            BadCommandLine { { "a.wav", "b.wav", "--oversample=" }, "--oversample takes 1, 2, 4 or 8" },
            BadCommandLine { { "a.wav", "b.wav", "--oversample" }, "--oversample needs a value" },
            BadCommandLine { { "a.wav", "b.wav", "--oversample", "2", "--oversample", "2" }, "--oversample given more than once" },
            BadCommandLine { { "a.wav", "b.wav", "--resampling", "fir" },
                             "--resampling takes linear-phase or low-latency, got 'fir'" },
            BadCommandLine { { "a.wav", "b.wav", "--resampling" }, "--resampling needs a value" },
            BadCommandLine { { "a.wav", "b.wav", "--resampling", "low-latency", "--resampling", "low-latency" },
                             "--resampling given more than once" },
            BadCommandLine { { "a.wav", "b.wav", "--progress", "--quiet" }, "contradict" },
            BadCommandLine { { "a.wav", "b.wav", "--quiet=yes" }, "--quiet takes no value" },
            BadCommandLine { { "", "b.wav" }, "must not be empty" }));
}
