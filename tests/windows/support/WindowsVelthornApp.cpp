#include "WindowsVelthornApp.h"

#include "JackClient.h"
#include "Polling.h"
#include "XdoTool.h"

#include <fstream>
#include <stdexcept>

#if ! defined (VELTHORN_WINDOWS_APP_BINARY)
 #error "the build must name Velthorn.exe"
#endif

namespace windowstest
{
    namespace
    {
        // ALSA's default device as the jack plugin, under a client name of
        // this app's own: JACK names a client's socket after the client
        // alone, whatever its server, so apps of tests running side by side
        // must not share one.
        void writeAlsaConfiguration (const std::filesystem::path& file, const std::string& clientName)
        {
            std::ofstream out (file);
            out << "pcm.!default {\n"
                   "    type jack\n"
                   "    name \"" << clientName << "\"\n"
                   "    playback_ports {\n"
                   "        0 system:playback_1\n"
                   "        1 system:playback_2\n"
                   "    }\n"
                   "    capture_ports {\n"
                   "        0 system:capture_1\n"
                   "        1 system:capture_2\n"
                   "    }\n"
                   "}\n";

            if (! out)
                throw std::runtime_error ("cannot write " + file.string());
        }

        bool connectedTo (const e2e::JackClient& probe, const std::string& port, const std::string& other)
        {
            for (const auto& connection : probe.connectionsOf (port))
                if (connection == other)
                    return true;

            return false;
        }
    }

    WindowsVelthornApp::WindowsVelthornApp (const PrivateWinePrefix& prefix, const std::string& displayToUse,
                                            const std::string& jackServerName, const std::filesystem::path& logs,
                                            const std::vector<std::string>& arguments)
        : logDirectory (logs), display (displayToUse), jackClientName (e2e::JackServer::uniqueClientName ("wine"))
    {
        std::filesystem::create_directories (logDirectory);
        const auto alsaConfig = logDirectory / "alsa-jack.conf";
        writeAlsaConfiguration (alsaConfig, jackClientName);

        e2e::ProcessSpec spec;
        spec.label = "velthorn-exe";
        spec.arguments = { PrivateWinePrefix::wineProgram(), binary().string() };
        spec.arguments.insert (spec.arguments.end(), arguments.begin(), arguments.end());
        spec.environment = prefix.environment()
                               .set ("DISPLAY", display)
                               .set ("JACK_DEFAULT_SERVER", jackServerName)
                               .set ("ALSA_CONFIG_PATH", alsaConfig.string());
        spec.logDirectory = logDirectory;
        app = std::make_unique<e2e::Process> (spec);
    }

    WindowsVelthornApp::~WindowsVelthornApp()
    {
        app->stop();
    }

    std::filesystem::path WindowsVelthornApp::binary()
    {
        return VELTHORN_WINDOWS_APP_BINARY;
    }

    std::filesystem::path WindowsVelthornApp::settingsFileIn (const PrivateWinePrefix& prefix)
    {
        return prefix.roamingAppData() / "Velthorn" / "Velthorn.settings";
    }

    e2e::AppWindow WindowsVelthornApp::waitForMainWindow (std::chrono::milliseconds timeout)
    {
        e2e::XdoTool xdo (display, logDirectory);
        std::vector<std::string> windows;

        e2e::pollUntil (timeout, [&]
        {
            if (! app->isRunning())
                return true;

            // Wine names the X window after the Windows one and gives it the
            // pid of the process, which is the one started here.
            windows = xdo.findVisibleWindows (app->pid(), "^Velthorn$");
            return ! windows.empty();
        });

        if (windows.empty())
            throw std::runtime_error ("Velthorn.exe showed no window titled \"Velthorn\" within "
                                      + std::to_string (timeout.count()) + " ms\n" + app->report());

        e2e::AppWindow window (xdo, windows.front(), contentWidth, contentHeight);

        if (! window.waitUntilDrawn (timeout))
            throw std::runtime_error ("Velthorn.exe's window was mapped but not painted within "
                                      + std::to_string (timeout.count()) + " ms\n" + app->report());

        return window;
    }

    ::testing::AssertionResult WindowsVelthornApp::waitForJackPorts (const e2e::JackServer& server, e2e::PortsUnderTest& ports,
                                                                      std::chrono::milliseconds timeout)
    {
        const auto probe = server.openClient (e2e::JackServer::uniqueClientName ("observer"));

        // The capture and the playback stream are a client each; the one
        // that opens second gets "-01" added to the name.
        const std::string names[] { jackClientName, jackClientName + "-01" };

        const auto find = [&] (const std::string& shortName) -> std::string
        {
            for (const auto& client : names)
                if (probe->portExists (client + ":" + shortName))
                    return client + ":" + shortName;

            return {};
        };

        const auto running = [&]
        {
            ports = { find ("in_000"), find ("in_001"), find ("out_000"), find ("out_001") };

            return ! ports.leftIn.empty() && ! ports.rightIn.empty() && ! ports.leftOut.empty() && ! ports.rightOut.empty()
                   && connectedTo (*probe, ports.leftIn, "system:capture_1") && connectedTo (*probe, ports.rightIn, "system:capture_2")
                   && connectedTo (*probe, ports.leftOut, "system:playback_1") && connectedTo (*probe, ports.rightOut, "system:playback_2");
        };

        const bool found = e2e::pollUntil (timeout, [&] { return ! app->isRunning() || running(); });

        if (found && app->isRunning())
            return ::testing::AssertionSuccess();

        return ::testing::AssertionFailure() << "wine opened no JACK clients " << jackClientName << " with connected ports "
                                             << "in_000, in_001, out_000 and out_001 on server " << server.name() << " within "
                                             << timeout.count() << " ms\n" << app->report();
    }

    std::optional<e2e::ExitStatus> WindowsVelthornApp::quitBy (const std::function<void()>& action, std::chrono::milliseconds timeout)
    {
        action();
        return app->waitForExit (timeout);
    }
}
