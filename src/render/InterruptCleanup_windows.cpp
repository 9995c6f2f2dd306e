#include "InterruptCleanup.h"

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
