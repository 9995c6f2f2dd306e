#include "JackClient.h"

#include <cerrno>
#include <mutex>
#include <stdexcept>

namespace e2e
{
    namespace
    {
        // libjack reports every failed attempt on stderr, which drowns a test's
        // output while a server is still starting. The status codes say enough.
        void quiet (const char*) {}

        void silenceLibJack()
        {
            static std::once_flag once;
            std::call_once (once, []
            {
                jack_set_error_function (quiet);
                jack_set_info_function (quiet);
            });
        }
    }

    std::unique_ptr<JackClient> JackClient::tryOpen (const std::string& serverName, const std::string& clientName)
    {
        silenceLibJack();

        jack_status_t status {};
        const auto options = static_cast<jack_options_t> (JackNoStartServer | JackServerName);

        if (auto* const opened = jack_client_open (clientName.c_str(), options, &status, serverName.c_str()))
            return std::unique_ptr<JackClient> (new JackClient (opened));

        return nullptr;
    }

    std::unique_ptr<JackClient> JackClient::open (const std::string& serverName, const std::string& clientName)
    {
        auto client = tryOpen (serverName, clientName);

        if (client == nullptr)
            throw std::runtime_error ("cannot open JACK client '" + clientName + "' on server '" + serverName + "'");

        return client;
    }

    JackClient::~JackClient()
    {
        jack_deactivate (client);
        jack_client_close (client);
    }

    std::string JackClient::name() const
    {
        return jack_get_client_name (client);
    }

    bool JackClient::portExists (const std::string& portName) const
    {
        return jack_port_by_name (client, portName.c_str()) != nullptr;
    }

    std::vector<std::string> JackClient::portsMatching (const std::string& pattern, unsigned long flags) const
    {
        std::vector<std::string> result;

        if (const auto** const names = jack_get_ports (client, pattern.c_str(), nullptr, flags))
        {
            for (auto** name = names; *name != nullptr; ++name)
                result.emplace_back (*name);

            jack_free (names);
        }

        return result;
    }

    std::vector<std::string> JackClient::connectionsOf (const std::string& portName) const
    {
        std::vector<std::string> result;
        const auto* const port = jack_port_by_name (client, portName.c_str());

        if (port == nullptr)
            return result;

        if (const char** const names = jack_port_get_all_connections (client, port))
        {
            for (auto** name = names; *name != nullptr; ++name)
                result.emplace_back (*name);

            jack_free (names);
        }

        return result;
    }

    void JackClient::connect (const std::string& sourcePort, const std::string& destinationPort)
    {
        const int result = jack_connect (client, sourcePort.c_str(), destinationPort.c_str());

        if (result != 0 && result != EEXIST)
            throw std::runtime_error ("JACK refused to connect " + sourcePort + " -> " + destinationPort
                                      + " (error " + std::to_string (result) + ")");
    }

    void JackClient::disconnect (const std::string& sourcePort, const std::string& destinationPort)
    {
        const int result = jack_disconnect (client, sourcePort.c_str(), destinationPort.c_str());

        if (result != 0)
            throw std::runtime_error ("JACK refused to disconnect " + sourcePort + " -> " + destinationPort
                                      + " (error " + std::to_string (result) + ")");
    }

    double JackClient::sampleRate() const
    {
        return static_cast<double> (jack_get_sample_rate (client));
    }

    int JackClient::bufferSize() const
    {
        return static_cast<int> (jack_get_buffer_size (client));
    }
}
