#include "HostAudioCheck.h"
#include "HostTest.h"
#include "JackPorts.h"
#include "ParameterNames.h"
#include "PluginPaths.h"
#include "Polling.h"
#include "ToolRun.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace
{
    // Ardour's package keeps its own libraries in a private folder; its
    // plugin scanner is a separate program that needs them on the path.
    const std::string ardourLibraries = "/usr/lib/ardour7";

    int hostIndexOf (const std::string& parameterId)
    {
        const auto found = std::find (hosttest::parameterIds.begin(), hosttest::parameterIds.end(), parameterId);

        if (found == hosttest::parameterIds.end())
            throw std::invalid_argument ("no parameter " + parameterId);

        return static_cast<int> (found - hosttest::parameterIds.begin());
    }

    // A headless Ardour session on the JACK backend: one stereo audio track
    // monitoring its input, with the VST3 as its first plug-in and the
    // settings made from the script. The script says READY once everything
    // is in place and ends the session when the stop file appears.
    std::string sessionScript (const std::string& clientName, const std::filesystem::path& sessionFolder,
                               const std::vector<hosttest::Setting>& settings,
                               const std::filesystem::path& stopFile)
    {
        std::string script =
            "local backend = AudioEngine:set_backend ('JACK', '" + clientName + "', '')\n"
            "assert (backend, 'no JACK backend')\n"
            "assert (AudioEngine:start (false) == 0, 'the engine did not start')\n"
            "local session = create_session ('" + sessionFolder.string() + "', 'hosttest', "
                + std::to_string (e2e::JackServer::sampleRate) + ")\n"
            "assert (session, 'no session')\n"
            "local track = session:new_audio_track (2, 2, nil, 1, 'Guitar', ARDOUR.PresentationInfo.max_order,"
            " ARDOUR.TrackMode.Normal, true, false):front ()\n"
            "local plugin = ARDOUR.LuaAPI.new_plugin (session, 'Velthorn', ARDOUR.PluginType.VST3, '')\n"
            "assert (not plugin:isnil (), 'Ardour did not find the Velthorn VST3')\n"
            "assert (track:add_processor_by_index (plugin, 0, nil, true) == 0, 'the plug-in was not added')\n"
            // The panner would weigh the two channels; the fader stays at unity.
            "track:panner_shell ():set_bypassed (true)\n"
            "track:monitoring_control ():set_value (ARDOUR.MonitorChoice.MonitorInput,"
            " PBD.GroupControlDisposition.NoGroup)\n";

        for (const auto& setting : settings)
            script += "assert (ARDOUR.LuaAPI.set_processor_param (plugin, " + std::to_string (hostIndexOf (setting.name))
                      + ", " + std::to_string (setting.value) + "), 'cannot set " + setting.name + "')\n";

        script +=
            "print ('READY')\n"
            "io.stdout:flush ()\n"
            "while not io.open ('" + stopFile.string() + "') do ARDOUR.LuaAPI.usleep (20000) end\n"
            "session:save_state ('', false, false, false, false, false)\n"
            "close_session ()\n"
            "AudioEngine:stop (false)\n"
            "print ('CLOSED')\n";

        return script;
    }

    class ArdourTest : public hosttest::HostTest
    {
    protected:
        e2e::Environment ardourEnvironment() const
        {
            auto environment = hostEnvironment();
            environment.set ("VST3_PATH", hosttest::vst3Bundle().parent_path().string());
            environment.set ("LD_LIBRARY_PATH", ardourLibraries);
            return environment;
        }

        // Test thread: Ardour lists a VST3 only once its scanner has indexed
        // it into the cache under HOME; the scanner is what the program runs
        // when it meets a new bundle.
        void scanPlugin()
        {
            const auto result = e2e::runTool ({ ardourLibraries + "/ardour-vst3-scanner", "-f", hosttest::vst3Bundle().string() },
                                              ardourEnvironment(), logDirectory(), e2e::toolTimeout);
            ASSERT_TRUE (result.succeeded()) << result.describe();
            ASSERT_NE (result.standardOutput.find ("Found Plugin: Velthorn"), std::string::npos) << result.describe();
        }
    };

    TEST_F (ArdourTest, TrackWithTheVst3SetFromTheScriptSoundsAsTheRenderer)
    {
        // The plugin opens an X display even without a panel (see the jalv
        // test), in the scanner too.
        startXvfb();
        scanPlugin();

        const std::vector<hosttest::Setting> settings {
            { "wahOn", 1.0f }, { "wahFreq", 0.375f }, { "distOn", 1.0f }, { "distGain", 0.75f },
            { "ampDrv", 0.625f }, { "ampHi", 0.25f }, { "delOn", 1.0f }, { "delTme", 0.125f }, { "mast", 0.46875f }
        };

        auto& jack = startJack();
        const auto clientName = e2e::JackServer::uniqueClientName ("ardour");
        const auto script = workFolder() / "session.lua";
        const auto stopFile = workFolder() / "stop";
        std::ofstream (script) << sessionScript (clientName, workFolder() / "session", settings, stopFile);

        e2e::ProcessSpec spec;
        spec.label = "ardour7-lua";
        spec.arguments = { "ardour7-lua", script.string() };
        spec.environment = ardourEnvironment();
        auto& ardour = startHost (spec);

        ASSERT_TRUE (e2e::pollUntil (e2e::startupTimeout * 2, [&]
        {
            return ! ardour.isRunning() || ardour.standardOutput().find ("READY") != std::string::npos;
        })) << "the session script did not get ready:\n" << ardour.report();
        ASSERT_TRUE (ardour.isRunning()) << ardour.report();

        const e2e::PortsUnderTest ports { clientName + ":Guitar/audio_in 1", clientName + ":Guitar/audio_in 2",
                                          clientName + ":Guitar/audio_out 1", clientName + ":Guitar/audio_out 2" };
        ASSERT_TRUE (hosttest::waitForPorts (jack, { ports.leftIn, ports.rightIn, ports.leftOut, ports.rightOut },
                                             e2e::startupTimeout)) << ardour.report();

        EXPECT_TRUE (hosttest::hostOutputMatchesRenderer (jack, ports, settings, 2.0, workFolder()));

        std::ofstream (stopFile) << "stop\n";
        const auto ended = ardour.waitForExit (e2e::shutdownTimeout);
        ASSERT_TRUE (ended.has_value()) << "the session did not close:\n" << ardour.report();
        EXPECT_TRUE (ended->isExitCode (0)) << ardour.report();
        EXPECT_NE (ardour.standardOutput().find ("CLOSED"), std::string::npos) << ardour.report();
    }
}
