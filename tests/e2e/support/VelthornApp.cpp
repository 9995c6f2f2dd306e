#include "VelthornApp.h"

#include "E2ePaths.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace e2e
{
    namespace
    {
        bool hasConnection (const JackClient& probe, const std::string& port, const std::string& other)
        {
            const auto connections = probe.connectionsOf (port);
            return std::find (connections.begin(), connections.end(), other) != connections.end();
        }

        std::string describeAppPorts (const JackClient& probe)
        {
            std::string text;

            for (const char* name : { "in_1", "in_2", "out_1", "out_2" })
            {
                const auto port = VelthornApp::jackPort (name);
                text += "\n  " + port + (probe.portExists (port) ? " connected to:" : " does not exist");

                for (const auto& other : probe.connectionsOf (port))
                    text += " " + other;
            }

            return text;
        }
    }

    VelthornApp::VelthornApp (const std::filesystem::path& home, const std::string& displayToUse,
                              const std::string& jackServerName, const std::filesystem::path& logs,
                              const std::filesystem::path& binary,
                              const std::vector<std::string>& launcher,
                              const std::vector<std::string>& arguments,
                              const std::string& alsaConfiguration)
        : logDirectory (logs), display (displayToUse)
    {
        std::filesystem::create_directories (home);
        std::filesystem::create_directories (logDirectory);

        // An empty ALSA configuration defines no PCM at all, not even
        // "default", so the app finds no ALSA device on any machine; a test
        // may define the devices it wants instead.
        const auto alsaConfig = logDirectory / (alsaConfiguration.empty() ? "alsa-without-devices.conf" : "alsa.conf");
        std::ofstream (alsaConfig) << alsaConfiguration;

        startupLock = std::make_unique<JackClientNamesLock>();

        ProcessSpec spec;
        spec.label = "velthorn";
        spec.arguments = launcher;
        spec.arguments.push_back (binary.string());
        spec.arguments.insert (spec.arguments.end(), arguments.begin(), arguments.end());
        spec.environment.set ("HOME", home.string())
                        .set ("DISPLAY", display)
                        .set ("JACK_DEFAULT_SERVER", jackServerName)
                        .set ("ALSA_CONFIG_PATH", alsaConfig.string());
        spec.logDirectory = logDirectory;
        app = std::make_unique<Process> (spec);
    }

    VelthornApp::~VelthornApp()
    {
        app->stop();
    }

    std::filesystem::path VelthornApp::settingsFileIn (const std::filesystem::path& home)
    {
        // The framework's per-user properties file on Linux for application
        // "Velthorn", suffix "settings" and no folder name: ~/.<app>/<app>.<suffix>.
        return home / ".Velthorn" / "Velthorn.settings";
    }

    std::filesystem::path VelthornApp::commonSettingsFile()
    {
        return "/var/.Velthorn/Velthorn.settings";
    }

    std::string VelthornApp::jackPort (const std::string& shortName)
    {
        return "Velthorn:" + shortName;
    }

    AppWindow VelthornApp::waitForMainWindow (std::chrono::milliseconds timeout)
    {
        XdoTool xdo (display, logDirectory);
        std::vector<std::string> windows;

        pollUntil (timeout, [&]
        {
            if (! app->isRunning())
                return true;

            windows = xdo.findVisibleWindows (app->pid(), "^Velthorn$");
            return ! windows.empty();
        });

        // The window is shown at the end of start-up, after the audio device
        // was opened (or found missing): the app's JACK client exists by now.
        startupLock.reset();

        if (windows.empty())
            throw std::runtime_error ("Velthorn showed no window titled \"Velthorn\" within "
                                      + std::to_string (timeout.count()) + " ms\n" + app->report());

        AppWindow window (xdo, windows.front(), contentWidth, contentHeight);

        if (! window.waitUntilDrawn (timeout))
            throw std::runtime_error ("Velthorn's window was mapped but not painted within "
                                      + std::to_string (timeout.count()) + " ms\n" + app->report());

        return window;
    }

    ::testing::AssertionResult VelthornApp::waitForJackDevice (const JackServer& server, std::chrono::milliseconds timeout)
    {
        const auto probe = server.openClient (JackServer::uniqueClientName ("observer"));

        // However the wait ends, the app's JACK start-up is over by then.
        struct ReleaseAtEnd
        {
            std::unique_ptr<JackClientNamesLock>& lock;
            ~ReleaseAtEnd() { lock.reset(); }
        } releaseAtEnd { startupLock };

        const bool connected = pollUntil (timeout, [&]
        {
            return ! app->isRunning()
                   || (hasConnection (*probe, jackPort ("in_1"), "system:capture_1")
                       && hasConnection (*probe, jackPort ("in_2"), "system:capture_2")
                       && hasConnection (*probe, jackPort ("out_1"), "system:playback_1")
                       && hasConnection (*probe, jackPort ("out_2"), "system:playback_2"));
        });

        if (connected && app->isRunning())
            return ::testing::AssertionSuccess();

        return ::testing::AssertionFailure()
               << "Velthorn did not open the JACK device of server " << server.name() << " within "
               << timeout.count() << " ms; its ports:" << describeAppPorts (*probe) << "\n" << app->report();
    }

    std::optional<ExitStatus> VelthornApp::closeWithCloseButton (const AppWindow& window, std::chrono::milliseconds timeout)
    {
        return quitBy ([&window] { window.clickCloseButton(); }, timeout);
    }

    std::optional<ExitStatus> VelthornApp::quitBy (const std::function<void()>& action, std::chrono::milliseconds timeout)
    {
        // Closing the app's JACK client removes its socket path, which must not
        // happen while another app's client is being opened.
        const JackClientNamesLock lock;

        action();
        return app->waitForExit (timeout);
    }
}
