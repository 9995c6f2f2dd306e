#pragma once

#include <jack/jack.h>

#include <memory>
#include <string>
#include <vector>

namespace e2e
{
    // An owned connection to a JACK server, opened by server name and never
    // starting a server of its own. Closed (and deactivated) when it goes.
    // Test thread only, except get(), which its process callbacks may use.
    class JackClient final
    {
    public:
        // Test thread: null when no server of that name answers.
        static std::unique_ptr<JackClient> tryOpen (const std::string& serverName, const std::string& clientName);
        // Test thread: throws std::runtime_error when the server does not answer.
        static std::unique_ptr<JackClient> open (const std::string& serverName, const std::string& clientName);

        // Test thread.
        ~JackClient();

        JackClient (const JackClient&) = delete;
        JackClient& operator= (const JackClient&) = delete;

        // Any thread.
        jack_client_t* get() const noexcept { return client; }
        // Test thread: the name the server gave this client.
        std::string name() const;

        // Test thread: whether a port of that full name ("client:port") exists.
        bool portExists (const std::string& portName) const;
        // Test thread: full names of the ports whose names match the regular
        // expression `pattern` (JACK's own matching) and have all of `flags`
        // (JackPortIsInput, JackPortIsOutput ...).
        std::vector<std::string> portsMatching (const std::string& pattern, unsigned long flags) const;
        // Test thread: full names of the ports connected to the given port.
        std::vector<std::string> connectionsOf (const std::string& portName) const;
        // Test thread: throws when the server refuses (an existing connection is fine).
        void connect (const std::string& sourcePort, const std::string& destinationPort);
        // Test thread: throws when the server refuses.
        void disconnect (const std::string& sourcePort, const std::string& destinationPort);

        // Test thread: the server's rate and period.
        double sampleRate() const;
        // Test thread.
        int bufferSize() const;

    private:
        explicit JackClient (jack_client_t* openedClient) noexcept : client (openedClient) {}

        jack_client_t* client;
    };
}
