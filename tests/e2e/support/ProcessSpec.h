#pragma once

#include "Environment.h"

#include <filesystem>
#include <string>
#include <vector>

namespace e2e
{
    // What to start and where its output goes.
    struct ProcessSpec final
    {
        // Names the log files and every message about the process.
        std::string label;
        // arguments[0] is the program; without a slash it is looked up on the
        // PATH of `environment`.
        std::vector<std::string> arguments;
        // The child's whole environment.
        Environment environment = Environment::minimal();
        // stdout and stderr go to <logDirectory>/<label>.stdout and .stderr.
        std::filesystem::path logDirectory;
        // A descriptor of this process to hand to the child as its fd 3
        // (Xvfb's -displayfd), or -1.
        int descriptorForChildFd3 = -1;
    };
}
