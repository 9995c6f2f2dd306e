#include "ConsoleRun.h"
#include "PrivateWinePrefix.h"
#include "TempDirectory.h"
#include "WindowsVelthornApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#if ! defined (VELTHORN_CONSOLE_PARENT) || ! defined (VELTHORN_PROJECT_VERSION)
 #error "the build must name the console program and the version"
#endif

namespace
{
    using windowstest::PrivateWinePrefix;
    using windowstest::WindowsVelthornApp;

    constexpr auto runTimeout = std::chrono::minutes (2);

    class WindowsConsoleTest : public ::testing::Test
    {
    protected:
        e2e::TempDirectory work { "velthorn-wine-console-" };
        PrivateWinePrefix prefix { work.path() / "wine", work.path() / "logs" };

        // Velthorn.exe with these arguments, started from a console on a
        // terminal, as a person types it at a command prompt.
        windowstest::ConsoleRun startFromConsole (const std::vector<std::string>& arguments) const
        {
            std::vector<std::string> command { PrivateWinePrefix::wineProgram(), VELTHORN_CONSOLE_PARENT,
                                               PrivateWinePrefix::windowsPathOf (WindowsVelthornApp::binary()) };
            command.insert (command.end(), arguments.begin(), arguments.end());
            return windowstest::runOnTerminal (command, prefix.environment(), runTimeout);
        }
    };

    // A windowed program gets no standard handles from the console it is
    // started from; Velthorn.exe's answers still appear there, and the exit
    // code is the Linux app's.
    TEST_F (WindowsConsoleTest, AnswersPrintInTheConsoleVelthornWasStartedFrom)
    {
        struct Case
        {
            std::vector<std::string> arguments;
            int exitCode;
            std::vector<std::string> lines;
        };

        const Case cases[] {
            { { "--version" }, 0, { std::string ("Velthorn ") + VELTHORN_PROJECT_VERSION,
                                    "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>." } },
            { { "-h" }, 0, { "Usage: Velthorn [OPTION]",
                             "master volume, played live through an audio interface (Windows Audio or",
                             "choice is kept in %APPDATA%\\Velthorn\\Velthorn.settings.",
                             "To process audio files offline, see velthorn-render --help." } },
            { { "--bogus" }, 2, { "Velthorn: unrecognized option '--bogus'", "Try 'Velthorn --help' for more information." } },
            { { "take.wav" }, 2, { "Velthorn: unexpected argument 'take.wav'" } },
        };

        for (const auto& c : cases)
        {
            SCOPED_TRACE (c.arguments.front());
            const auto run = startFromConsole (c.arguments);

            ASSERT_TRUE (run.status.has_value()) << "still running after " << runTimeout.count() << " minutes:\n" << run.text;
            EXPECT_TRUE (run.status->isExitCode (c.exitCode)) << run.status->describe() << "\n" << run.text;

            for (const auto& line : c.lines)
                EXPECT_NE (run.text.find (line + "\n"), std::string::npos) << "no line \"" << line << "\" in:\n" << run.text;
        }
    }

    // Windows text: lines end in CR LF.
    std::string withoutCarriageReturns (std::string text)
    {
        text.erase (std::remove (text.begin(), text.end(), '\r'), text.end());
        return text;
    }

    // Given somewhere to print by the caller (a file, a pipe), Velthorn.exe
    // prints there and not on a console.
    TEST_F (WindowsConsoleTest, AnswersGoWhereTheCallerRedirectedThem)
    {
        auto version = prefix.run ({ WindowsVelthornApp::binary().string(), "--version" }, runTimeout);
        version.standardOutput = withoutCarriageReturns (version.standardOutput);
        ASSERT_TRUE (version.succeeded()) << version.describe();
        EXPECT_EQ (version.standardOutput.rfind (std::string ("Velthorn ") + VELTHORN_PROJECT_VERSION + "\n", 0), 0u)
            << version.describe();
        EXPECT_EQ (version.standardError, "");

        auto refused = prefix.run ({ WindowsVelthornApp::binary().string(), "--bogus" }, runTimeout);
        refused.standardError = withoutCarriageReturns (refused.standardError);
        ASSERT_TRUE (refused.status.has_value()) << refused.describe();
        EXPECT_TRUE (refused.status->isExitCode (2)) << refused.describe();
        EXPECT_EQ (refused.standardOutput, "");
        EXPECT_EQ (refused.standardError.rfind ("Velthorn: unrecognized option '--bogus'\n", 0), 0u) << refused.describe();
    }
}
