#pragma once

#include "JackServer.h"
#include "PrivateWinePrefix.h"
#include "TempDirectory.h"
#include "WindowsVelthornApp.h"
#include "XvfbServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace windowstest
{
    // Base fixture of the tests of Velthorn.exe under wine: a private work
    // folder, and on demand the test's own X server, JACK server (dummy
    // driver), wine prefix and the app. Everything is stopped when the test
    // ends, pass or fail: JACK first, then the app, then the prefix's wine
    // processes, then X. On failure the processes' output is printed and the
    // logs are kept with the test's artefacts. Test thread only.
    class WindowsAppTestBase : public ::testing::Test
    {
    protected:
        WindowsAppTestBase();
        ~WindowsAppTestBase() override;

        void TearDown() override;

        // Test thread: the test's X server, started once.
        e2e::XvfbServer& startXvfb();
        // Test thread: the test's JACK server, at real time, started once.
        e2e::JackServer& startJack();
        // Test thread: the test's JACK server with its dummy clock eight
        // times slower than real time, for a test of wine's sound; throws if
        // a server was started already.
        e2e::JackServer& startJackEightTimesSlower();
        // Test thread: the test's wine prefix, made once.
        PrivateWinePrefix& winePrefix();
        // Test thread: starts Velthorn.exe (once) in the prefix, on the X
        // server and the JACK server (both started here if need be).
        WindowsVelthornApp& launchWindowsApp();
        // Test thread: the app launchWindowsApp started; throws if none was.
        WindowsVelthornApp& windowsApp();

        // Test thread: a folder of the test's own for anything.
        std::filesystem::path workFolder() const;
        // Test thread: where processes and tools write their output.
        std::filesystem::path logDirectory() const;
        // Test thread: a file under this test's artefact folder.
        std::filesystem::path artefact (const std::string& name) const;

    private:
        e2e::TempDirectory work;
        std::unique_ptr<e2e::XvfbServer> xvfb;
        std::unique_ptr<PrivateWinePrefix> prefix;
        std::unique_ptr<WindowsVelthornApp> app;
        std::unique_ptr<e2e::JackServer> jack;
    };
}
