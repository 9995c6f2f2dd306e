#pragma once

#include "AppWindow.h"
#include "E2ePaths.h"
#include "JackClientNamesLock.h"
#include "JackServer.h"
#include "Polling.h"
#include "Process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace e2e
{
    // The real Velthorn binary, started the way a person's desktop would start
    // it, but with HOME pointing at a private folder (so no real settings are
    // read or written), DISPLAY at the test's X server and JACK_DEFAULT_SERVER
    // at the test's JACK server. ALSA is given a configuration of the test's
    // own (without any device unless the test defines some), so whatever
    // sound card the machine has stays out of the test and the app meets
    // exactly the devices the test provides. Stopped by its pid when this
    // object goes.
    //
    // The app's JACK client name is fixed, so from its start until its window
    // is up (its device is open by then) it holds the JackClientNamesLock,
    // and so does a clean exit through closeWithCloseButton. Test thread only.
    class VelthornApp final
    {
    public:
        static constexpr int contentWidth = 800;
        static constexpr int contentHeight = 600;

        // Test thread: takes the JackClientNamesLock, then starts the app
        // (the build's binary unless another is given, e.g. an installed
        // one), through `launcher` (a command and its arguments that runs the
        // rest of its command line) when that is not empty, with `arguments`
        // on the app's own command line and `alsaConfiguration` as ALSA's
        // whole configuration; throws if the binary cannot be run.
        VelthornApp (const std::filesystem::path& home, const std::string& display,
                     const std::string& jackServerName, const std::filesystem::path& logDirectory,
                     const std::filesystem::path& binary = velthornBinary(),
                     const std::vector<std::string>& launcher = {},
                     const std::vector<std::string>& arguments = {},
                     const std::string& alsaConfiguration = {});
        // Test thread: stops the app by its pid if it still runs.
        ~VelthornApp();

        VelthornApp (const VelthornApp&) = delete;
        VelthornApp& operator= (const VelthornApp&) = delete;

        // Test thread: where the app keeps its settings for a given HOME.
        static std::filesystem::path settingsFileIn (const std::filesystem::path& home);

        // Test thread: the all-users settings file the framework consults when
        // a key is missing from the per-user one. HOME cannot redirect it, so
        // tests can only check that the machine has none.
        static std::filesystem::path commonSettingsFile();

        // Test thread: "Velthorn:<port>", the app's JACK ports (in_1, in_2, out_1, out_2).
        static std::string jackPort (const std::string& shortName);

        // Test thread.
        Process& process() noexcept { return *app; }

        // Test thread: waits until the main window is mapped and painted, and
        // returns it; throws, with the app's output, if it does not appear or
        // the app dies. The window is shown only after the main panel (and
        // with it the audio device and the engine's registration) is complete.
        AppWindow waitForMainWindow (std::chrono::milliseconds timeout = startupTimeout);

        // Test thread: waits until the app's JACK client has its two inputs fed
        // by system:capture_1/2 and its two outputs feeding system:playback_1/2,
        // which is what opening the JACK device with 2 ins and 2 outs does.
        ::testing::AssertionResult waitForJackDevice (const JackServer& server,
                                                      std::chrono::milliseconds timeout = startupTimeout);

        // Test thread: clicks the window's close button and waits for the app
        // to end by itself; empty if it is still running at the deadline.
        std::optional<ExitStatus> closeWithCloseButton (const AppWindow& window,
                                                        std::chrono::milliseconds timeout = shutdownTimeout);

        // Test thread: does what should make the app quit (a click, a key)
        // while holding the JackClientNamesLock, as its JACK client closes
        // then, and waits for the app to end by itself; empty if it is still
        // running at the deadline.
        std::optional<ExitStatus> quitBy (const std::function<void()>& action,
                                          std::chrono::milliseconds timeout = shutdownTimeout);

    private:
        std::filesystem::path logDirectory;
        std::string display;
        // Held from start-up until the app's JACK client is open; declared
        // before `app`, so the app is stopped before it is released.
        std::unique_ptr<JackClientNamesLock> startupLock;
        std::unique_ptr<Process> app;
    };
}
