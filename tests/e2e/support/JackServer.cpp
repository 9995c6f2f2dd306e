#include "JackServer.h"

#include "Polling.h"

#include <atomic>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <unistd.h>

namespace e2e
{
    std::string JackServer::uniqueServerName()
    {
        static std::atomic<int> counter { 0 };
        static const auto salt = std::random_device {}() & 0xffffu;
        return "velthorn-e2e-" + std::to_string (::getpid()) + "-" + std::to_string (salt)
               + "-" + std::to_string (++counter);
    }

    std::string JackServer::uniqueClientName (const std::string& role)
    {
        static std::atomic<int> counter { 0 };
        return "e2e-" + role + "-" + std::to_string (::getpid()) + "-" + std::to_string (++counter);
    }

    JackServer::JackServer (const std::filesystem::path& logDirectory, int clientTimeoutMs, int periodIntervalUs)
        : logs (logDirectory), clientTimeout (clientTimeoutMs), periodInterval (periodIntervalUs)
    {
        // jackd allows its driver thread about a second to start running and
        // gives up otherwise, which a heavily loaded machine can make it do.
        // A server that gave up is started again, under a new name.
        constexpr int attempts = 3;
        std::string failures;

        for (int attempt = 1; attempt <= attempts; ++attempt)
        {
            serverName = uniqueServerName();

            if (launch (attempt == 1 ? "jackd" : "jackd-attempt" + std::to_string (attempt)))
                return;

            const bool gaveUp = ! server->isRunning();
            server->stop();
            failures += server->report();
            removeLeftoversOf (serverName);

            if (! gaveUp)
                break;   // still running but not answering: trying again would not help
        }

        throw std::runtime_error ("no JACK server accepted a client within "
                                  + std::to_string (startupTimeout.count()) + " ms\n" + failures);
    }

    JackServer::JackServer (const std::filesystem::path& logDirectory, const std::string& name)
        : logs (logDirectory), serverName (name)
    {
        startAgain();
    }

    bool JackServer::launch (const std::string& label)
    {
        ProcessSpec spec;
        spec.label = label;
        // -r: no real-time scheduling, which containers and CI runners
        // rarely grant. -S: the server waits for every client each period
        // rather than carrying on without a late one, so a loaded machine
        // slows the graph down instead of dropping or repeating a block of
        // the test signal.
        spec.arguments = { "jackd", "-n", serverName, "-r", "-S",
                           "-d", "dummy", "-r", std::to_string (sampleRate), "-p", std::to_string (periodFrames),
                           "-C", "2", "-P", "2" };

        if (clientTimeout > 0)
            spec.arguments.insert (spec.arguments.begin() + 1, { "-t", std::to_string (clientTimeout) });

        if (periodInterval > 0)
            spec.arguments.insert (spec.arguments.end(), { "-w", std::to_string (periodInterval) });

        spec.environment.set ("JACK_NO_AUDIO_RESERVATION", "1");
        spec.logDirectory = logs;
        server = std::make_unique<Process> (spec);

        const bool ready = pollUntil (startupTimeout, [this]
        {
            return ! server->isRunning() || JackClient::tryOpen (serverName, uniqueClientName ("probe")) != nullptr;
        });

        return ready && server->isRunning();
    }

    void JackServer::stopServer()
    {
        server->stop();
    }

    void JackServer::killServer()
    {
        server->kill();
    }

    void JackServer::startAgain()
    {
        constexpr int attempts = 3;
        std::string failures;

        for (int attempt = 1; attempt <= attempts; ++attempt)
        {
            ++restarts;
            if (launch ("jackd-restart" + std::to_string (restarts)))
                return;

            const bool gaveUp = ! server->isRunning();
            server->stop();
            failures += server->report();

            if (! gaveUp)
                break;
        }

        throw std::runtime_error ("the JACK server " + serverName + " did not accept a client again within "
                                  + std::to_string (startupTimeout.count()) + " ms\n" + failures);
    }

    void JackServer::removeLeftoversOf (const std::string& name)
    {
        // JACK names a client's semaphore /dev/shm/jack_sem.<uid>_<server>_<client>.
        const auto prefix = "jack_sem." + std::to_string (::getuid()) + "_" + name + "_";
        std::error_code error;

        for (const auto& entry : std::filesystem::directory_iterator ("/dev/shm", error))
            if (entry.path().filename().string().rfind (prefix, 0) == 0)
                std::filesystem::remove (entry.path(), error);
    }

    JackServer::~JackServer()
    {
        server->stop();
    }

    std::unique_ptr<JackClient> JackServer::openClient (const std::string& clientName) const
    {
        return JackClient::open (serverName, clientName);
    }
}
