#pragma once

#include "JackClient.h"
#include "Process.h"

#include <filesystem>
#include <memory>
#include <string>

namespace e2e
{
    // A JACK server of this test's own (dummy driver, so no sound card is
    // needed), under a unique server name so tests can run side by side.
    // Clients find it through JACK_DEFAULT_SERVER=name() or JackServerName.
    // Test thread only.
    class JackServer final
    {
    public:
        static constexpr int sampleRate = 48000;
        static constexpr int periodFrames = 256;

        // Test thread: starts jackd and returns once a client can connect;
        // throws with jackd's log if none can within the start-up deadline.
        // clientTimeoutMs > 0 gives clients that long per period before the
        // server counts them late (jackd's -t), for heavy clients such as a
        // DAW on a loaded machine; 0 keeps jackd's default. periodIntervalUs
        // > 0 runs the dummy clock slower than real time, one period every
        // that many microseconds (the driver's -w), for clients whose own
        // timing cannot wait for the graph (an app under wine, whose sound
        // goes through buffers of wine's and ALSA's); 0 is real time.
        explicit JackServer (const std::filesystem::path& logDirectory, int clientTimeoutMs = 0, int periodIntervalUs = 0);
        // Test thread: the same under a name given beforehand (clients were
        // pointed at it before it existed); throws if it does not come up.
        JackServer (const std::filesystem::path& logDirectory, const std::string& name);
        // Test thread: stops jackd by its pid.
        ~JackServer();

        JackServer (const JackServer&) = delete;
        JackServer& operator= (const JackServer&) = delete;

        // Test thread: a name no other server on this machine uses; also good
        // for pointing a client at a server that does not exist.
        static std::string uniqueServerName();

        // Test thread.
        const std::string& name() const noexcept { return serverName; }
        // Test thread.
        Process& process() noexcept { return *server; }

        // Test thread: a client name no other live client on this machine
        // uses, whichever server it is on ("e2e-<role>-<pid>-<n>"); see
        // JackClientNamesLock for why that matters.
        static std::string uniqueClientName (const std::string& role);

        // Test thread: removes what clients of the named server left in
        // /dev/shm (a client that dies after its server keeps its semaphore
        // file there). Only for servers of ours, once all their clients ended.
        static void removeLeftoversOf (const std::string& serverName);

        // Test thread: a client of this server; throws when it cannot connect.
        std::unique_ptr<JackClient> openClient (const std::string& clientName) const;

        // Test thread: stops jackd by its pid (SIGTERM, as a person stopping
        // the server does), telling its clients it is leaving.
        void stopServer();
        // Test thread: kills jackd by its pid (SIGKILL): the server vanishes
        // without a word to its clients, as when it crashes.
        void killServer();
        // Test thread: after stopServer, starts jackd again under the same
        // name and settings and returns once a client can connect; throws
        // with jackd's log if none can.
        void startAgain();

    private:
        // Starts jackd under serverName; true once a client can connect.
        bool launch (const std::string& label);

        std::filesystem::path logs;
        int clientTimeout = 0;
        int periodInterval = 0;
        std::string serverName;
        std::unique_ptr<Process> server;
        int restarts = 0;
    };
}
