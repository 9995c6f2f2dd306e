#include "ExitStatus.h"

#include <cstring>
#include <sys/wait.h>

namespace e2e
{
    ExitStatus ExitStatus::fromWaitStatus (int status) noexcept
    {
        ExitStatus result;

        if (WIFEXITED (status))
        {
            result.exited = true;
            result.code = WEXITSTATUS (status);
        }
        else if (WIFSIGNALED (status))
        {
            result.signal = WTERMSIG (status);
        }

        return result;
    }

    std::string ExitStatus::describe() const
    {
        if (exited)
            return "exit code " + std::to_string (code);

        return "killed by signal " + std::to_string (signal) + " (" + ::strsignal (signal) + ")";
    }
}
