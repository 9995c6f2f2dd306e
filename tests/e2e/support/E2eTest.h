#pragma once

#include "E2ePaths.h"
#include "JackServer.h"
#include "TempDirectory.h"
#include "VelthornApp.h"
#include "XvfbServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace e2e
{
    // Base fixture of the end-to-end tests. Each test gets a private work
    // folder (HOME, logs), and starts what it needs: its own X server, its
    // own JACK server, the app. Everything started is stopped by its pid when
    // the test ends, pass or fail: JACK first, then the app, then X. (An app
    // killed while its JACK server runs leaves a client that never answers,
    // and the server then spends seconds timing it out; a server that goes
    // first just tells its clients it is leaving.) On failure the output of
    // each process is printed and the logs are kept with the test's
    // artefacts.
    class E2eTest : public ::testing::Test
    {
    protected:
        // Test thread.
        E2eTest();
        // Test thread: stops JACK, then the app, then X, then removes the work folder.
        ~E2eTest() override;

        // Test thread: prints every process's output when the test failed.
        void TearDown() override;

        // Test thread: starts the test's X server (once).
        XvfbServer& startXvfb();
        // Test thread: starts the test's JACK server (once); after launchApp,
        // under the name the app was pointed at.
        JackServer& startJack();
        // Test thread: starts Velthorn (the build's binary unless another is
        // given) on the test's X server (started here if need be) and on the
        // test's JACK server if there is one, else on a JACK server name
        // nobody uses; through `launcher` if one is given, with `arguments`
        // on its command line (see VelthornApp).
        VelthornApp& launchApp (const std::filesystem::path& binary = velthornBinary(),
                                const std::vector<std::string>& launcher = {},
                                const std::vector<std::string>& arguments = {});
        // Test thread: starts the test's JACK server and Velthorn on it, waits
        // until the app has opened its JACK device and painted its window,
        // and returns the window; throws, with what went wrong, otherwise.
        AppWindow launchAppOnJack (const std::vector<std::string>& launcher = {});

        // Test thread: the app launchApp started; throws if none was.
        VelthornApp& launchedApp();

        // Test thread: writes `content` as the app's settings file, before launchApp.
        void writeSettingsFile (const std::string& content);

        // Test thread: ALSA's whole configuration for the app, before
        // launchApp (none by default: no ALSA device at all).
        void useAlsaConfiguration (const std::string& content) { alsaConfiguration = content; }

        // Test thread: the JACK server name the app was started with (the
        // test's server, or one that does not exist).
        const std::string& jackServerNameOfApp() const noexcept { return appJackServerName; }

        // Test thread: the private HOME the app runs with.
        std::filesystem::path home() const;
        // Test thread: where processes and tools write their output.
        std::filesystem::path logDirectory() const;
        // Test thread: a file under this test's artefact folder.
        std::filesystem::path artefact (const std::string& name) const;

    private:
        TempDirectory work;
        std::unique_ptr<XvfbServer> xvfb;
        std::unique_ptr<JackServer> jack;
        std::unique_ptr<VelthornApp> app;
        std::string appJackServerName;
        std::string alsaConfiguration;
    };
}
