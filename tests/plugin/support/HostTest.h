#pragma once

#include "JackServer.h"
#include "Process.h"
#include "TempDirectory.h"
#include "XvfbServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace hosttest
{
    // Base fixture of the tests that load the built plugins into real hosts.
    // Each test gets a private work folder (HOME, logs) and starts what it
    // needs: its own X server, its own JACK server (dummy driver, sync mode),
    // the host. Everything is stopped by its pid when the test ends: JACK
    // first (its clients are told it leaves, rather than timed out one by
    // one), then the host, then X. On failure every process's output is
    // printed.
    class HostTest : public ::testing::Test
    {
    protected:
        // Test thread.
        HostTest();
        // Test thread.
        ~HostTest() override;

        // Test thread: prints every process's output when the test failed.
        void TearDown() override;

        // Test thread: starts the test's X server (once).
        e2e::XvfbServer& startXvfb();
        // Test thread: starts the test's JACK server (once).
        e2e::JackServer& startJack();
        // Test thread: starts a host process; it is stopped after JACK.
        e2e::Process& startHost (e2e::ProcessSpec spec);

        // Test thread: an environment for a host: private HOME, the test's
        // JACK server and X display (where started), LV2_PATH at the build tree.
        e2e::Environment hostEnvironment() const;

        // Test thread.
        std::filesystem::path home() const;
        // Test thread.
        std::filesystem::path workFolder() const;
        // Test thread.
        std::filesystem::path logDirectory() const;

    private:
        e2e::TempDirectory work;
        std::unique_ptr<e2e::XvfbServer> xvfb;
        std::unique_ptr<e2e::JackServer> jack;
        std::unique_ptr<e2e::Process> host;
    };
}
