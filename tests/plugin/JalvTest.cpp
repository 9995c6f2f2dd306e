#include "HostAudioCheck.h"
#include "HostTest.h"
#include "JackPorts.h"
#include "PluginPaths.h"
#include "Polling.h"

#include <limits>
#include <string>
#include <vector>

namespace
{
    // jalv names a plugin's parameters after the last part of their IRI
    // (<URI>:delTme), with the characters a symbol may not hold replaced.
    std::string jalvSymbol (const std::string& parameterId)
    {
        return "velthorn_" + parameterId;
    }

    class JalvTest : public hosttest::HostTest
    {
    protected:
        // Test thread: the console jalv on the test's JACK server, with the
        // plugin from the build tree and these settings; returns its ports.
        e2e::PortsUnderTest startJalv (const std::vector<hosttest::Setting>& settings)
        {
            // The framework in the plugin opens an X display even without a
            // panel, falling back to :0.0 when DISPLAY is unset; it gets a
            // private one, so no other X server can stall it.
            startXvfb();
            auto& jack = startJack();
            const auto clientName = e2e::JackServer::uniqueClientName ("jalv");

            e2e::ProcessSpec spec;
            spec.label = "jalv";
            // -i: no commands on stdin. -x: exactly this client name. -s: a
            // console jalv only forwards -c values of parameters (patch
            // messages, not control ports) when it believes a UI is shown.
            spec.arguments = { "jalv", "-i", "-x", "-s", "-n", clientName };

            for (const auto& setting : settings)
            {
                spec.arguments.push_back ("-c");
                spec.arguments.push_back (hosttest::assignment ({ jalvSymbol (setting.name), setting.value }));
            }

            spec.arguments.push_back (hosttest::lv2Uri);
            spec.environment = hostEnvironment();
            auto& host = startHost (spec);

            const e2e::PortsUnderTest ports { clientName + ":audio_in_1", clientName + ":audio_in_2",
                                              clientName + ":audio_out_1", clientName + ":audio_out_2" };

            if (! hosttest::waitForPorts (jack, { ports.leftIn, ports.rightIn, ports.leftOut, ports.rightOut },
                                          e2e::startupTimeout))
                throw std::runtime_error ("jalv did not register the plugin's ports:\n" + host.report());

            return ports;
        }
    };

    struct SettingsCase
    {
        std::string name;
        std::vector<hosttest::Setting> settings;
    };

    void PrintTo (const SettingsCase& settingsCase, std::ostream* out)
    {
        *out << settingsCase.name;
    }

    class JalvSettingsTest : public JalvTest,
                             public ::testing::WithParamInterface<SettingsCase>
    {
    };

    TEST_P (JalvSettingsTest, SoundThroughTheHostedPluginEqualsTheRenderer)
    {
        const auto ports = startJalv (GetParam().settings);

        EXPECT_TRUE (hosttest::hostOutputMatchesRenderer (startJack(), ports, GetParam().settings, 2.0, workFolder()));
    }

    // Values are multiples of 1/64, so every host and the renderer read the
    // same float from the same text.
    INSTANTIATE_TEST_SUITE_P (Settings, JalvSettingsTest, ::testing::Values (
        SettingsCase { "Defaults", {} },
        SettingsCase { "EveryEffectOn", {
            { "wahOn", 1.0f }, { "wahFreq", 0.375f }, { "wahRes", 0.625f }, { "wahGain", 0.5f },
            { "distOn", 1.0f }, { "distGain", 0.75f }, { "distFreq", 0.25f },
            { "ampDrv", 0.625f }, { "ampLo", 0.25f }, { "ampMid", 0.75f }, { "ampHi", 0.5625f },
            { "delOn", 1.0f }, { "delTme", 0.125f }, { "delAm", 0.6875f }, { "mast", 0.46875f } } },
        SettingsCase { "MasterOff", { { "distOn", 1.0f }, { "mastOn", 0.0f } } }),
        [] (const ::testing::TestParamInfo<SettingsCase>& info) { return info.param.name; });

    // A NaN from the host's command line (jalv reads "nan" as that float and
    // sends it as it is).
    struct NanCase
    {
        std::string name;
        std::vector<hosttest::Setting> hostSettings;
        std::vector<hosttest::Setting> meaning;   // what the plugin must make of them
    };

    void PrintTo (const NanCase& nanCase, std::ostream* out)
    {
        *out << nanCase.name;
    }

    class JalvNanTest : public JalvTest,
                        public ::testing::WithParamInterface<NanCase>
    {
    };

    // A NaN keeps the parameter's value (here its default): the plugin
    // sounds exactly as the renderer given the values the plugin kept,
    // finite from the first sample to the last.
    TEST_P (JalvNanTest, SoundsAsTheValueItKept)
    {
        const auto ports = startJalv (GetParam().hostSettings);

        EXPECT_TRUE (hosttest::hostOutputMatchesRenderer (startJack(), ports, GetParam().meaning, 1.0, workFolder()));
    }

    constexpr float nan = std::numeric_limits<float>::quiet_NaN();

    INSTANTIATE_TEST_SUITE_P (Values, JalvNanTest, ::testing::Values (
        NanCase { "DistortionGainNaN", { { "distOn", 1.0f }, { "distGain", nan } }, { { "distOn", 1.0f } } },
        NanCase { "AmpMidNaN", { { "ampMid", nan } }, {} },
        NanCase { "MasterLevelNaN", { { "mast", nan } }, {} },
        NanCase { "DelayAmountNaN", { { "delOn", 1.0f }, { "delAm", nan } }, { { "delOn", 1.0f } } },
        NanCase { "AmpDriveNaN", { { "ampDrv", nan } }, {} },
        // A switch read a NaN as off; the amp is on by default.
        NanCase { "AmpSwitchNaN", { { "ampOn", nan } }, {} }),
        [] (const ::testing::TestParamInfo<NanCase>& info) { return info.param.name; });
}
