#include "ToolRun.h"

#include "Polling.h"
#include "Process.h"

#include <atomic>
#include <filesystem>

namespace e2e
{
    std::string ToolResult::describe() const
    {
        return "`" + commandLine + "` "
               + (status.has_value() ? "ended with " + status->describe() : std::string ("did not finish in time"))
               + "\nstdout: " + standardOutput + "\nstderr: " + standardError;
    }

    ToolResult runTool (const std::vector<std::string>& arguments, const Environment& environment,
                        const std::filesystem::path& logDirectory,
                        std::chrono::milliseconds timeout)
    {
        // Each run gets log files of its own, so a failure shows its own output.
        static std::atomic<int> runCounter { 0 };
        const auto name = std::filesystem::path (arguments.front()).filename().string();

        ProcessSpec spec;
        spec.label = "tool-" + std::to_string (++runCounter) + "-" + name;
        spec.arguments = arguments;
        spec.environment = environment;
        spec.logDirectory = logDirectory / "tools";

        ToolResult result;

        for (const auto& argument : arguments)
            result.commandLine += (result.commandLine.empty() ? "" : " ") + argument;

        Process process (spec);
        result.status = process.waitForExit (timeout);

        if (! result.status.has_value())
            process.stop();

        result.standardOutput = process.standardOutput();
        result.standardError = process.standardError();
        return result;
    }
}
