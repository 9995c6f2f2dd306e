#pragma once

#include <string>

namespace e2e
{
    // How a child process ended, decoded from waitpid's status word.
    struct ExitStatus final
    {
        bool exited = false;    // true: ended by exit(); false: killed by a signal
        int code = 0;           // exit code when exited
        int signal = 0;         // signal number when not exited

        // Any thread.
        static ExitStatus fromWaitStatus (int status) noexcept;

        // Any thread: true when the process called exit (expectedCode).
        bool isExitCode (int expectedCode) const noexcept { return exited && code == expectedCode; }

        // Any thread: "exit code 0" or "killed by signal 9 (Killed)".
        std::string describe() const;
    };
}
