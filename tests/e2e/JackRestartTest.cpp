#include "AppAudioCheck.h"
#include "AudioMidiHandler.h"
#include "E2eTest.h"
#include "JackClientNamesLock.h"
#include "MainPanelLayout.h"
#include "PanelPictures.h"

#include <string>

namespace
{
    constexpr double signalSeconds = 1.0;

    void delayOn (AudioMidiHandler& engine)
    {
        engine.setParameter (2, 1.0f);
    }

    class JackRestartTest : public e2e::E2eTest
    {
    };

    TEST_F (JackRestartTest, AppReopensItsDeviceWhenTheJackServerComesBackAndStartsFromSilence)
    {
        const auto window = launchAppOnJack();
        auto& jack = startJack();
        auto& app = launchedApp();

        // The delay on, so the run before the restart leaves echoes in its
        // memory (half a second loop, half the level each time round).
        window.clickContent (e2e::panel::delButton.centre());
        const auto shot = e2e::waitForLamp (window, e2e::panel::delButton, true, artefact ("delay-switch.png"));
        ASSERT_TRUE (e2e::isLampLit (shot, e2e::panel::delButton)) << "the delay did not switch on; see " << shot.file();
        ASSERT_TRUE (e2e::appOutputMatchesEngine (jack, signalSeconds, delayOn)) << "before the server stopped";

        {
            // The app opens its JACK client again by itself, at a moment of
            // its choosing; keep other tests' app start-ups clear of it.
            const e2e::JackClientNamesLock lock;

            jack.stopServer();
            ASSERT_TRUE (app.process().isRunning()) << "the app must outlive its JACK server\n" << app.process().report();
            jack.startAgain();

            ASSERT_TRUE (app.waitForJackDevice (jack)) << "the app did not come back to the restarted server";
        }

        // Bit for bit what a fresh engine gives: the run after the restart
        // hears nothing of the echoes of the run before, and its filters
        // start from rest.
        EXPECT_TRUE (e2e::appOutputMatchesEngine (jack, signalSeconds, delayOn)) << "after the server came back";
        EXPECT_TRUE (app.process().isRunning()) << app.process().report();
        EXPECT_TRUE (window.xdotool().isWindowVisible (window.id()));
    }
}
