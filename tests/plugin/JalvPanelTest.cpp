#include "HostAudioCheck.h"
#include "E2ePaths.h"
#include "HostTest.h"
#include "JackPorts.h"
#include "MainPanelLayout.h"
#include "PanelPictures.h"
#include "PluginPaths.h"
#include "Polling.h"
#include "Screenshot.h"
#include "XdoTool.h"

#include <string>

namespace
{
    class JalvPanelTest : public hosttest::HostTest
    {
    };

    // jalv.gtk3 shows the plugin's panel in its window; a knob dragged there
    // with the real pointer reaches the sound.
    TEST_F (JalvPanelTest, MasterKnobDraggedToItsTopSoundsAsTheRendererAtFullMaster)
    {
        auto& x = startXvfb();
        auto& jack = startJack();
        const auto clientName = e2e::JackServer::uniqueClientName ("jalvgtk");

        e2e::ProcessSpec spec;
        spec.label = "jalv.gtk3";
        spec.arguments = { "jalv.gtk3", "-x", "-n", clientName, hosttest::lv2Uri };
        spec.environment = hostEnvironment();
        auto& host = startHost (spec);

        const e2e::PortsUnderTest ports { clientName + ":audio_in_1", clientName + ":audio_in_2",
                                          clientName + ":audio_out_1", clientName + ":audio_out_2" };
        ASSERT_TRUE (hosttest::waitForPorts (jack, { ports.leftIn, ports.rightIn, ports.leftOut, ports.rightOut },
                                             e2e::startupTimeout)) << host.report();

        e2e::XdoTool xdo (x.display(), logDirectory());
        const auto window = xdo.waitForVisibleWindow (host.pid(), "Velthorn", e2e::startupTimeout);
        ASSERT_TRUE (window.has_value()) << "jalv.gtk3 showed no window:\n" << host.report();

        // The panel takes drags once it is up and running: drawn, and showing
        // the plugin's start-up values (the amp lamp lights on its first
        // display tick). Without a window manager the panel sits at the
        // window's top left, so window and panel coordinates are the same.
        bool showing = false;
        e2e::pollUntil (e2e::startupTimeout, [&]
        {
            const auto shot = e2e::Screenshot::capture (x.display(), *window, e2e::artefactPathForCurrentTest ("jalv-window.png"), logDirectory());
            showing = shot.width() >= e2e::panel::width && shot.height() >= e2e::panel::height
                      && e2e::isLampLit (shot, e2e::panel::ampButton);
            return showing;
        });
        ASSERT_TRUE (showing) << "the panel did not show its start-up values; see " << e2e::artefactPathForCurrentTest ("jalv-window.png");

        const auto bounds = xdo.geometry (*window);
        EXPECT_GE (bounds.width, e2e::panel::width);
        EXPECT_GE (bounds.height, e2e::panel::height);

        // 300 pixels up on a knob that takes 250 for its whole range: the top.
        const auto centre = e2e::panel::mastSlider.centre();
        const e2e::Point from { bounds.x + centre.x, bounds.y + centre.y };
        xdo.drag (from, { from.x, from.y - 300 }, 15);

        EXPECT_TRUE (hosttest::hostOutputMatchesRenderer (jack, ports, { { "mast", 1.0f } }, 1.0, workFolder()));
    }
}
