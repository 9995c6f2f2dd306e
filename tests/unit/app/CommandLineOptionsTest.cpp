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

TEST (CommandLineOptions, HelpListsBothOptions)
{
    const auto help = CommandLineOptions::helpText();
    EXPECT_NE (help.find ("-h, --help"), std::string::npos);
    EXPECT_NE (help.find ("-V, --version"), std::string::npos);
}

TEST (CommandLineOptions, AnythingElseIsRefusedWithExitTwoAndAHint)
{
    struct Case { std::vector<std::string> arguments; std::string complaint; };
    const Case cases[] = {
        { { "--bogus" }, "Velthorn: unrecognized option '--bogus'\n" },
        { { "-x" }, "Velthorn: unrecognized option '-x'\n" },
        { { "song.wav" }, "Velthorn: unexpected argument 'song.wav'\n" },
        { { "--bogus", "--help" }, "Velthorn: unrecognized option '--bogus'\n" },
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
