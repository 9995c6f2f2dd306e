#pragma once

#include "AppRecording.h"
#include "AppWindow.h"
#include "JackServer.h"
#include "PrivateWinePrefix.h"
#include "Process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace windowstest
{
    // Under wine the framework scans every device type, and wine opens the
    // ALSA device anew for each format it is asked about: hundreds of JACK
    // clients come and go before the window shows, which takes half a
    // minute on a busy two-core machine. The deadline bounds a wait; it is
    // never asserted on.
    inline constexpr std::chrono::milliseconds wineStartupTimeout { 180000 };

    // Velthorn.exe, the Windows build of the app, run by wine in a private
    // prefix on the test's X server. Wine plays "Windows Audio" and
    // "DirectSound" through ALSA, and ALSA's default device is given here as
    // the jack plugin on the test's JACK server: the app's sound then comes
    // and goes through two JACK clients of a name of this app's own, whose
    // ports in_000/in_001 (the app's inputs) and out_000/out_001 (its
    // outputs) follow system:capture and system:playback as the Linux app's
    // do. Stopped by its pid when this object goes. Test thread only.
    class WindowsVelthornApp final
    {
    public:
        static constexpr int contentWidth = 800;
        static constexpr int contentHeight = 600;

        // Test thread: starts Velthorn.exe with `arguments`; throws if wine
        // cannot be run.
        WindowsVelthornApp (const PrivateWinePrefix& prefix, const std::string& display,
                            const std::string& jackServerName, const std::filesystem::path& logDirectory,
                            const std::vector<std::string>& arguments = {});
        // Test thread: stops the app by its pid if it still runs.
        ~WindowsVelthornApp();

        WindowsVelthornApp (const WindowsVelthornApp&) = delete;
        WindowsVelthornApp& operator= (const WindowsVelthornApp&) = delete;

        // Test thread: the Windows build's Velthorn.exe.
        static std::filesystem::path binary();

        // Test thread: wine's process, which is the app's (the loader becomes it).
        e2e::Process& process() noexcept { return *app; }

        // Test thread: where the app keeps its settings in the prefix:
        // %APPDATA%\Velthorn\Velthorn.settings.
        static std::filesystem::path settingsFileIn (const PrivateWinePrefix& prefix);

        // Test thread: waits until the window titled "Velthorn" is mapped
        // and painted, and returns it; throws, with the app's output, if it
        // does not appear or the app dies.
        e2e::AppWindow waitForMainWindow (std::chrono::milliseconds timeout = wineStartupTimeout);

        // Test thread: waits until wine's two JACK clients for the app have
        // their ports connected to system:capture_1/2 and system:playback_1/2,
        // which is the app's audio device running with two inputs and two
        // outputs, and gives those ports.
        ::testing::AssertionResult waitForJackPorts (const e2e::JackServer& server, e2e::PortsUnderTest& ports,
                                                     std::chrono::milliseconds timeout = wineStartupTimeout);

        // Test thread: does what should make the app quit and waits for it
        // to end by itself; empty if it still runs at the deadline.
        std::optional<e2e::ExitStatus> quitBy (const std::function<void()>& action,
                                               std::chrono::milliseconds timeout = std::chrono::seconds (60));

    private:
        std::filesystem::path logDirectory;
        std::string display;
        std::string jackClientName;
        std::unique_ptr<e2e::Process> app;
    };
}
