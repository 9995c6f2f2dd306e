#include "XvfbServer.h"

#include "Polling.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

namespace e2e
{
    namespace
    {
        // Xvfb writes the display number and a newline to the -displayfd
        // descriptor once it is ready for clients. Returns the text read, or
        // empty if the server closed the pipe (it died) or the time ran out.
        std::string readDisplayNumber (int fd, Process& server, std::chrono::milliseconds timeout)
        {
            std::string text;
            const auto deadline = std::chrono::steady_clock::now() + timeout;

            while (text.find ('\n') == std::string::npos)
            {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds> (deadline - std::chrono::steady_clock::now());
                if (left.count() <= 0 || ! server.isRunning())
                    return {};

                pollfd request { fd, POLLIN, 0 };
                const int ready = ::poll (&request, 1, static_cast<int> (std::min<long long> (left.count(), 200)));

                if (ready < 0 && errno != EINTR)
                    return {};

                if (ready > 0)
                {
                    char buffer[32];
                    const auto got = ::read (fd, buffer, sizeof (buffer));

                    if (got == 0)
                        return {};

                    if (got > 0)
                        text.append (buffer, static_cast<size_t> (got));
                }
            }

            return text.substr (0, text.find ('\n'));
        }
    }

    XvfbServer::XvfbServer (const std::filesystem::path& logDirectory)
    {
        int displayPipe[2];
        if (::pipe2 (displayPipe, O_CLOEXEC) != 0)
            throw std::runtime_error ("pipe2 failed: " + std::string (std::strerror (errno)));

        ProcessSpec spec;
        spec.label = "xvfb";
        spec.arguments = { "Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp" };
        spec.logDirectory = logDirectory;
        spec.descriptorForChildFd3 = displayPipe[1];

        try
        {
            server = std::make_unique<Process> (spec);
        }
        catch (...)
        {
            ::close (displayPipe[0]);
            ::close (displayPipe[1]);
            throw;
        }

        // Only the child may hold the write end, or a dying server would not
        // close the pipe.
        ::close (displayPipe[1]);
        const auto number = readDisplayNumber (displayPipe[0], *server, startupTimeout);
        ::close (displayPipe[0]);

        if (number.empty() || number.find_first_not_of ("0123456789") != std::string::npos)
            throw std::runtime_error ("Xvfb did not report a display within "
                                      + std::to_string (startupTimeout.count()) + " ms (got '" + number + "')\n"
                                      + server->report());

        displayName = ":" + number;
    }

    XvfbServer::~XvfbServer()
    {
        server->stop();
    }
}
