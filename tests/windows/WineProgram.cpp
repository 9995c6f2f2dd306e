#include "WineProgram.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace wintest
{
    namespace
    {
        // Our own environment, with what wine needs for a console program
        // and nothing that would lead it to a display, then `extra`.
        std::vector<std::string> wineEnvironment (const std::vector<std::string>& extra)
        {
            std::vector<std::string> variables;

            for (auto** entry = environ; *entry != nullptr; ++entry)
            {
                const std::string variable (*entry);
                const auto name = variable.substr (0, variable.find ('='));

                if (name != "DISPLAY" && name != "WAYLAND_DISPLAY" && name != "WINEPREFIX" && name != "WINEDEBUG"
                    && name != "WINEDLLOVERRIDES")
                    variables.push_back (variable);
            }

            variables.push_back ("WINEPREFIX=" + winePrefix());
            variables.push_back ("WINEDEBUG=-all");
            // No offer to download Mono or Gecko, should the prefix be updated.
            variables.push_back ("WINEDLLOVERRIDES=mscoree,mshtml=");
            variables.insert (variables.end(), extra.begin(), extra.end());
            return variables;
        }

        std::vector<char*> pointersTo (std::vector<std::string>& strings)
        {
            std::vector<char*> pointers;

            for (auto& text : strings)
                pointers.push_back (text.data());

            pointers.push_back (nullptr);
            return pointers;
        }

        // Forks and runs `program` under wine with its streams on the
        // given descriptors; returns the child's process id, which is the
        // Windows program's own (wine's loader becomes it).
        int start (const std::string& program, const std::vector<std::string>& arguments,
                   const std::string& workingDirectory, const std::vector<std::string>& extraEnvironment, int outFd, int errFd)
        {
            std::vector<std::string> argv { VELTHORN_WINE, program };
            argv.insert (argv.end(), arguments.begin(), arguments.end());
            auto environment = wineEnvironment (extraEnvironment);
            auto argPointers = pointersTo (argv);
            auto envPointers = pointersTo (environment);

            const auto pid = ::fork();

            if (pid < 0)
                throw std::runtime_error ("fork failed");

            if (pid == 0)
            {
                const auto nullFd = ::open ("/dev/null", O_RDWR);
                ::dup2 (nullFd, STDIN_FILENO);
                ::dup2 (outFd >= 0 ? outFd : nullFd, STDOUT_FILENO);
                ::dup2 (errFd, STDERR_FILENO);

                // As a shell would start it: nothing ignored or blocked.
                for (int signalNumber = 1; signalNumber < NSIG; ++signalNumber)
                    if (signalNumber != SIGKILL && signalNumber != SIGSTOP)
                        ::signal (signalNumber, SIG_DFL);

                sigset_t none;
                sigemptyset (&none);
                ::sigprocmask (SIG_SETMASK, &none, nullptr);

                if (::chdir (workingDirectory.c_str()) != 0)
                    ::_exit (127);

                ::execve (argPointers[0], argPointers.data(), envPointers.data());
                ::_exit (127);
            }

            return pid;
        }

        std::string readAll (int fd)
        {
            std::string text;
            char buffer[4096];

            for (;;)
            {
                const auto got = ::read (fd, buffer, sizeof (buffer));

                if (got < 0 && errno == EINTR)
                    continue;

                if (got <= 0)
                    break;

                text.append (buffer, static_cast<size_t> (got));
            }

            return text;
        }

        void collect (int pid, rendertest::RunResult& result)
        {
            int status = 0;

            while (::waitpid (pid, &status, 0) < 0 && errno == EINTR)
            {
            }

            if (WIFEXITED (status))
            {
                result.exitCode = WEXITSTATUS (status);
                result.signal = 0;
            }
            else if (WIFSIGNALED (status))
            {
                result.exitCode = -1;
                result.signal = WTERMSIG (status);
            }
        }

        int runScript (const std::string& action, const std::string& prefix)
        {
            const auto command = std::string ("'" VELTHORN_WINE_PREFIX_SCRIPT "' ") + action + " '" + prefix + "' '"
                               + VELTHORN_WINE + "' >/dev/null 2>&1";
            return std::system (command.c_str());
        }

        struct OwnPrefix
        {
            std::string path;

            OwnPrefix()
            {
                char name[] = "/tmp/velthorn-wine-XXXXXX";

                if (::mkdtemp (name) == nullptr)
                    throw std::runtime_error ("mkdtemp failed");

                path = name;

                if (runScript ("create", path) != 0)
                    throw std::runtime_error ("cannot set up a wine prefix in " + path);
            }

            ~OwnPrefix()
            {
                runScript ("remove", path);
            }
        };
    }

    std::string winePrefix()
    {
        if (const auto* const given = std::getenv ("VELTHORN_WINEPREFIX"); given != nullptr && *given != '\0')
            return given;

        // Removed when the program exits, after every test.
        static const OwnPrefix own;
        return own.path;
    }

    rendertest::RunResult runUnderWine (const std::string& program, const std::vector<std::string>& arguments,
                                        const std::string& workingDirectory, const std::vector<std::string>& environment)
    {
        // Both streams go to unlinked temporary files: pipes could fill up
        // while this side waits for the process.
        char outName[] = "/tmp/velthorn-wine-out-XXXXXX";
        char errName[] = "/tmp/velthorn-wine-err-XXXXXX";
        const auto outFd = ::mkstemp (outName);
        const auto errFd = ::mkstemp (errName);
        ::unlink (outName);
        ::unlink (errName);

        rendertest::RunResult result;
        collect (start (program, arguments, workingDirectory, environment, outFd, errFd), result);

        ::lseek (outFd, 0, SEEK_SET);
        ::lseek (errFd, 0, SEEK_SET);
        result.out = readAll (outFd);
        result.err = readAll (errFd);
        ::close (outFd);
        ::close (errFd);
        return result;
    }

    rendertest::RunResult runWindowsRenderer (const std::vector<std::string>& arguments, const std::string& workingDirectory)
    {
        return runUnderWine (VELTHORN_WINDOWS_RENDER_BINARY, arguments, workingDirectory);
    }

    RunningUnderWine::RunningUnderWine (const std::string& program, const std::vector<std::string>& arguments,
                                        const std::string& workingDirectory, const std::vector<std::string>& environment)
    {
        int pipeFds[2] = { -1, -1 };

        if (::pipe2 (pipeFds, O_CLOEXEC) != 0)
            throw std::runtime_error ("pipe failed");

        // The child's copy of the write end is made by dup2, which clears
        // close-on-exec; every other copy closes.
        pid = start (program, arguments, workingDirectory, environment, -1, pipeFds[1]);
        ::close (pipeFds[1]);
        errFd = pipeFds[0];
    }

    RunningUnderWine::~RunningUnderWine()
    {
        if (pid > 0)
        {
            ::kill (pid, SIGKILL);
            rendertest::RunResult ignored;
            collect (pid, ignored);
        }

        if (errFd >= 0)
            ::close (errFd);
    }

    bool RunningUnderWine::waitForStderr (const std::string& text)
    {
        char buffer[256];

        while (err.find (text) == std::string::npos)
        {
            const auto got = ::read (errFd, buffer, sizeof (buffer));

            if (got < 0 && errno == EINTR)
                continue;

            if (got <= 0)
                return false;

            err.append (buffer, static_cast<size_t> (got));
        }

        return true;
    }

    void RunningUnderWine::pressControlC()
    {
        ASSERT_GT (pid, 0);
        ::kill (pid, SIGINT);
    }

    rendertest::RunResult RunningUnderWine::wait()
    {
        rendertest::RunResult result;

        if (pid <= 0)
            return result;

        // The pipe is drained once the program has ended, not read to its
        // end: a wine server the program started may hold it open for a
        // while after.
        collect (pid, result);
        pid = -1;
        ::fcntl (errFd, F_SETFL, ::fcntl (errFd, F_GETFL) | O_NONBLOCK);
        err += readAll (errFd);
        result.err = err;
        return result;
    }
}
