#include "E2eTest.h"

namespace
{
    class NoAudioDeviceTest : public e2e::E2eTest
    {
    };

    TEST_F (NoAudioDeviceTest, WithoutJackOrSoundCardTheAppRunsSilentlyAndClosesCleanly)
    {
        // No JACK server is started: the app's JACK_DEFAULT_SERVER names one
        // that does not exist, and ALSA is shown no device.
        auto& app = launchApp();
        const auto window = app.waitForMainWindow();

        window.screenshot (artefact ("main-window-without-audio.png"));
        ASSERT_TRUE (app.process().isRunning()) << app.process().report();
        EXPECT_EQ (e2e::JackClient::tryOpen (jackServerNameOfApp(), e2e::JackServer::uniqueClientName ("probe")), nullptr)
            << "looking for JACK must not start a JACK server";

        const auto status = app.closeWithCloseButton (window);
        ASSERT_TRUE (status.has_value()) << "the app was still running after its close button was clicked\n"
                                         << app.process().report();
        EXPECT_TRUE (status->isExitCode (0)) << "the app ended with " << status->describe() << "\n"
                                             << app.process().report();
    }
}
