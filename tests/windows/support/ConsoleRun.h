#pragma once

#include "Environment.h"
#include "ExitStatus.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace windowstest
{
    // What a program run on a terminal printed there, and how it ended.
    struct ConsoleRun final
    {
        std::optional<e2e::ExitStatus> status;   // empty when it had to be stopped at the deadline
        std::string text;                        // the terminal's text, without its control sequences
    };

    // Test thread: runs the command on a terminal of its own (a pseudo-
    // terminal, so wine gives its Windows programs a console there) with
    // the given environment, reads everything shown until it ends, and
    // stops it by its pid at the deadline.
    ConsoleRun runOnTerminal (const std::vector<std::string>& arguments, const e2e::Environment& environment,
                              std::chrono::milliseconds timeout);
}
