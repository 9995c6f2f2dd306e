#include "ParentConsole.h"

#include <windows.h>

ParentConsole::Streams ParentConsole::attach()
{
    // Asked before attaching: whether the caller gave this process handles
    // of its own for the two streams.
    const auto hasHandle = [] (DWORD which)
    {
        const auto handle = ::GetStdHandle (which);
        return handle != nullptr && handle != INVALID_HANDLE_VALUE;
    };

    const bool outputGiven = hasHandle (STD_OUTPUT_HANDLE);
    const bool errorGiven = hasHandle (STD_ERROR_HANDLE);
    Streams streams { stdout, stderr };

    if (outputGiven && errorGiven)
        return streams;

    // A console this process has already (wine gives a windowed program its
    // parent's) is refused as "access denied", and serves as well.
    if (! ::AttachConsole (ATTACH_PARENT_PROCESS) && ::GetLastError() != ERROR_ACCESS_DENIED)
        return streams;   // started from Explorer or a shortcut: nobody to tell

    // Streams of their own rather than the C library's reopened: those of a
    // windowed program are not connected to anything, and cannot always be
    // reopened. The C library flushes them as the process exits.
    const auto console = [] (std::FILE* fallback)
    {
        auto* const stream = std::fopen ("CONOUT$", "w");
        return stream != nullptr ? stream : fallback;
    };

    if (! outputGiven)
        streams.output = console (stdout);

    if (! errorGiven)
        streams.error = console (stderr);

    return streams;
}
