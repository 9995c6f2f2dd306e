#include "HostTest.h"

#include "PluginPaths.h"

#include <iostream>

namespace hosttest
{
    HostTest::HostTest()
        : work ("velthorn-hosts-")
    {
        std::filesystem::create_directories (home());
        std::filesystem::create_directories (logDirectory());
    }

    HostTest::~HostTest()
    {
        // The host goes first: a JACK server asked to stop while a client is
        // still connected can outlast the grace period and be killed, and a
        // killed server keeps its place in JACK's machine-wide registry of
        // eight for good.
        const auto serverName = jack != nullptr ? jack->name() : std::string();
        host.reset();
        jack.reset();

        if (! serverName.empty())
            e2e::JackServer::removeLeftoversOf (serverName);

        xvfb.reset();
    }

    void HostTest::TearDown()
    {
        if (! HasFailure())
            return;

        std::cerr << "==== output of the processes this test started\n";

        if (host != nullptr)
            std::cerr << host->report();
        if (jack != nullptr)
            std::cerr << jack->process().report();
        if (xvfb != nullptr)
            std::cerr << xvfb->process().report();
    }

    e2e::XvfbServer& HostTest::startXvfb()
    {
        if (xvfb == nullptr)
            xvfb = std::make_unique<e2e::XvfbServer> (logDirectory());

        return *xvfb;
    }

    e2e::JackServer& HostTest::startJack()
    {
        if (jack == nullptr)
            // A DAW loading a session is a slow client at first; jackd
            // would otherwise drop it from the graph on a loaded machine.
            jack = std::make_unique<e2e::JackServer> (logDirectory(), 10000);

        return *jack;
    }

    e2e::Process& HostTest::startHost (e2e::ProcessSpec spec)
    {
        spec.logDirectory = logDirectory();
        host = std::make_unique<e2e::Process> (std::move (spec));
        return *host;
    }

    e2e::Environment HostTest::hostEnvironment() const
    {
        auto environment = e2e::Environment::minimal();
        environment.set ("HOME", home().string());
        environment.set ("XDG_CONFIG_HOME", (home() / ".config").string());
        environment.set ("LV2_PATH", lv2Folder().string());
        environment.set ("JACK_NO_AUDIO_RESERVATION", "1");

        if (jack != nullptr)
            environment.set ("JACK_DEFAULT_SERVER", jack->name());
        if (xvfb != nullptr)
            environment.set ("DISPLAY", xvfb->display());

        return environment;
    }

    std::filesystem::path HostTest::home() const
    {
        return work.path() / "home";
    }

    std::filesystem::path HostTest::workFolder() const
    {
        return work.path();
    }

    std::filesystem::path HostTest::logDirectory() const
    {
        return work.path() / "logs";
    }
}
