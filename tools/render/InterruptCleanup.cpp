#include "InterruptCleanup.h"

#include <climits>
#include <csignal>
#include <atomic>
#include <cstring>
#include <unistd.h>

namespace
{
    // Read by the handler, so plain storage that needs no allocation or lock.
    char armedPath[PATH_MAX + 1] = {};
    volatile std::sig_atomic_t isArmed = 0;

    constexpr int handledSignals[] = { SIGINT, SIGTERM, SIGHUP };

    sigset_t handledSignalSet()
    {
        sigset_t set;
        sigemptyset (&set);

        for (const auto signalNumber : handledSignals)
            sigaddset (&set, signalNumber);

        return set;
    }

    extern "C" void removeArmedFileAndDie (int signalNumber)
    {
        // Only async-signal-safe calls from here on.
        if (isArmed != 0)
            ::unlink (armedPath);

        static const char message[] = "velthorn-render: interrupted, no output written\n";
        [[maybe_unused]] const auto written = ::write (STDERR_FILENO, message, sizeof (message) - 1);

        // SA_RESETHAND restored the default action; the signal is blocked
        // until this handler returns, and then it ends the process.
        ::raise (signalNumber);
    }
}

void InterruptCleanup::install()
{
    struct sigaction action {};
    action.sa_handler = removeArmedFileAndDie;
    action.sa_flags = static_cast<int> (SA_RESETHAND);
    action.sa_mask = handledSignalSet();

    for (const auto signalNumber : handledSignals)
    {
        // A signal the caller chose to ignore (nohup, a background job)
        // stays ignored.
        struct sigaction previous {};

        if (::sigaction (signalNumber, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            continue;

        ::sigaction (signalNumber, &action, nullptr);
    }
}

void InterruptCleanup::arm (const char* path)
{
    disarm();

    if (path == nullptr || std::strlen (path) > PATH_MAX)
        return;

    std::strcpy (armedPath, path);
    std::atomic_signal_fence (std::memory_order_seq_cst);
    isArmed = 1;
}

void InterruptCleanup::disarm()
{
    isArmed = 0;
    std::atomic_signal_fence (std::memory_order_seq_cst);
}

void InterruptCleanup::holdSignals()
{
    const auto set = handledSignalSet();
    ::sigprocmask (SIG_BLOCK, &set, nullptr);
}

void InterruptCleanup::releaseSignals()
{
    const auto set = handledSignalSet();
    ::sigprocmask (SIG_UNBLOCK, &set, nullptr);
}
