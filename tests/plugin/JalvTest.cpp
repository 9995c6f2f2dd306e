#include "HostAudioCheck.h"
#include "HostTest.h"
#include "JackPorts.h"
#include "PluginPaths.h"
#include "Polling.h"

#include <juce_core/juce_core.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <stdexcept>
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
        // plugin from the build tree and these settings, after restoring the
        // state in stateDirectory if one is given; returns its ports.
        e2e::PortsUnderTest startJalv (const std::vector<hosttest::Setting>& settings,
                                       const std::filesystem::path& stateDirectory = {})
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

            if (! stateDirectory.empty())
            {
                spec.arguments.push_back ("-l");
                spec.arguments.push_back (stateDirectory.string());
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

    // A saved project's state for the plugin, as jalv loads one (-l): a
    // folder with manifest.ttl and state.ttl, holding the plugin's state
    // as the framework's wrapper stores it, one string of the form
    // "<byte count>.<the bytes in the framework's base64>".
    std::filesystem::path writeStateFolder (const std::filesystem::path& folder, const std::string& stateString)
    {
        std::filesystem::create_directories (folder);

        std::ofstream manifest (folder / "manifest.ttl");
        manifest << "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                    "<state.ttl> a pset:Preset ;\n"
                    "    lv2:appliesTo <" << hosttest::lv2Uri << "> ;\n"
                    "    rdfs:seeAlso <state.ttl> .\n";

        std::ofstream state (folder / "state.ttl");
        state << "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                 "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                 "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                 "<> a pset:Preset ;\n"
                 "    lv2:appliesTo <" << hosttest::lv2Uri << "> ;\n"
                 "    state:state [\n"
                 "        <" << hosttest::lv2Uri << ":StateString> \"" << stateString << "\"\n"
                 "    ] .\n";

        if (! manifest || ! state)
            throw std::runtime_error ("cannot write the state folder " + folder.string());

        return folder;
    }

    // The plugin's state document wrapped as the framework wraps one
    // (magic number, length, text, a terminating zero).
    juce::MemoryBlock wrappedDocument (const std::string& text)
    {
        juce::MemoryOutputStream out;
        out.writeInt (0x21324356);
        out.writeInt (static_cast<int> (text.size()));
        out.write (text.data(), text.size());
        out.writeByte (0);
        return out.getMemoryBlock();
    }

    std::string readableDocument()
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><VelthornState version=\"1\">"
               "<parameter id=\"distOn\" value=\"1\"/><parameter id=\"mast\" value=\"0.25\"/></VelthornState>";
    }

    std::string deeplyNestedDocument()
    {
        std::string text = "<VelthornState version=\"1\"><parameter id=\"mast\" value=\"0.25\"/>";

        for (int i = 0; i < 100000; ++i)
            text += "<a>";
        for (int i = 0; i < 100000; ++i)
            text += "</a>";

        return text + "</VelthornState>";
    }

    // The characters after the byte count, without it.
    std::string base64Digits (const std::string& document)
    {
        const auto encoded = wrappedDocument (document).toBase64Encoding().toStdString();
        return encoded.substr (encoded.find ('.'));
    }

    struct StateCase
    {
        std::string name;
        std::function<std::string()> stateString;
        std::vector<hosttest::Setting> meaning;   // what the plugin must sound like afterwards
    };

    void PrintTo (const StateCase& stateCase, std::ostream* out)
    {
        *out << stateCase.name;
    }

    class JalvStateTest : public JalvTest,
                          public ::testing::WithParamInterface<StateCase>
    {
    };

    // A readable state is taken; a damaged one is refused and the plugin
    // keeps what it has (here its defaults), without taking jalv down.
    TEST_P (JalvStateTest, ARestoredStateIsTakenOrRefusedWithoutHarm)
    {
        const auto folder = writeStateFolder (workFolder() / "state", GetParam().stateString());
        const auto ports = startJalv ({}, folder);

        EXPECT_TRUE (hosttest::hostOutputMatchesRenderer (startJack(), ports, GetParam().meaning, 1.0, workFolder()));
    }

    INSTANTIATE_TEST_SUITE_P (States, JalvStateTest, ::testing::Values (
        StateCase { "Readable", [] { return wrappedDocument (readableDocument()).toBase64Encoding().toStdString(); },
                    { { "distOn", 1.0f }, { "mast", 0.25f } } },
        // The framework's decoder makes room for the byte count it is told
        // before it looks at the bytes.
        StateCase { "HugeByteCount", [] { return "99999999999999999999" + base64Digits (readableDocument()); }, {} },
        StateCase { "NegativeByteCount", [] { return "-5" + base64Digits (readableDocument()); }, {} },
        StateCase { "NestedOneHundredThousandDeep",
                    [] { return wrappedDocument (deeplyNestedDocument()).toBase64Encoding().toStdString(); }, {} }),
        [] (const ::testing::TestParamInfo<StateCase>& info) { return info.param.name; });
}
