#pragma once

#include "ExitStatus.h"
#include "ProcessSpec.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>

namespace e2e
{
    // One child process, owned: it is stopped by its own process id (SIGTERM,
    // then SIGKILL) and reaped when this object goes, also when a test fails or
    // throws. Should the test process itself die, the child gets SIGTERM from
    // the kernel (parent-death signal), so nothing outlives a crashed test.
    //
    // Everything here runs on the thread that created the object (the kernel
    // ties the parent-death signal to that thread).
    class Process final
    {
    public:
        // Test thread: starts the process; throws std::runtime_error when the
        // program cannot be found or executed.
        explicit Process (ProcessSpec spec);
        // Test thread: stop() if still running.
        ~Process();

        Process (const Process&) = delete;
        Process& operator= (const Process&) = delete;

        // Test thread.
        pid_t pid() const noexcept { return childPid; }
        // Test thread.
        const std::string& label() const noexcept { return spec.label; }

        // Test thread: false once the process has ended (it is then reaped).
        bool isRunning();

        // Test thread: waits up to timeout for the process to end by itself.
        std::optional<ExitStatus> waitForExit (std::chrono::milliseconds timeout);

        // Test thread: SIGTERM, up to gracePeriod for it to end, then SIGKILL.
        // Returns how it ended; harmless when it has ended already.
        ExitStatus stop (std::chrono::milliseconds gracePeriod = std::chrono::seconds (10));

        // Test thread: SIGKILL at once, as a crash or `kill -9` ends it, with
        // no chance to say goodbye. Returns how it ended.
        ExitStatus kill();

        // Test thread: how it ended, if it has ended and been reaped.
        std::optional<ExitStatus> exitStatus() const noexcept { return status; }

        // Test thread: everything the process wrote so far.
        std::string standardOutput() const;
        // Test thread.
        std::string standardError() const;

        // Test thread: label, pid, state and both logs, for failure messages.
        std::string report() const;

    private:
        bool reap (bool block);

        ProcessSpec spec;
        std::filesystem::path stdoutPath, stderrPath;
        pid_t childPid = -1;
        std::optional<ExitStatus> status;
    };
}
