#include "InterruptCleanup.h"

#if defined (_WIN32)

#include "WindowsText.h"

#include <windows.h>

#include <io.h>
#include <string>

// Windows has no signals: Ctrl+C, Ctrl+Break and closing the console reach
// a console program as calls of its control handler, each on a thread of its
// own while the program goes on. So the handler and everything that changes
// what it would remove share one lock, and a handler that got it never gives
// it back: it removes the file and ends the process where it stands.
namespace
{
    // Recursive: the file is armed while the handler is held back.
    CRITICAL_SECTION section;

    CRITICAL_SECTION& lock()
    {
        [[maybe_unused]] static const bool initialised = []
        {
            ::InitializeCriticalSection (&section);
            return true;
        }();

        return section;
    }

    std::wstring& armedPath()
    {
        static std::wstring path;
        return path;
    }

    HANDLE armedHandle = INVALID_HANDLE_VALUE;
    bool isArmed = false;

    BOOL WINAPI removeArmedFileAndExit (DWORD)
    {
        ::EnterCriticalSection (&lock());

        // The file is open on the main thread, with deletion shared: marked
        // for deletion, it goes when its last handle closes. That one is
        // closed here rather than by the end of the process, so the file is
        // gone before anyone can see the process has ended. (The main
        // thread's writes to it may fail from now on; it is not coming back.)
        if (isArmed)
        {
            ::DeleteFileW (armedPath().c_str());

            // The system's close, not the C library's: that one would wait
            // for a write in progress.
            if (armedHandle != INVALID_HANDLE_VALUE)
                ::CloseHandle (armedHandle);
        }

        // Straight to the handle: the C library's stream may be locked by
        // the main thread, which is never coming back for it. The line ends
        // as the C library ends a line of text here.
        static const char message[] = "velthorn-render: interrupted, no output written\r\n";
        DWORD written = 0;
        ::WriteFile (::GetStdHandle (STD_ERROR_HANDLE), message, sizeof (message) - 1, &written, nullptr);

        // What the system's own handler ends a process with on Ctrl+C,
        // without running the C library's exit code behind the main thread.
        ::TerminateProcess (::GetCurrentProcess(), static_cast<UINT> (STATUS_CONTROL_C_EXIT));
        return TRUE;
    }
}

void InterruptCleanup::install()
{
    lock();
    ::SetConsoleCtrlHandler (removeArmedFileAndExit, TRUE);
}

void InterruptCleanup::arm (const char* path, int fd)
{
    ::EnterCriticalSection (&lock());
    isArmed = path != nullptr;
    armedPath() = path != nullptr ? WindowsText::widen (path) : std::wstring();
    armedHandle = fd >= 0 ? reinterpret_cast<HANDLE> (::_get_osfhandle (fd)) : INVALID_HANDLE_VALUE;
    ::LeaveCriticalSection (&lock());
}

void InterruptCleanup::forgetDescriptor()
{
    ::EnterCriticalSection (&lock());
    armedHandle = INVALID_HANDLE_VALUE;
    ::LeaveCriticalSection (&lock());
}

void InterruptCleanup::disarm()
{
    ::EnterCriticalSection (&lock());
    isArmed = false;
    armedHandle = INVALID_HANDLE_VALUE;
    ::LeaveCriticalSection (&lock());
}

void InterruptCleanup::holdSignals()
{
    ::EnterCriticalSection (&lock());
}

void InterruptCleanup::releaseSignals()
{
    ::LeaveCriticalSection (&lock());
}

#else

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

#endif
