#include "PrivateWinePrefix.h"
#include "TempDirectory.h"
#include "WindowsVelthornApp.h"
#include "XvfbServer.h"

#include "AppWindow.h"
#include "Process.h"
#include "ToolRun.h"
#include "XdoTool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#if ! defined (VELTHORN_WINDOWS_INSTALLER) || ! defined (VELTHORN_WINDOWS_BUILD) || ! defined (VELTHORN_VST3_SCAN) \
    || ! defined (VELTHORN_PROJECT_VERSION)
 #error "the build must name the installer, the Windows build, the scan program and the version"
#endif

namespace
{
    namespace fs = std::filesystem;
    using windowstest::PrivateWinePrefix;

    const std::string programFolder = "C:\\Program Files\\Velthorn";
    const std::string vst3Folder = "C:\\Program Files\\Common Files\\VST3";
    const std::string vst3Bundle = vst3Folder + "\\Velthorn.vst3";
    const std::string startMenuEntry = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Velthorn.lnk";
    const std::string uninstallKey = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velthorn";

    std::string withoutCarriageReturns (std::string text)
    {
        text.erase (std::remove (text.begin(), text.end(), '\r'), text.end());
        return text;
    }

    std::vector<char> bytesOf (const fs::path& file)
    {
        std::ifstream in (file, std::ios::binary);
        return { std::istreambuf_iterator<char> (in), std::istreambuf_iterator<char>() };
    }

    ::testing::AssertionResult sameFile (const fs::path& installed, const fs::path& built)
    {
        if (! fs::is_regular_file (installed))
            return ::testing::AssertionFailure() << installed << " is not there";

        if (bytesOf (installed) != bytesOf (built))
            return ::testing::AssertionFailure() << installed << " is not the build's " << built;

        return ::testing::AssertionSuccess();
    }

    // Every file and folder on drive C, relative to it, but those whose
    // change is no trace of an installation: temporary files (where the
    // uninstaller runs a copy of itself that Windows removes at the next
    // start), and wine's own bookkeeping of fonts and devices.
    std::set<std::string> driveContents (const PrivateWinePrefix& prefix)
    {
        const auto drive = prefix.onDriveC ("C:\\");
        std::set<std::string> contents;

        for (auto entry = fs::recursive_directory_iterator (drive); entry != fs::recursive_directory_iterator(); ++entry)
        {
            const auto relative = entry->path().lexically_relative (drive).string();

            if (relative.find ("/Temp") != std::string::npos || relative.rfind ("windows/temp", 0) == 0)
            {
                if (entry->is_directory())
                    entry.disable_recursion_pending();

                continue;
            }

            contents.insert (relative);
        }

        return contents;
    }

    std::string listOf (const std::vector<std::string>& entries)
    {
        std::string text;

        for (const auto& entry : entries)
            text += "\n  " + entry;

        return text;
    }

    // What `reg query` says of the key, values only, or an empty text when
    // the key is not there.
    std::string registryKey (const PrivateWinePrefix& prefix, const std::string& key)
    {
        const auto result = prefix.run ({ "reg", "query", key });
        return result.succeeded() ? withoutCarriageReturns (result.standardOutput) : std::string();
    }

    // The plugins a Windows host's scan finds, one "name|manufacturer|version|file" a line.
    std::vector<std::string> pluginsHostsFind (const PrivateWinePrefix& prefix)
    {
        const auto scan = prefix.run ({ VELTHORN_VST3_SCAN });

        if (! scan.succeeded())
            throw std::runtime_error ("the host's scan failed: " + scan.describe());

        std::vector<std::string> plugins;
        std::stringstream lines (withoutCarriageReturns (scan.standardOutput));
        std::string line;

        while (std::getline (lines, line))
            if (line.rfind ("plugin|", 0) == 0)
                plugins.push_back (line.substr (7));

        return plugins;
    }

    class WindowsInstallerTest : public ::testing::Test
    {
    protected:
        e2e::TempDirectory work { "velthorn-wine-installer-" };
        PrivateWinePrefix prefix { work.path() / "wine", work.path() / "logs" };
    };

    // A silent installation into a Windows with nothing of Velthorn on it,
    // the installed programs at work, and a silent removal that leaves the
    // machine as it was.
    TEST_F (WindowsInstallerTest, SilentInstallPutsEverythingInPlaceAndSilentUninstallTakesItAllAway)
    {
        const auto before = driveContents (prefix);
        ASSERT_EQ (registryKey (prefix, uninstallKey), "");
        ASSERT_FALSE (fs::exists (prefix.onDriveC (vst3Folder)));

        const auto install = prefix.run ({ VELTHORN_WINDOWS_INSTALLER, "/S" });
        ASSERT_TRUE (install.succeeded()) << install.describe();

        // The programs in Program Files, as built; the VST3 bundle where
        // Windows hosts look for plugins.
        const fs::path build (VELTHORN_WINDOWS_BUILD);
        EXPECT_TRUE (sameFile (prefix.onDriveC (programFolder + "\\Velthorn.exe"), build / "bin" / "Velthorn.exe"));
        EXPECT_TRUE (sameFile (prefix.onDriveC (programFolder + "\\velthorn-render.exe"), build / "bin" / "velthorn-render.exe"));
        EXPECT_TRUE (sameFile (prefix.onDriveC (vst3Bundle + "\\Contents\\x86_64-win\\Velthorn.vst3"),
                               build / "plugins" / "VST3" / "Velthorn.vst3" / "Contents" / "x86_64-win" / "Velthorn.vst3"));
        EXPECT_TRUE (fs::is_regular_file (prefix.onDriveC (programFolder + "\\README.txt")));
        EXPECT_TRUE (fs::is_regular_file (prefix.onDriveC (programFolder + "\\licences\\GPL-3.txt")));
        EXPECT_TRUE (fs::is_regular_file (prefix.onDriveC (programFolder + "\\Uninstall.exe")));

        // The Start menu entry starts the app and shows its icon: the
        // shortcut names the program (in UTF-16, as Windows keeps paths).
        const auto shortcut = bytesOf (prefix.onDriveC (startMenuEntry));
        ASSERT_FALSE (shortcut.empty()) << "no Start menu entry " << startMenuEntry;
        std::string target;
        for (const char c : programFolder + "\\Velthorn.exe")
            target += { c, '\0' };
        EXPECT_NE (std::search (shortcut.begin(), shortcut.end(), target.begin(), target.end()), shortcut.end())
            << "the Start menu entry does not lead to " << programFolder << "\\Velthorn.exe";

        // Windows lists it among the installed apps, with a way to remove it.
        const auto listed = registryKey (prefix, uninstallKey);
        for (const auto& value : { std::string ("DisplayName    REG_SZ    Velthorn"),
                                   std::string ("DisplayVersion    REG_SZ    ") + VELTHORN_PROJECT_VERSION,
                                   "UninstallString    REG_SZ    \"" + programFolder + "\\Uninstall.exe\"",
                                   "QuietUninstallString    REG_SZ    \"" + programFolder + "\\Uninstall.exe\" /S",
                                   "InstallLocation    REG_SZ    " + programFolder,
                                   "DisplayIcon    REG_SZ    " + programFolder + "\\Velthorn.exe,0" })
            EXPECT_NE (listed.find (value + "\n"), std::string::npos) << "no " << value << " in:\n" << listed;

        // The installed programs run.
        const auto version = prefix.run ({ programFolder + "\\velthorn-render.exe", "--version" });
        EXPECT_TRUE (version.succeeded()) << version.describe();
        EXPECT_EQ (withoutCarriageReturns (version.standardOutput).rfind (std::string ("velthorn-render ") + VELTHORN_PROJECT_VERSION + "\n", 0), 0u)
            << version.describe();

        // The runs above had no display, and wine gives every program of a
        // session the display of the session's first one: the app starts a
        // session of its own, as a user's click in the Start menu would.
        ASSERT_TRUE (prefix.waitUntilAllProgramsEnded());
        {
            e2e::XvfbServer display (work.path() / "logs");
            // An ALSA without devices: the app starts without sound.
            const auto noDevices = work.path() / "alsa-without-devices.conf";
            std::ofstream (noDevices).flush();

            e2e::ProcessSpec spec;
            spec.label = "installed-velthorn";
            spec.arguments = { PrivateWinePrefix::wineProgram(), programFolder + "\\Velthorn.exe" };
            spec.environment = prefix.environment().set ("DISPLAY", display.display()).set ("ALSA_CONFIG_PATH", noDevices.string());
            spec.logDirectory = work.path() / "logs";
            e2e::Process app (spec);

            e2e::XdoTool xdo (display.display(), work.path() / "logs");
            const auto window = xdo.waitForVisibleWindow (app.pid(), "^Velthorn$", windowstest::wineStartupTimeout);
            ASSERT_TRUE (window.has_value()) << "the installed Velthorn.exe showed no window\n" << app.report();

            e2e::AppWindow appWindow (xdo, *window, windowstest::WindowsVelthornApp::contentWidth,
                                      windowstest::WindowsVelthornApp::contentHeight);
            appWindow.clickCloseButton();
            const auto status = app.waitForExit (std::chrono::minutes (1));
            ASSERT_TRUE (status.has_value()) << "the installed Velthorn.exe did not close\n" << app.report();
            EXPECT_TRUE (status->isExitCode (0)) << status->describe() << "\n" << app.report();
        }

        // A host's scan of the folders Windows hosts search finds it there.
        const auto found = pluginsHostsFind (prefix);
        const auto expected = std::string ("Velthorn|Velthorn|") + VELTHORN_PROJECT_VERSION + "|" + vst3Bundle
                              + "\\Contents\\x86_64-win\\Velthorn.vst3";
        EXPECT_NE (std::find (found.begin(), found.end(), expected), found.end())
            << "a host's scan did not find " << expected << "; it found:" << listOf (found);

        // Silent removal. The uninstaller runs a copy of itself from the
        // temporary folder and returns at once; that copy does the work.
        const auto uninstall = prefix.run ({ programFolder + "\\Uninstall.exe", "/S" });
        ASSERT_TRUE (uninstall.succeeded()) << uninstall.describe();
        ASSERT_TRUE (prefix.waitUntilAllProgramsEnded());

        EXPECT_EQ (registryKey (prefix, uninstallKey), "");
        EXPECT_TRUE (pluginsHostsFind (prefix).empty()) << listOf (pluginsHostsFind (prefix));

        const auto after = driveContents (prefix);
        std::vector<std::string> left, gone;
        std::set_difference (after.begin(), after.end(), before.begin(), before.end(), std::back_inserter (left));
        std::set_difference (before.begin(), before.end(), after.begin(), after.end(), std::back_inserter (gone));
        EXPECT_TRUE (left.empty()) << "left behind on drive C:" << listOf (left);
        EXPECT_TRUE (gone.empty()) << "gone from drive C:" << listOf (gone);
    }

    // Appends `marker` to a file, as a user's or another program's change
    // would mark it: a file the setup replaced or removed loses it.
    void appendMarker (const fs::path& file, const std::string& marker)
    {
        std::ofstream (file, std::ios::binary | std::ios::app) << marker;
    }

    bool endsWith (const fs::path& file, const std::string& marker)
    {
        const auto bytes = bytesOf (file);
        return bytes.size() >= marker.size() && std::equal (marker.begin(), marker.end(), bytes.end() - static_cast<ptrdiff_t> (marker.size()));
    }

    // Windows will not replace a running program's files: a setup over a
    // running Velthorn replaced velthorn-render.exe, kept the old
    // Velthorn.exe and said it had succeeded. Now the installer and the
    // uninstaller look for the running app first and, silent, stop with
    // status 2 before touching anything; once it has ended they do their work.
    TEST_F (WindowsInstallerTest, SilentSetupOverARunningVelthornChangesNothingAndSaysSo)
    {
        // A folder without spaces: the uninstaller takes the folder after
        // _?= unquoted, and wine quotes an argument with spaces.
        const std::string folder = "C:\\Velthorn";
        const auto install = prefix.run ({ VELTHORN_WINDOWS_INSTALLER, "/S", "/D=" + folder });
        ASSERT_TRUE (install.succeeded()) << install.describe();
        ASSERT_TRUE (prefix.waitUntilAllProgramsEnded());

        const std::string marker = "velthorn-installer-test-marker";
        const std::vector<fs::path> installed { prefix.onDriveC (folder + "\\Velthorn.exe"),
                                                prefix.onDriveC (folder + "\\velthorn-render.exe"),
                                                prefix.onDriveC (folder + "\\README.txt") };
        for (const auto& file : installed)
            appendMarker (file, marker);

        e2e::XvfbServer display (work.path() / "logs");
        const auto noDevices = work.path() / "alsa-without-devices.conf";
        std::ofstream (noDevices).flush();

        e2e::ProcessSpec spec;
        spec.label = "running-velthorn";
        spec.arguments = { PrivateWinePrefix::wineProgram(), folder + "\\Velthorn.exe" };
        spec.environment = prefix.environment().set ("DISPLAY", display.display()).set ("ALSA_CONFIG_PATH", noDevices.string());
        spec.logDirectory = work.path() / "logs";
        e2e::Process app (spec);

        // Its window shows once the app is under way, the mark it holds up included.
        e2e::XdoTool xdo (display.display(), work.path() / "logs");
        const auto window = xdo.waitForVisibleWindow (app.pid(), "^Velthorn$", windowstest::wineStartupTimeout);
        ASSERT_TRUE (window.has_value()) << "the installed Velthorn.exe showed no window\n" << app.report();

        const auto before = driveContents (prefix);
        const auto listedBefore = registryKey (prefix, uninstallKey);

        const auto again = prefix.run ({ VELTHORN_WINDOWS_INSTALLER, "/S", "/D=" + folder });
        ASSERT_TRUE (again.status.has_value()) << again.describe();
        EXPECT_TRUE (again.status->isExitCode (2)) << again.describe();

        // Run in place (_?=), the uninstaller returns its own status rather
        // than that of the copy it would start.
        const auto removal = prefix.run ({ folder + "\\Uninstall.exe", "/S", "_?=" + folder });
        ASSERT_TRUE (removal.status.has_value()) << removal.describe();
        EXPECT_TRUE (removal.status->isExitCode (2)) << removal.describe();

        // Interactively the installer asks to close the app: Retry while it
        // still runs asks again, Cancel stops it as silence does.
        {
            e2e::ProcessSpec setupSpec;
            setupSpec.label = "interactive-setup";
            setupSpec.arguments = { PrivateWinePrefix::wineProgram(), VELTHORN_WINDOWS_INSTALLER };
            setupSpec.environment = prefix.environment().set ("DISPLAY", display.display());
            setupSpec.logDirectory = work.path() / "logs";
            e2e::Process setup (setupSpec);

            const auto question = xdo.waitForVisibleWindow (setup.pid(), "^Velthorn", windowstest::wineStartupTimeout);
            ASSERT_TRUE (question.has_value()) << "the installer asked nothing\n" << setup.report();
            xdo.pressKeys (*question, "Return");   // Retry, the default button
            ASSERT_TRUE (xdo.waitUntilWindowHidden (*question, windowstest::wineStartupTimeout)) << setup.report();

            const auto again = xdo.waitForVisibleWindow (setup.pid(), "^Velthorn", windowstest::wineStartupTimeout);
            ASSERT_TRUE (again.has_value()) << "Retry with the app still running did not ask again\n" << setup.report();
            xdo.pressKeys (*again, "Escape");   // Cancel

            const auto ended = setup.waitForExit (std::chrono::minutes (1));
            ASSERT_TRUE (ended.has_value()) << "the installer went on after Cancel\n" << setup.report();
            EXPECT_TRUE (ended->isExitCode (2)) << ended->describe() << "\n" << setup.report();
        }

        for (const auto& file : installed)
            EXPECT_TRUE (endsWith (file, marker)) << file << " was replaced or removed under the running app";

        EXPECT_EQ (driveContents (prefix), before) << "drive C changed";
        EXPECT_EQ (registryKey (prefix, uninstallKey), listedBefore);

        e2e::AppWindow appWindow (xdo, *window, windowstest::WindowsVelthornApp::contentWidth,
                                  windowstest::WindowsVelthornApp::contentHeight);
        appWindow.clickCloseButton();
        const auto status = app.waitForExit (std::chrono::minutes (1));
        ASSERT_TRUE (status.has_value()) << "Velthorn.exe did not close\n" << app.report();

        // With the app gone, the same silent setup replaces every file.
        const auto afterwards = prefix.run ({ VELTHORN_WINDOWS_INSTALLER, "/S", "/D=" + folder });
        ASSERT_TRUE (afterwards.succeeded()) << afterwards.describe();
        const fs::path build (VELTHORN_WINDOWS_BUILD);
        EXPECT_TRUE (sameFile (installed[0], build / "bin" / "Velthorn.exe"));
        EXPECT_TRUE (sameFile (installed[1], build / "bin" / "velthorn-render.exe"));
        EXPECT_FALSE (endsWith (installed[2], marker));
    }
}
