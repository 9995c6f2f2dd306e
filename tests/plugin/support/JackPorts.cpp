#include "JackPorts.h"

#include "Polling.h"

namespace hosttest
{
    bool waitForPorts (const e2e::JackServer& server, const std::vector<std::string>& portNames,
                       std::chrono::milliseconds timeout)
    {
        const auto probe = server.openClient (e2e::JackServer::uniqueClientName ("probe"));

        return e2e::pollUntil (timeout, [&]
        {
            for (const auto& port : portNames)
                if (! probe->portExists (port))
                    return false;

            return true;
        });
    }
}
