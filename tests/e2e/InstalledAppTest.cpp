#include "E2eTest.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifndef VELTHORN_INSTALLED_PREFIX
 #error "VELTHORN_INSTALLED_PREFIX must name the prefix of the installed test tree"
#endif

namespace
{
    const std::filesystem::path installedPrefix (VELTHORN_INSTALLED_PREFIX);

    // The value of `key` in the [Desktop Entry] group, or empty.
    std::string desktopEntryValue (const std::filesystem::path& file, const std::string& key)
    {
        std::ifstream in (file);
        std::string line;

        while (std::getline (in, line))
            if (line.rfind (key + "=", 0) == 0)
                return line.substr (key.size() + 1);

        return {};
    }

    // The numbers xprop prints for a 32-bit property, in order.
    std::vector<std::uint64_t> cardinals (const std::string& text)
    {
        std::vector<std::uint64_t> values;
        const auto equals = text.find ('=');

        if (equals == std::string::npos)
            return values;

        std::istringstream in (text.substr (equals + 1));
        std::string item;

        while (std::getline (in, item, ','))
            values.push_back (std::stoull (item));

        return values;
    }

    class InstalledAppTest : public e2e::E2eTest
    {
    protected:
        e2e::ToolResult xprop (const std::string& windowId, const std::vector<std::string>& arguments)
        {
            std::vector<std::string> commandLine { "xprop", "-id", windowId };
            commandLine.insert (commandLine.end(), arguments.begin(), arguments.end());
            return e2e::runTool (commandLine, e2e::Environment::minimal().set ("DISPLAY", startXvfb().display()),
                                 logDirectory(), std::chrono::seconds (20));
        }
    };

    TEST_F (InstalledAppTest, InstalledBinaryOpensTheVelthornWindowWithIconAndTheDesktopEntrysWindowClass)
    {
        const auto binary = installedPrefix / "bin" / "Velthorn";
        const auto desktopFile = installedPrefix / "share" / "applications" / "audio.velthorn.Velthorn.desktop";
        ASSERT_TRUE (std::filesystem::exists (binary)) << binary << " is missing: the install fixture did not run";

        auto& app = launchApp (binary);
        // Found by its title, "Velthorn", among the windows of this process.
        const auto window = app.waitForMainWindow();

        // Docks group the window under the menu entry by this class.
        const auto wmClass = xprop (window.id(), { "-notype", "WM_CLASS" });
        ASSERT_TRUE (wmClass.succeeded()) << wmClass.describe();
        const auto startupClass = desktopEntryValue (desktopFile, "StartupWMClass");
        ASSERT_FALSE (startupClass.empty()) << desktopFile << " has no StartupWMClass";
        EXPECT_NE (wmClass.standardOutput.find ("\"" + startupClass + "\"\n"), std::string::npos)
            << "the window's class is " << wmClass.standardOutput << " but the desktop entry says " << startupClass;

        // _NET_WM_ICON: width, height, then width x height ARGB pixels.
        const auto icon = xprop (window.id(), { "-notype", "-f", "_NET_WM_ICON", "32c", "=$0+\\n", "_NET_WM_ICON" });
        ASSERT_TRUE (icon.succeeded()) << icon.describe();
        const auto values = cardinals (icon.standardOutput);
        ASSERT_GE (values.size(), 2u) << "no icon on the window: " << icon.standardOutput;

        const auto width = values[0], height = values[1];
        EXPECT_EQ (width, 128u);
        EXPECT_EQ (height, 128u);
        ASSERT_EQ (values.size(), 2 + width * height);

        // The tile is opaque in its middle and leaves the corners clear.
        const auto alphaAt = [&] (std::uint64_t x, std::uint64_t y) { return (values[2 + y * width + x] >> 24) & 0xff; };
        EXPECT_EQ (alphaAt (width / 2, height / 2), 0xffu);
        EXPECT_EQ (alphaAt (0, 0), 0u);
    }
}
