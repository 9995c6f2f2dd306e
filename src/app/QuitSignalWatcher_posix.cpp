#include "QuitSignalWatcher.h"

#include <juce_events/juce_events.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace
{
    // Created once and never closed: a signal may arrive at any moment until
    // the process is gone, and its handler must always find a valid write end.
    int signalPipe[2] = { -1, -1 };

    void writeToPipe (int)
    {
        // write() is async-signal-safe; errno is the interrupted code's.
        const int savedErrno = errno;
        const char byte = 1;
        [[maybe_unused]] const auto written = ::write (signalPipe[1], &byte, 1);
        errno = savedErrno;
    }

    bool openPipeOnce()
    {
        if (signalPipe[0] >= 0)
            return true;

        // Non-blocking both ends: a burst of signals that fills the pipe must
        // not block the handler, and draining must stop when it is empty.
        return ::pipe2 (signalPipe, O_CLOEXEC | O_NONBLOCK) == 0;
    }

    void installHandler (int signalNumber)
    {
        struct sigaction action {};
        action.sa_handler = writeToPipe;
        sigemptyset (&action.sa_mask);
        // Interrupted system calls in other threads (JACK's, X's) carry on.
        action.sa_flags = SA_RESTART;
        ::sigaction (signalNumber, &action, nullptr);
    }
}

QuitSignalWatcher::QuitSignalWatcher (std::function<void()> onQuit)
    : onQuitRequest (std::move (onQuit))
{
    if (! openPipeOnce())
        return;   // no pipe, no handlers: the signals keep their default action

    // Watching starts before the handlers go in, so a signal that arrives in
    // between is already seen by the next turn of the message loop.
    juce::LinuxEventLoop::registerFdCallback (signalPipe[0], [this] (int) { drainPipe(); });
    watching = true;

    installHandler (SIGTERM);
    installHandler (SIGHUP);
}

QuitSignalWatcher::~QuitSignalWatcher()
{
    if (watching)
        juce::LinuxEventLoop::unregisterFdCallback (signalPipe[0]);
}

void QuitSignalWatcher::drainPipe()
{
    char bytes[64];

    while (::read (signalPipe[0], bytes, sizeof (bytes)) > 0)
    {
    }

    if (onQuitRequest != nullptr)
        onQuitRequest();
}
