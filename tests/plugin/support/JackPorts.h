#pragma once

#include "JackServer.h"

#include <chrono>
#include <string>
#include <vector>

namespace hosttest
{
    // Test thread: waits until every one of these ports exists on the server
    // (a host registers them as it starts); false at the deadline.
    bool waitForPorts (const e2e::JackServer& server, const std::vector<std::string>& portNames,
                       std::chrono::milliseconds timeout);
}
