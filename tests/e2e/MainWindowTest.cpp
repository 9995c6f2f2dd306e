#include "E2eTest.h"
#include "MainPanelLayout.h"
#include "PanelArtwork.h"
#include "PanelPictures.h"

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

        // The panel fills the content exactly: its background shows at both
        // far corners of the 800 x 600 under the title bar (no control lies
        // there). In a window a pixel larger or smaller, or with the panel
        // anywhere else, the frame or other parts of the picture show there.
        // (The layout throws when 800 x 600 cannot lie under a title bar with
        // an equal border on every side.)
        const auto shot = window.screenshotOfContent (artefact ("content.png"));
        const e2e::PanelArtwork artwork;
        const e2e::Rectangle corners[] = { { e2e::panel::width - 40, 0, 40, 40 }, { 0, e2e::panel::height - 40, 40, 40 } };

        for (const auto& corner : corners)
            EXPECT_EQ (artwork.picture().countPixelsDifferentIn (shot, corner, 4), 0)
                << "the panel's background is not at (" << corner.x << ", " << corner.y << ") of the content; see " << shot.file();

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

        // Once the panel stands still: its first display tick lights lamps.
        e2e::waitForStartUpValues (window, artefact ("start-up-values.png"));
        const auto shot = window.screenshot (artefact ("main-window.png"));
        // The whole screen too, to see the window in place.
        const auto screen = e2e::Screenshot::capture (window.xdotool().display(), "root",
                                                      artefact ("screen.png"), logDirectory());

        // The window shows on the screen where X says it is, uncovered and
        // whole: the screen's picture there is the window's own.
        const auto geometry = window.geometry();
        const auto onScreen = screen.cropped (geometry, artefact ("window-on-screen.png"), logDirectory());
        EXPECT_EQ (shot.countPixelsDifferentIn (onScreen, { 0, 0, geometry.width, geometry.height }, 0), 0)
            << "the screen does not show the window at (" << geometry.x << ", " << geometry.y << "); see " << screen.file();

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
