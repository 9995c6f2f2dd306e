#include "AppAudioCheck.h"
#include "E2eTest.h"
#include "JackClientNamesLock.h"
#include "JackPlayRecord.h"
#include "Polling.h"

#include <algorithm>
#include <string>

namespace
{
    constexpr double signalSeconds = 0.25;

    // ALSA's jack plugin (libasound2-plugins) as a desktop's configuration
    // offers it: an ALSA device "jack" whose sound goes to and comes from the
    // system ports of the JACK server JACK_DEFAULT_SERVER names. It is the
    // only ALSA device, so a first start picks it.
    const std::string alsaDeviceIntoJack = R"(pcm.jack {
    type jack
    playback_ports {
        0 system:playback_1
        1 system:playback_2
    }
    capture_ports {
        0 system:capture_1
        1 system:capture_2
    }
    hint {
        show on
        description "JACK Audio Connection Kit"
    }
}
)";

    // The plugin's JACK clients for the app: "Velthorn.C.<pid>.<n>" capturing
    // (ports in_000, in_001) and "Velthorn.P.<pid>.<n>" playing (out_000,
    // out_001), a new <n> each time the device opens.
    bool findAlsaDevicePorts (const e2e::JackClient& probe, e2e::PortsUnderTest& ports)
    {
        const auto ins = probe.portsMatching ("^Velthorn[.]C[.][0-9]+[.][0-9]+:in_00[01]$", JackPortIsInput);
        const auto outs = probe.portsMatching ("^Velthorn[.]P[.][0-9]+[.][0-9]+:out_00[01]$", JackPortIsOutput);

        if (ins.size() != 2 || outs.size() != 2)
            return false;

        const auto connected = [&probe] (const std::string& port, const std::string& other)
        {
            const auto connections = probe.connectionsOf (port);
            return std::find (connections.begin(), connections.end(), other) != connections.end();
        };

        if (! connected (ins[0], "system:capture_1") || ! connected (ins[1], "system:capture_2")
            || ! connected (outs[0], "system:playback_1") || ! connected (outs[1], "system:playback_2"))
            return false;

        ports = { ins[0], ins[1], outs[0], outs[1] };
        return true;
    }

    ::testing::AssertionResult waitForAlsaDevicePorts (e2e::JackServer& server, e2e::VelthornApp& app,
                                                       e2e::PortsUnderTest& ports)
    {
        const auto probe = server.openClient (e2e::JackServer::uniqueClientName ("observer"));
        const bool found = e2e::pollUntil (e2e::startupTimeout, [&]
        {
            return ! app.process().isRunning() || findAlsaDevicePorts (*probe, ports);
        });

        if (found && app.process().isRunning())
            return ::testing::AssertionSuccess();

        std::string seen;

        for (const auto& port : probe->portsMatching ("^Velthorn", 0))
            seen += "\n  " + port;

        return ::testing::AssertionFailure() << "the app's ALSA device did not show in JACK server " << server.name()
                                             << " within " << e2e::startupTimeout.count() << " ms; its ports:"
                                             << (seen.empty() ? " none" : seen) << "\n" << app.process().report();
    }

    // Waits until the app's outputs stay exactly silent for a quarter of a
    // second: the engine's filters have come to rest (their tails end in
    // exact zeros once they fall below the smallest normal float).
    bool waitUntilAtRest (const e2e::JackServer& server, const e2e::PortsUnderTest& ports)
    {
        const auto frames = static_cast<size_t> (e2e::JackServer::sampleRate / 4);

        return e2e::pollUntil (e2e::startupTimeout, [&]
        {
            e2e::JackPlayRecord listener (server, e2e::StereoBuffer::silence (0), frames);
            listener.recordFrom (ports.leftOut, ports.rightOut);
            listener.startRecording();

            if (! listener.waitForRecording (e2e::startupTimeout))
                return false;

            const auto heard = listener.recording();
            const auto silent = [] (const std::vector<float>& samples)
            {
                return std::all_of (samples.begin(), samples.end(), [] (float x) { return x == 0.0f; });
            };

            return silent (heard.left) && silent (heard.right);
        });
    }

    // Through ALSA's jack plugin the app's audio thread is not one of JACK's:
    // a period it delivers late on a loaded machine reaches JACK as a gap of
    // silence (or a capture period is dropped), which the bit-for-bit
    // comparison sees. So a few attempts are allowed, each from an engine at
    // rest again; a device that does not play fails every one.
    ::testing::AssertionResult playsWhatTheEngineComputes (const e2e::JackServer& server, const e2e::PortsUnderTest& ports)
    {
        constexpr int attempts = 4;
        std::string failures;

        for (int attempt = 1; attempt <= attempts; ++attempt)
        {
            if (attempt > 1 && ! waitUntilAtRest (server, ports))
                return ::testing::AssertionFailure() << "the app's output did not come to rest:" << failures;

            const auto result = e2e::outputMatchesEngine (server, ports, signalSeconds);

            if (result)
                return result;

            failures += "\nattempt " + std::to_string (attempt) + ": " + result.message();
        }

        return ::testing::AssertionFailure() << "no attempt matched the engine:" << failures;
    }

    struct ServerEnd
    {
        std::string label;
        void (e2e::JackServer::*end)();
    };

    void PrintTo (const ServerEnd& c, std::ostream* os)
    {
        *os << c.label;
    }

    class AlsaDeviceIntoJackTest : public e2e::E2eTest,
                                   public ::testing::WithParamInterface<ServerEnd>
    {
    };

    TEST_P (AlsaDeviceIntoJackTest, PlaysAgainOnceTheJackServerBehindItIsBack)
    {
        // No settings file: the app picks ALSA's "jack" device by itself.
        auto& jack = startJack();
        useAlsaConfiguration (alsaDeviceIntoJack);
        auto& app = launchApp();
        app.waitForMainWindow();

        e2e::PortsUnderTest before;
        ASSERT_TRUE (waitForAlsaDevicePorts (jack, app, before));
        ASSERT_TRUE (playsWhatTheEngineComputes (jack, before)) << "before the server went";

        // The device still counts as open, but nothing calls back any more.
        (jack.*GetParam().end)();
        ASSERT_TRUE (app.process().isRunning()) << "the app must outlive its JACK server\n" << app.process().report();
        jack.startAgain();

        e2e::PortsUnderTest after;
        ASSERT_TRUE (waitForAlsaDevicePorts (jack, app, after)) << "the app did not come back to the restarted server";
        EXPECT_NE (after.leftOut, before.leftOut) << "the device was opened anew";

        EXPECT_TRUE (playsWhatTheEngineComputes (jack, after)) << "after the server came back";
        EXPECT_TRUE (app.process().isRunning()) << app.process().report();
    }

    INSTANTIATE_TEST_SUITE_P (ServerEnds, AlsaDeviceIntoJackTest,
                              ::testing::Values (ServerEnd { "stopped", &e2e::JackServer::stopServer },
                                                 ServerEnd { "killed", &e2e::JackServer::killServer }),
                              [] (const ::testing::TestParamInfo<ServerEnd>& info) { return info.param.label; });

    class SavedDeviceTest : public e2e::E2eTest
    {
    };

    TEST_F (SavedDeviceTest, ASavedJackDeviceOpensWhenItsServerStartsAfterTheApp)
    {
        const std::string settings =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\n<PROPERTIES>\n  <VALUE name=\"audioDeviceState\">\n"
            "    <DEVICESETUP deviceType=\"JACK\" audioOutputDeviceName=\"system\" audioInputDeviceName=\"system\"\n"
            "                 audioDeviceRate=\"48000.0\" audioDeviceBufferSize=\"256\"/>\n"
            "  </VALUE>\n</PROPERTIES>\n";
        writeSettingsFile (settings);

        // Pointed at a JACK server that does not run yet; ALSA has no device.
        auto& app = launchApp();
        const auto window = app.waitForMainWindow();

        {
            // The app opens its JACK client at a moment of its choosing once
            // the server is there; keep other tests' app start-ups clear of it.
            const e2e::JackClientNamesLock lock;
            auto& jack = startJack();
            ASSERT_EQ (jack.name(), jackServerNameOfApp());
            ASSERT_TRUE (app.waitForJackDevice (jack)) << "the saved device did not open once its server ran";
        }

        EXPECT_TRUE (e2e::appOutputMatchesEngine (startJack(), signalSeconds));
        EXPECT_TRUE (window.xdotool().isWindowVisible (window.id()));

        const auto status = app.closeWithCloseButton (window);
        ASSERT_TRUE (status.has_value()) << app.process().report();
        EXPECT_TRUE (status->isExitCode (0)) << status->describe();
    }
}
