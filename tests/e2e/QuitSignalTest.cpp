#include "E2eTest.h"
#include "JackClientNamesLock.h"
#include "MainPanelLayout.h"
#include "Polling.h"
#include "PopupMenuWindow.h"
#include "SettingsFile.h"
#include "ToolRun.h"

#include <csignal>
#include <string>

namespace
{
    using Row = e2e::PopupMenuWindow::Row;

    constexpr int audioSettingsItem = 0;
    constexpr int audioSettingsWidth = 600;

    // In the device dialog for this JACK server, the tick box of the second
    // input channel (capture_2); see FileMenuTest.
    constexpr e2e::Point secondInputTick { 225, 202 };

    struct QuitSignal
    {
        int number;
        const char* name;
    };

    std::string nameOf (const ::testing::TestParamInfo<QuitSignal>& info)
    {
        return info.param.name;
    }

    class QuitSignalTest : public e2e::E2eTest,
                           public ::testing::WithParamInterface<QuitSignal>
    {
    protected:
        // Test thread: opens File -> Audio Settings and returns the dialog.
        e2e::AppWindow openAudioSettings (const e2e::AppWindow& window)
        {
            const auto pid = launchedApp().process().pid();
            window.clickContent (e2e::panel::fileButton.centre());
            e2e::PopupMenuWindow::waitFor (window.xdotool(), pid, { Row::item, Row::item, Row::separator, Row::item },
                                           e2e::startupTimeout)
                .choose (audioSettingsItem, window.id(), e2e::startupTimeout);

            const auto id = window.xdotool().waitForVisibleWindow (pid, "^Audio Settings$", e2e::startupTimeout);
            if (! id.has_value())
                throw std::runtime_error ("no Audio Settings dialog appeared\n" + launchedApp().process().report());

            const auto main = window.layout();
            const auto g = window.xdotool().geometry (*id);
            const e2e::AppWindow dialog { window.xdotool(), *id, audioSettingsWidth, g.height - 2 * main.border - main.titleBarHeight };

            // Its controls take clicks once it shows them.
            if (! dialog.waitUntilDrawn (e2e::startupTimeout))
                throw std::runtime_error ("the Audio Settings dialog was mapped but not painted\n" + launchedApp().process().report());

            return dialog;
        }
    };

    TEST_P (QuitSignalTest, EndsTheAppLikeQuitClosingItsJackClientAndSavingThePendingSetup)
    {
        const auto window = launchAppOnJack();
        auto& jack = startJack();
        auto& app = launchedApp();
        const auto observer = jack.openClient (e2e::JackServer::uniqueClientName ("observer"));

        const auto secondInputConnected = [&]
        {
            for (const auto& other : observer->connectionsOf (e2e::VelthornApp::jackPort ("in_2")))
                if (other == "system:capture_2")
                    return true;

            return false;
        };

        // A change made in the dialog applies at once but is written to the
        // settings file only when the dialog closes: with the dialog still
        // open, it is pending when the signal comes.
        const e2e::JackClientNamesLock dialogLock;
        const auto dialog = openAudioSettings (window);
        dialog.clickContent (secondInputTick);
        ASSERT_TRUE (e2e::pollUntil (e2e::startupTimeout, [&] { return ! secondInputConnected(); }))
            << "the second input stayed on\n" << app.process().report();

        const auto settingsFile = e2e::VelthornApp::settingsFileIn (home());
        ASSERT_FALSE (e2e::SavedDeviceState::read (settingsFile).deviceSetup.has_value())
            << "the setup was written before the signal, so the test shows nothing";

        const auto pid = app.process().pid();
        const auto status = app.quitBy ([&] { ::kill (pid, GetParam().number); });

        ASSERT_TRUE (status.has_value()) << "still running " << e2e::shutdownTimeout.count() << " ms after "
                                         << GetParam().name << "\n" << app.process().report();
        EXPECT_TRUE (status->isExitCode (0)) << "ended with " << status->describe() << "\n" << app.process().report();

        // The server still serves, and lists none of the app's ports: the
        // app's client left with the app.
        const auto lsp = e2e::runTool ({ "jack_lsp" }, e2e::Environment::minimal().set ("JACK_DEFAULT_SERVER", jack.name()),
                                       logDirectory(), e2e::toolTimeout);
        ASSERT_TRUE (lsp.succeeded()) << lsp.describe();
        EXPECT_EQ (lsp.standardOutput.find ("Velthorn:"), std::string::npos) << lsp.standardOutput;
        EXPECT_NE (lsp.standardOutput.find ("system:capture_1"), std::string::npos) << lsp.standardOutput;

        const auto saved = e2e::SavedDeviceState::read (settingsFile);
        ASSERT_TRUE (saved.deviceSetup.has_value()) << "no DEVICESETUP under audioDeviceState in\n" << saved.text;
        const auto channels = saved.deviceSetup->find ("audioDeviceInChans");
        ASSERT_NE (channels, saved.deviceSetup->end()) << saved.text;
        EXPECT_EQ (channels->second, "1") << "only capture_1 should be on in\n" << saved.text;
    }

    INSTANTIATE_TEST_SUITE_P (Signals, QuitSignalTest,
                              ::testing::Values (QuitSignal { SIGTERM, "SIGTERM" }, QuitSignal { SIGHUP, "SIGHUP" }),
                              nameOf);
}
