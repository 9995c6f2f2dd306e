#pragma once

#include "Environment.h"
#include "ExitStatus.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace e2e
{
    // The outcome of running a command-line tool to completion.
    struct ToolResult final
    {
        std::optional<ExitStatus> status;   // empty when it had to be stopped at the deadline
        std::string standardOutput;
        std::string standardError;
        std::string commandLine;

        // Any thread: ended by itself with exit code 0.
        bool succeeded() const noexcept { return status.has_value() && status->isExitCode (0); }

        // Any thread: the command, how it ended and what it said.
        std::string describe() const;
    };

    // Test thread: runs a tool (xdotool, import, convert ...) with the given
    // environment and waits for it; logs go to logDirectory. A tool still
    // running at the deadline is stopped.
    ToolResult runTool (const std::vector<std::string>& arguments, const Environment& environment,
                        const std::filesystem::path& logDirectory,
                        std::chrono::milliseconds timeout);
}
