#include "CommandLineOptions.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace
{
    // What answer() wrote to each stream and what it returned.
    struct Answer
    {
        std::optional<int> status;
        std::string out, err;
    };

    std::string readAll (std::FILE* file)
    {
        std::rewind (file);
        std::string text;
        char buffer[512];

        while (const auto n = std::fread (buffer, 1, sizeof (buffer), file))
            text.append (buffer, n);

        return text;
    }

    Answer answer (const std::vector<std::string>& arguments)
    {
        const std::unique_ptr<std::FILE, int (*) (std::FILE*)> out (std::tmpfile(), &std::fclose);
        const std::unique_ptr<std::FILE, int (*) (std::FILE*)> err (std::tmpfile(), &std::fclose);
        Answer result;
        result.status = CommandLineOptions::answer (arguments, out.get(), err.get());
        result.out = readAll (out.get());
        result.err = readAll (err.get());
        return result;
    }
}

TEST (CommandLineOptions, NoArgumentsStartTheApp)
{
    const auto result = answer ({});
    EXPECT_FALSE (result.status.has_value());
    EXPECT_EQ (result.out, "");
    EXPECT_EQ (result.err, "");
}

TEST (CommandLineOptions, HelpAndVersionPrintAndEndWithZero)
{
    struct Case { std::vector<std::string> arguments; std::string firstLine; };
    const Case cases[] = {
        { { "--version" }, std::string ("Velthorn ") + VELTHORN_PROJECT_VERSION },
        { { "-V" }, std::string ("Velthorn ") + VELTHORN_PROJECT_VERSION },
        { { "--help" }, "Usage: Velthorn [OPTION]" },
        { { "-h" }, "Usage: Velthorn [OPTION]" },
        // The first argument settles it, as in GNU programs.
        { { "--help", "--bogus" }, "Usage: Velthorn [OPTION]" },
        { { "--version", "--help" }, std::string ("Velthorn ") + VELTHORN_PROJECT_VERSION },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.arguments.front());
        const auto result = answer (c.arguments);
        ASSERT_TRUE (result.status.has_value());
        EXPECT_EQ (*result.status, 0);
        EXPECT_EQ (result.out.substr (0, result.out.find ('\n')), c.firstLine);
        EXPECT_EQ (result.err, "");
    }
}

TEST (CommandLineOptions, HelpListsEveryOption)
{
    const auto help = CommandLineOptions::helpText();
    EXPECT_NE (help.find ("-h, --help"), std::string::npos);
    EXPECT_NE (help.find ("-V, --version"), std::string::npos);
    EXPECT_NE (help.find ("--oversample N"), std::string::npos);
}

// --oversample N starts the app with the chain at N times the device rate.
TEST (CommandLineOptions, OversampleStartsTheAppAtThatFactor)
{
    struct Case { std::vector<std::string> arguments; int factor; };
    const Case cases[] = {
        { {}, 1 },
        { { "--oversample", "1" }, 1 },
        { { "--oversample", "2" }, 2 },
        { { "--oversample", "4" }, 4 },
        { { "--oversample=8" }, 8 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (::testing::PrintToString (c.arguments));
        const auto result = answer (c.arguments);
        EXPECT_FALSE (result.status.has_value());
        EXPECT_EQ (result.err, "");
        EXPECT_EQ (CommandLineOptions::oversampling (c.arguments), c.factor);
    }

    // --help still wins when it comes first, and after a valid --oversample.
    for (const auto& arguments : { std::vector<std::string> { "--help", "--oversample", "3" },
                                   std::vector<std::string> { "--oversample", "4", "--help" } })
    {
        const auto result = answer (arguments);
        ASSERT_TRUE (result.status.has_value());
        EXPECT_EQ (*result.status, 0);
        EXPECT_EQ (result.out.substr (0, result.out.find ('\n')), "Usage: Velthorn [OPTION]");
    }
}

TEST (CommandLineOptions, AnythingElseIsRefusedWithExitTwoAndAHint)
{
    struct Case { std::vector<std::string> arguments; std::string complaint; };
    const Case cases[] = {
        { { "--bogus" }, "Velthorn: unrecognized option '--bogus'\n" },
        { { "-x" }, "Velthorn: unrecognized option '-x'\n" },
        { { "song.wav" }, "Velthorn: unexpected argument 'song.wav'\n" },
        { { "--bogus", "--help" }, "Velthorn: unrecognized option '--bogus'\n" },
        { { "--oversample" }, "Velthorn: option '--oversample' requires an argument\n" },
        { { "--oversample", "3" }, "Velthorn: --oversample takes 1, 2, 4 or 8, not '3'\n" },
        { { "--oversample=16" }, "Velthorn: --oversample takes 1, 2, 4 or 8, not '16'\n" },
        { { "--oversample", "x" }, "Velthorn: --oversample takes 1, 2, 4 or 8, not 'x'\n" },
        { { "--oversample", "4", "--oversample", "4" }, "Velthorn: --oversample given more than once\n" },
        { { "--oversample", "4", "song.wav" }, "Velthorn: unexpected argument 'song.wav'\n" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.arguments.front());
        const auto result = answer (c.arguments);
        ASSERT_TRUE (result.status.has_value());
        EXPECT_EQ (*result.status, 2);
        EXPECT_EQ (result.out, "");
        EXPECT_EQ (result.err, c.complaint + "Try 'Velthorn --help' for more information.\n");
    }
}
