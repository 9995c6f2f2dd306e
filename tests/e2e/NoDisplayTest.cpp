#include "E2eTest.h"
#include "ToolRun.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace
{
    namespace fs = std::filesystem;

    // ":N" for the first N from 900 up with neither an X socket nor a lock
    // file: no X server answers there. (Xvfb -displayfd takes the lowest
    // free numbers, far below.)
    std::string displayNobodyServes()
    {
        for (int number = 900;; ++number)
        {
            const auto n = std::to_string (number);

            if (! fs::exists ("/tmp/.X11-unix/X" + n) && ! fs::exists ("/tmp/.X" + n + "-lock"))
                return ":" + n;
        }
    }

    std::string contentOf (const fs::path& file)
    {
        std::ifstream in (file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    struct DisplayCase
    {
        std::string label;
        std::optional<std::string> display;   // unset when empty
        std::string reason;                   // what the message must say
    };

    void PrintTo (const DisplayCase& c, std::ostream* os)
    {
        *os << c.label;
    }

    class NoDisplayTest : public e2e::E2eTest,
                          public ::testing::WithParamInterface<DisplayCase>
    {
    };

    TEST_P (NoDisplayTest, TheAppSaysWhyEndsWithStatus1AndLeavesItsSettingsAlone)
    {
        // A saved setup the app must neither rewrite nor lose.
        const std::string settings =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\n<PROPERTIES>\n"
            "  <VALUE name=\"audioDeviceState\">\n"
            "    <DEVICESETUP deviceType=\"JACK\" audioOutputDeviceName=\"system\" audioInputDeviceName=\"system\"/>\n"
            "  </VALUE>\n</PROPERTIES>\n";
        writeSettingsFile (settings);
        const auto settingsFile = e2e::VelthornApp::settingsFileIn (home());
        const auto writtenAt = fs::last_write_time (settingsFile);

        // No sound card and no JACK server either, as on a headless server.
        const auto alsaConfig = logDirectory() / "alsa-without-devices.conf";
        std::ofstream (alsaConfig).flush();

        auto environment = e2e::Environment::minimal()
                               .set ("HOME", home().string())
                               .set ("JACK_DEFAULT_SERVER", e2e::JackServer::uniqueServerName())
                               .set ("ALSA_CONFIG_PATH", alsaConfig.string());

        if (GetParam().display.has_value())
            environment.set ("DISPLAY", *GetParam().display);

        const auto result = e2e::runTool ({ e2e::velthornBinary().string() }, environment, logDirectory(), e2e::toolTimeout);

        ASSERT_TRUE (result.status.has_value()) << "the app was still running\n" << result.describe();
        EXPECT_TRUE (result.status->isExitCode (1)) << result.describe();
        EXPECT_EQ (result.standardError.rfind ("Velthorn: cannot open display", 0), 0u) << result.describe();
        EXPECT_NE (result.standardError.find (GetParam().reason), std::string::npos) << result.describe();
        EXPECT_EQ (result.standardOutput, "");

        EXPECT_EQ (contentOf (settingsFile), settings);
        EXPECT_EQ (fs::last_write_time (settingsFile), writtenAt);
        EXPECT_EQ (std::distance (fs::directory_iterator (settingsFile.parent_path()), fs::directory_iterator()), 1)
            << "nothing beside the settings file";
    }

    INSTANTIATE_TEST_SUITE_P (
        Displays, NoDisplayTest,
        ::testing::Values (DisplayCase { "unset", std::nullopt, "DISPLAY is not set" },
                           DisplayCase { "empty", std::string(), "DISPLAY is not set" },
                           DisplayCase { "nobody_there", displayNobodyServes(), "\"" + displayNobodyServes() + "\"" },
                           DisplayCase { "malformed", std::string ("no-display-here"), "\"no-display-here\"" }),
        [] (const ::testing::TestParamInfo<DisplayCase>& info) { return info.param.label; });
}
