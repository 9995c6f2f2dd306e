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
    volatile std::sig_atomic_t hasSaidSo = 0;

    // Every signal whose default action ends the process, the ones a fault
    // raises included (they are usually sent by another program here).
    constexpr int standardSignals[] = { SIGHUP, SIGINT, SIGQUIT, SIGILL, SIGTRAP, SIGABRT, SIGBUS, SIGFPE,
                                        SIGUSR1, SIGSEGV, SIGUSR2, SIGPIPE, SIGALRM, SIGTERM, SIGSTKFLT,
                                        SIGXCPU, SIGVTALRM, SIGPROF, SIGPOLL, SIGPWR, SIGSYS };

    template <typename Function>
    void forEachHandledSignal (Function&& function)
    {
        for (const auto signalNumber : standardSignals)
            function (signalNumber);

        // The real-time signals end the process too.
        for (int signalNumber = SIGRTMIN; signalNumber <= SIGRTMAX; ++signalNumber)
            function (signalNumber);
    }

    sigset_t handledSignalSet()
    {
        sigset_t set;
        sigemptyset (&set);
        forEachHandledSignal ([&set] (int signalNumber) { sigaddset (&set, signalNumber); });
        return set;
    }

    extern "C" void removeArmedFileAndDie (int signalNumber)
    {
        // Only async-signal-safe calls from here on. Every signal is blocked
        // while this runs, so a second one waits until the file is gone; if
        // it then arrives it comes here too, where removing the file again
        // does no harm.
        if (isArmed != 0)
            ::unlink (armedPath);

        if (hasSaidSo == 0)
        {
            hasSaidSo = 1;
            static const char message[] = "velthorn-render: interrupted, no output written\n";
            [[maybe_unused]] const auto written = ::write (STDERR_FILENO, message, sizeof (message) - 1);
        }

        // With the default action back, the signal ends the process as soon
        // as this handler returns and unblocks it.
        struct sigaction defaultAction {};
        defaultAction.sa_handler = SIG_DFL;
        sigemptyset (&defaultAction.sa_mask);
        ::sigaction (signalNumber, &defaultAction, nullptr);
        ::raise (signalNumber);
    }
}

void InterruptCleanup::install()
{
    // Past the limit a write then fails with EFBIG, which the output stream
    // reports, instead of the signal ending the process mid-write.
    ::signal (SIGXFSZ, SIG_IGN);

    struct sigaction action {};
    action.sa_handler = removeArmedFileAndDie;
    action.sa_flags = 0;
    sigfillset (&action.sa_mask);

    forEachHandledSignal ([&action] (int signalNumber)
    {
        // A signal the caller chose to ignore (nohup, a background job)
        // stays ignored.
        struct sigaction previous {};

        if (::sigaction (signalNumber, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN)
            return;

        ::sigaction (signalNumber, &action, nullptr);
    });
}

void InterruptCleanup::arm (const char* path, int)
{
    disarm();

    if (path == nullptr || std::strlen (path) > PATH_MAX)
        return;

    std::strcpy (armedPath, path);
    std::atomic_signal_fence (std::memory_order_seq_cst);
    isArmed = 1;
}

void InterruptCleanup::forgetDescriptor()
{
    // The file is removed by name here, open or not.
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
