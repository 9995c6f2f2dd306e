#include "ParameterNames.h"
#include "PluginPaths.h"
#include "Polling.h"
#include "TempDirectory.h"
#include "ToolRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace
{
    // One "Port N:" section of lv2info's report.
    struct PortReport
    {
        std::vector<std::string> types;
        std::string symbol;
        std::string designation;
    };

    std::string trim (const std::string& text)
    {
        const auto first = text.find_first_not_of (" \t");
        const auto last = text.find_last_not_of (" \t\r");
        return first == std::string::npos ? std::string() : text.substr (first, last - first + 1);
    }

    std::map<int, PortReport> portsIn (const std::string& report)
    {
        std::map<int, PortReport> ports;
        std::istringstream lines (report);
        std::string line;
        PortReport* current = nullptr;
        std::string lastKey;
        const std::regex portHeader (R"(^\s*Port (\d+):\s*$)");
        std::smatch match;

        while (std::getline (lines, line))
        {
            if (std::regex_match (line, match, portHeader))
            {
                current = &ports[std::stoi (match[1])];
                lastKey.clear();
                continue;
            }

            if (current == nullptr)
                continue;

            const auto colon = line.find (':');
            const auto trimmed = trim (line);
            const bool keyed = colon != std::string::npos && trimmed.rfind ("http", 0) != 0;

            if (keyed)
            {
                lastKey = trim (line.substr (0, colon));
                const auto value = trim (line.substr (colon + 1));

                if (lastKey == "Type")
                    current->types.push_back (value);
                else if (lastKey == "Symbol")
                    current->symbol = value;
                else if (lastKey == "Designation")
                    current->designation = value;
            }
            else if (lastKey == "Type" && ! trimmed.empty())
            {
                current->types.push_back (trimmed);
            }
        }

        return ports;
    }

    const PortReport* findPort (const std::map<int, PortReport>& ports, const std::string& symbol)
    {
        for (const auto& [index, port] : ports)
            if (port.symbol == symbol)
                return &port;

        return nullptr;
    }

    bool hasType (const PortReport& port, const std::string& type)
    {
        for (const auto& t : port.types)
            if (t == type)
                return true;

        return false;
    }

    const std::string lv2core = "http://lv2plug.in/ns/lv2core#";
    const std::string atom = "http://lv2plug.in/ns/ext/atom#";

    class Lv2InfoTest : public ::testing::Test
    {
    protected:
        e2e::ToolResult runLv2Info (const std::vector<std::string>& options)
        {
            auto environment = e2e::Environment::minimal();
            environment.set ("HOME", work.path().string());
            // Only the build tree: an installed copy must not stand in for it.
            environment.set ("LV2_PATH", hosttest::lv2Folder().string());

            std::vector<std::string> arguments { "lv2info" };
            arguments.insert (arguments.end(), options.begin(), options.end());
            arguments.push_back (hosttest::lv2Uri);
            return e2e::runTool (arguments, environment, work.path(), e2e::toolTimeout);
        }

        e2e::TempDirectory work { "velthorn-lv2info-" };
    };

    TEST_F (Lv2InfoTest, ShowsThePluginUnderItsUriWithItsBundleAndX11Panel)
    {
        const auto result = runLv2Info ({});
        ASSERT_TRUE (result.succeeded()) << result.describe();

        const auto& report = result.standardOutput;
        EXPECT_EQ (report.substr (0, report.find ('\n')), hosttest::lv2Uri);
        EXPECT_TRUE (std::regex_search (report, std::regex (R"(\n\s*Name:\s+Velthorn\n)"))) << report;
        EXPECT_NE (report.find ("Bundle:            file://" + hosttest::lv2Folder().string() + "/Velthorn.lv2/"), std::string::npos)
            << "lv2info found the plugin somewhere else than in the build tree:\n" << report;
        EXPECT_NE (report.find ("http://lv2plug.in/ns/extensions/ui#X11UI"), std::string::npos)
            << "no X11 panel announced:\n" << report;
        EXPECT_NE (report.find ("http://lv2plug.in/ns/ext/state#interface"), std::string::npos)
            << "no state interface, so hosts could not save the settings:\n" << report;
    }

    TEST_F (Lv2InfoTest, ShowsStereoAudioPortsAControlInputAndTheHostsBypassPort)
    {
        const auto result = runLv2Info ({});
        ASSERT_TRUE (result.succeeded()) << result.describe();
        const auto ports = portsIn (result.standardOutput);

        struct Expected
        {
            std::string symbol, kind, direction;
        };

        for (const auto& expected : std::vector<Expected> {
                 { "audio_in_1", lv2core + "AudioPort", lv2core + "InputPort" },
                 { "audio_in_2", lv2core + "AudioPort", lv2core + "InputPort" },
                 { "audio_out_1", lv2core + "AudioPort", lv2core + "OutputPort" },
                 { "audio_out_2", lv2core + "AudioPort", lv2core + "OutputPort" },
                 { "in", atom + "AtomPort", lv2core + "InputPort" },
                 { "enabled", lv2core + "ControlPort", lv2core + "InputPort" } })
        {
            const auto* const port = findPort (ports, expected.symbol);

            if (port == nullptr)
            {
                ADD_FAILURE() << "no port " << expected.symbol << "\n" << result.standardOutput;
                continue;
            }

            EXPECT_TRUE (hasType (*port, expected.kind)) << expected.symbol << " is not a " << expected.kind;
            EXPECT_TRUE (hasType (*port, expected.direction)) << expected.symbol << " is not an " << expected.direction;
        }

        int audioPorts = 0;

        for (const auto& [index, port] : ports)
            audioPorts += hasType (port, lv2core + "AudioPort") ? 1 : 0;

        EXPECT_EQ (audioPorts, 4) << result.standardOutput;

        if (const auto* const control = findPort (ports, "in"))
        {
            EXPECT_EQ (control->designation, lv2core + "control");
        }

        if (const auto* const enabled = findPort (ports, "enabled"))
        {
            EXPECT_EQ (enabled->designation, lv2core + "enabled");
        }
    }

    // The parameters are not control ports (this framework sends them as patch
    // messages), so they are listed as the plugin's writable properties.
    TEST_F (Lv2InfoTest, DescribesEveryParameterAsAWritableProperty)
    {
        const auto description = work.path() / "described.ttl";
        const auto result = runLv2Info ({ "-p", description.string() });
        ASSERT_TRUE (result.succeeded()) << result.describe();

        std::ifstream in (description);
        std::stringstream text;
        text << in.rdbuf();
        const auto turtle = text.str();

        const auto writable = turtle.find ("<http://lv2plug.in/ns/ext/patch#writable>");
        ASSERT_NE (writable, std::string::npos) << turtle;
        const auto statementEnd = turtle.find (" .", writable);
        const auto writableList = turtle.substr (writable, statementEnd == std::string::npos ? std::string::npos : statementEnd - writable);
        // The list may be followed by other predicates of the same subject.
        const auto listEnd = writableList.find (';');
        const auto properties = writableList.substr (0, listEnd);

        std::vector<std::string> listed;
        const std::regex iri ("<" + hosttest::lv2Uri + ":([A-Za-z]+)>");

        for (auto it = std::sregex_iterator (properties.begin(), properties.end(), iri); it != std::sregex_iterator(); ++it)
            listed.push_back ((*it)[1]);

        std::vector<std::string> expected (hosttest::parameterIds.begin(), hosttest::parameterIds.end());
        std::sort (listed.begin(), listed.end());
        std::sort (expected.begin(), expected.end());
        EXPECT_EQ (listed, expected) << properties;
    }
}
