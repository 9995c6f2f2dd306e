#include "JackServer.h"

#include "Polling.h"

#include <atomic>
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

    JackServer::JackServer (const std::filesystem::path& logDirectory)
        : serverName (uniqueServerName())
    {
        ProcessSpec spec;
        spec.label = "jackd";
        // -r: no real-time scheduling, which containers and CI runners rarely
        // grant. -S: the server waits for every client each period rather than
        // carrying on without a late one, so a loaded machine slows the graph
        // down instead of dropping or repeating a block of the test signal.
        spec.arguments = { "jackd", "-n", serverName, "-r", "-S",
                           "-d", "dummy", "-r", std::to_string (sampleRate), "-p", std::to_string (periodFrames),
                           "-C", "2", "-P", "2" };
        spec.environment.set ("JACK_NO_AUDIO_RESERVATION", "1");
        spec.logDirectory = logDirectory;
        server = std::make_unique<Process> (spec);

        const bool ready = pollUntil (startupTimeout, [this]
        {
            return ! server->isRunning() || JackClient::tryOpen (serverName, "velthorn-e2e-probe") != nullptr;
        });

        if (! ready || ! server->isRunning())
            throw std::runtime_error ("JACK server '" + serverName + "' did not accept a client within "
                                      + std::to_string (startupTimeout.count()) + " ms\n" + server->report());
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
