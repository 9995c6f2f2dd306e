#include "E2eTest.h"

#include <cstdlib>
#include <filesystem>

namespace
{
    class MainWindowTest : public e2e::E2eTest
    {
    };

    TEST_F (MainWindowTest, CloseButtonEndsTheAppWithExitCodeZero)
    {
        // With the JACK device running, so closing also takes the engine off
        // a live device.
        auto& jack = startJack();
        auto& app = launchApp();
        ASSERT_TRUE (app.waitForJackDevice (jack));
        const auto window = app.waitForMainWindow();

        const auto status = app.closeWithCloseButton (window);
        ASSERT_TRUE (status.has_value()) << "the app was still running after its close button was clicked\n"
                                         << app.process().report();
        EXPECT_TRUE (status->isExitCode (0)) << "the app ended with " << status->describe() << "\n"
                                             << app.process().report();
    }

    TEST_F (MainWindowTest, OpensCentredAtPanelSizePlusFrame)
    {
        auto& app = launchApp();
        const auto window = app.waitForMainWindow();

        const auto geometry = window.geometry();
        // Throws when 800 x 600 does not fit under a title bar in this window.
        const auto layout = window.layout();

        EXPECT_EQ (layout.content.width, e2e::VelthornApp::contentWidth);
        EXPECT_EQ (layout.content.height, e2e::VelthornApp::contentHeight);
        EXPECT_GT (layout.titleBarHeight, 0);

        // The test's X server has one 1024 x 768 screen and no window manager,
        // so the work area is the whole screen.
        EXPECT_LE (std::abs (geometry.x - (1024 - geometry.width) / 2), 1) << "x = " << geometry.x;
        EXPECT_LE (std::abs (geometry.y - (768 - geometry.height) / 2), 1) << "y = " << geometry.y;
    }

    TEST_F (MainWindowTest, ScreenshotOfTheWindowIsKeptAsArtefact)
    {
        auto& jack = startJack();
        auto& app = launchApp();
        ASSERT_TRUE (app.waitForJackDevice (jack));
        const auto window = app.waitForMainWindow();

        const auto shot = window.screenshot (artefact ("main-window.png"));
        // The whole screen too, to see the window in place.
        const auto screen = e2e::Screenshot::capture (window.xdotool().display(), "root",
                                                      artefact ("screen.png"), logDirectory());

        ASSERT_TRUE (std::filesystem::exists (shot.file()));
        ASSERT_TRUE (std::filesystem::exists (screen.file()));

        const auto geometry = window.geometry();
        EXPECT_EQ (shot.width(), geometry.width);
        EXPECT_EQ (shot.height(), geometry.height);
        EXPECT_EQ (screen.width(), 1024);
        EXPECT_EQ (screen.height(), 768);

        // The framework draws the title-bar buttons where the layout says, so
        // both button areas hold something other than the bar's own colour
        // (taken from its far left, where there is neither text nor button).
        const auto layout = window.layout();
        const auto barColour = shot.pixel (layout.titleBar.x + 4, layout.titleBar.y + layout.titleBar.height / 2);

        EXPECT_GT (shot.countPixelsDifferentFrom (layout.closeButton, barColour, 40), 0)
            << "nothing drawn where the close button should be; see " << shot.file();
        EXPECT_GT (shot.countPixelsDifferentFrom (layout.minimiseButton, barColour, 40), 0)
            << "nothing drawn where the minimise button should be; see " << shot.file();
    }
}
