#pragma once

#include "Process.h"

#include <filesystem>
#include <memory>
#include <string>

namespace e2e
{
    // A private X server on a display number it picks itself (-displayfd), so
    // tests running in parallel never collide. Test thread only.
    class XvfbServer final
    {
    public:
        // Test thread: starts Xvfb (1024x768, 24 bit, no TCP) and returns once
        // it accepts connections; throws with its log if it does not.
        explicit XvfbServer (const std::filesystem::path& logDirectory);
        // Test thread: stops the server by its pid.
        ~XvfbServer();

        XvfbServer (const XvfbServer&) = delete;
        XvfbServer& operator= (const XvfbServer&) = delete;

        // Test thread: ":N", the value for DISPLAY.
        const std::string& display() const noexcept { return displayName; }

        // Test thread.
        Process& process() noexcept { return *server; }

    private:
        std::unique_ptr<Process> server;
        std::string displayName;
    };
}
