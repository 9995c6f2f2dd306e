#include "Process.h"

#include "Polling.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace e2e
{
    namespace
    {
        std::string findProgram (const std::string& program, const std::string& searchPath)
        {
            if (program.find ('/') != std::string::npos)
                return program;

            std::stringstream directories (searchPath);
            std::string directory;

            while (std::getline (directories, directory, ':'))
            {
                const auto candidate = (std::filesystem::path (directory.empty() ? "." : directory) / program).string();

                if (::access (candidate.c_str(), X_OK) == 0)
                    return candidate;
            }

            throw std::runtime_error ("'" + program + "' is not installed (not found on PATH " + searchPath
                                      + "); scripts/install-deps.sh installs what the end-to-end tests need");
        }

        std::vector<char*> pointersTo (std::vector<std::string>& strings)
        {
            std::vector<char*> pointers;
            pointers.reserve (strings.size() + 1);

            for (auto& s : strings)
                pointers.push_back (s.data());

            pointers.push_back (nullptr);
            return pointers;
        }

        std::string readWholeFile (const std::filesystem::path& file)
        {
            std::ifstream in (file, std::ios::binary);
            std::stringstream content;
            content << in.rdbuf();
            return content.str();
        }

        // Between fork and exec only async-signal-safe calls are allowed: the
        // test process has other threads (JACK's), whose locks may be held.
        [[noreturn]] void runChild (const char* program, char* const* argv, char* const* envp,
                                    const char* stdoutFile, const char* stderrFile,
                                    int descriptorForFd3, int errorPipe, pid_t parentPid)
        {
            const auto fail = [&errorPipe]
            {
                const int error = errno;
                [[maybe_unused]] const auto written = ::write (errorPipe, &error, sizeof (error));
                ::_exit (127);
            };

            // Ends the child when the test process dies without cleaning up.
            if (::prctl (PR_SET_PDEATHSIG, SIGTERM) != 0)
                fail();

            if (::getppid() != parentPid)
                ::_exit (127);

            // Keep the error pipe clear of the low descriptors set up below.
            const int movedErrorPipe = ::fcntl (errorPipe, F_DUPFD_CLOEXEC, 10);
            if (movedErrorPipe < 0)
                fail();
            errorPipe = movedErrorPipe;

            sigset_t all;
            ::sigemptyset (&all);
            ::sigprocmask (SIG_SETMASK, &all, nullptr);
            ::signal (SIGPIPE, SIG_DFL);

            const int in = ::open ("/dev/null", O_RDONLY);
            const int out = ::open (stdoutFile, O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = ::open (stderrFile, O_WRONLY | O_CREAT | O_TRUNC, 0644);

            if (in < 0 || out < 0 || err < 0
                || ::dup2 (in, 0) < 0 || ::dup2 (out, 1) < 0 || ::dup2 (err, 2) < 0)
                fail();

            // dup2 onto itself would leave close-on-exec set.
            if (descriptorForFd3 == 3 && ::fcntl (3, F_SETFD, 0) < 0)
                fail();
            else if (descriptorForFd3 >= 0 && descriptorForFd3 != 3 && ::dup2 (descriptorForFd3, 3) < 0)
                fail();

            // Nothing else of the test process (JACK sockets, other pipes)
            // reaches the child.
            ::close_range (descriptorForFd3 >= 0 ? 4u : 3u, ~0u, CLOSE_RANGE_CLOEXEC);
            ::fcntl (errorPipe, F_SETFD, FD_CLOEXEC);

            ::execve (program, argv, envp);
            fail();
            ::_exit (127);
        }
    }

    Process::Process (ProcessSpec specToUse)
        : spec (std::move (specToUse))
    {
        if (spec.arguments.empty())
            throw std::invalid_argument ("no program given for " + spec.label);

        std::filesystem::create_directories (spec.logDirectory);
        stdoutPath = spec.logDirectory / (spec.label + ".stdout");
        stderrPath = spec.logDirectory / (spec.label + ".stderr");

        const auto program = findProgram (spec.arguments.front(), spec.environment.get ("PATH"));
        auto arguments = spec.arguments;
        auto environment = spec.environment.toStrings();
        const auto argv = pointersTo (arguments);
        const auto envp = pointersTo (environment);
        const auto stdoutName = stdoutPath.string();
        const auto stderrName = stderrPath.string();

        int errorPipe[2];
        if (::pipe2 (errorPipe, O_CLOEXEC) != 0)
            throw std::runtime_error ("pipe2 failed: " + std::string (std::strerror (errno)));

        const pid_t parentPid = ::getpid();
        childPid = ::fork();

        if (childPid == 0)
            runChild (program.c_str(), argv.data(), envp.data(), stdoutName.c_str(), stderrName.c_str(),
                      spec.descriptorForChildFd3, errorPipe[1], parentPid);

        const int forkError = errno;
        ::close (errorPipe[1]);

        if (childPid < 0)
        {
            ::close (errorPipe[0]);
            throw std::runtime_error ("fork failed for " + spec.label + ": " + std::strerror (forkError));
        }

        // The pipe closes on a successful exec; an errno arrives if it failed.
        int childError = 0;
        ssize_t got;
        do
            got = ::read (errorPipe[0], &childError, sizeof (childError));
        while (got < 0 && errno == EINTR);
        ::close (errorPipe[0]);

        if (got > 0)
        {
            reap (true);
            throw std::runtime_error ("cannot run " + program + " (" + spec.label + "): " + std::strerror (childError));
        }
    }

    Process::~Process()
    {
        stop();
    }

    bool Process::reap (bool block)
    {
        if (status.has_value())
            return true;

        int waitStatus = 0;
        pid_t result;
        do
            result = ::waitpid (childPid, &waitStatus, block ? 0 : WNOHANG);
        while (result < 0 && errno == EINTR);

        if (result == childPid)
        {
            status = ExitStatus::fromWaitStatus (waitStatus);
            return true;
        }

        return false;
    }

    bool Process::isRunning()
    {
        return ! reap (false);
    }

    std::optional<ExitStatus> Process::waitForExit (std::chrono::milliseconds timeout)
    {
        if (reap (false))
            return status;

        // A pid file descriptor becomes readable when the process ends, so the
        // wait is for that moment rather than a look every so often. The pid
        // cannot have been reused: the process is our child and not reaped.
        // (Through syscall: the C library's own declaration of pidfd_open
        // lacks C linkage for C++ in this version of glibc.)
        const int pidFd = static_cast<int> (::syscall (SYS_pidfd_open, childPid, 0));

        if (pidFd < 0)
        {
            pollUntil (timeout, [this] { return reap (false); });
            return status;
        }

        const auto deadline = std::chrono::steady_clock::now() + timeout;

        while (! reap (false))
        {
            const auto left = std::chrono::ceil<std::chrono::milliseconds> (deadline - std::chrono::steady_clock::now());

            if (left.count() <= 0)
                break;

            pollfd ended { pidFd, POLLIN, 0 };

            if (::poll (&ended, 1, static_cast<int> (left.count())) < 0 && errno != EINTR)
                break;
        }

        ::close (pidFd);
        return status;
    }

    ExitStatus Process::stop (std::chrono::milliseconds gracePeriod)
    {
        // Never signal a pid that was reaped already: it may belong to
        // someone else by now.
        if (! reap (false))
        {
            ::kill (childPid, SIGTERM);

            if (! waitForExit (gracePeriod).has_value())
            {
                ::kill (childPid, SIGKILL);
                reap (true);
            }
        }

        return *status;
    }

    ExitStatus Process::kill()
    {
        if (! reap (false))
        {
            ::kill (childPid, SIGKILL);
            reap (true);
        }

        return *status;
    }

    std::string Process::standardOutput() const
    {
        return readWholeFile (stdoutPath);
    }

    std::string Process::standardError() const
    {
        return readWholeFile (stderrPath);
    }

    std::string Process::report() const
    {
        std::stringstream text;
        text << "---- " << spec.label << " (pid " << childPid << ", "
             << (status.has_value() ? "ended with " + status->describe() : std::string ("still running"))
             << ")\n";

        for (const auto& argument : spec.arguments)
            text << argument << ' ';

        text << "\n---- " << spec.label << " stderr:\n" << standardError()
             << "\n---- " << spec.label << " stdout:\n" << standardOutput() << "\n";
        return text.str();
    }
}
