#include "ConsoleRun.h"

#include "Polling.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <poll.h>
#include <pty.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace windowstest
{
    namespace
    {
        std::vector<char*> pointersTo (std::vector<std::string>& strings)
        {
            std::vector<char*> pointers;

            for (auto& text : strings)
                pointers.push_back (text.data());

            pointers.push_back (nullptr);
            return pointers;
        }

        // Wine's console draws on the terminal with control sequences: it
        // hides and shows the cursor around each character, and moves the
        // cursor right over a space instead of writing one. What is left is
        // the text a person reads.
        std::string withoutControlSequences (const std::string& screen)
        {
            std::string text;

            for (size_t i = 0; i < screen.size(); ++i)
            {
                const char c = screen[i];

                if (c == '\x1b' && i + 1 < screen.size() && screen[i + 1] == '[')
                {
                    size_t end = i + 2;

                    while (end < screen.size() && ! (screen[end] >= '@' && screen[end] <= '~'))
                        ++end;

                    if (end >= screen.size())
                        break;

                    // "Cursor forward n": n blanks.
                    if (screen[end] == 'C')
                    {
                        const auto count = screen.substr (i + 2, end - i - 2);
                        text.append (count.empty() ? 1 : static_cast<size_t> (std::stoi (count)), ' ');
                    }

                    i = end;
                    continue;
                }

                if (c == '\x1b' && i + 1 < screen.size() && screen[i + 1] == ']')
                {
                    // A window title: up to BEL.
                    const auto end = screen.find ('\a', i);
                    i = end == std::string::npos ? screen.size() : end;
                    continue;
                }

                if (c != '\r')
                    text += c;
            }

            return text;
        }
    }

    ConsoleRun runOnTerminal (const std::vector<std::string>& arguments, const e2e::Environment& environment,
                              std::chrono::milliseconds timeout)
    {
        auto argv = arguments;
        auto envp = environment.toStrings();
        auto argPointers = pointersTo (argv);
        auto envPointers = pointersTo (envp);

        int terminal = -1;
        // A wide terminal, so no line of the programs' text is wrapped.
        winsize size {};
        size.ws_row = 50;
        size.ws_col = 200;

        const auto pid = ::forkpty (&terminal, nullptr, nullptr, &size);

        if (pid < 0)
            throw std::runtime_error ("cannot open a pseudo-terminal");

        if (pid == 0)
        {
            ::execve (argPointers[0], argPointers.data(), envPointers.data());
            ::_exit (127);
        }

        ConsoleRun run;
        std::string screen;
        const auto deadline = std::chrono::steady_clock::now() + timeout;

        for (;;)
        {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds> (deadline - std::chrono::steady_clock::now());

            if (left.count() <= 0)
                break;

            pollfd readable { terminal, POLLIN, 0 };
            const auto ready = ::poll (&readable, 1, static_cast<int> (left.count()));

            if (ready < 0 && errno == EINTR)
                continue;

            if (ready <= 0)
                break;

            char buffer[4096];
            const auto got = ::read (terminal, buffer, sizeof (buffer));

            // EIO once the last process on the terminal has closed it.
            if (got <= 0)
                break;

            screen.append (buffer, static_cast<size_t> (got));
        }

        // The terminal has closed: the process is ending, if it has not.
        int status = 0;
        const bool ended = e2e::pollUntil (std::max (std::chrono::milliseconds (0),
                                                     std::chrono::duration_cast<std::chrono::milliseconds> (deadline - std::chrono::steady_clock::now())),
                                           [&] { return ::waitpid (pid, &status, WNOHANG) == pid; });

        if (ended)
        {
            run.status = e2e::ExitStatus::fromWaitStatus (status);
        }
        else
        {
            ::kill (pid, SIGKILL);
            ::waitpid (pid, &status, 0);
        }

        ::close (terminal);
        run.text = withoutControlSequences (screen);
        return run;
    }
}
