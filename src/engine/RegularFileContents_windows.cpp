#include "RegularFileContents.h"

#include "FileKind.h"

#include <algorithm>
#include <windows.h>

#include <sys/stat.h>

namespace
{
    // Closes the handle however the read ends.
    struct Handle final
    {
        explicit Handle (HANDLE h) noexcept : handle (h) {}
        ~Handle() { if (handle != INVALID_HANDLE_VALUE) ::CloseHandle (handle); }
        Handle (const Handle&) = delete;
        Handle& operator= (const Handle&) = delete;

        const HANDLE handle;
    };

    // The same words as on other systems, from what the open handle is.
    std::string kindOf (HANDLE handle, const BY_HANDLE_FILE_INFORMATION& information)
    {
        if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            return FileKind::describe (_S_IFDIR);

        switch (::GetFileType (handle))
        {
            case FILE_TYPE_DISK: return {};
            case FILE_TYPE_CHAR: return FileKind::describe (_S_IFCHR);
            case FILE_TYPE_PIPE: return FileKind::describe (_S_IFIFO);
            default:             return FileKind::describe (0);
        }
    }
}

RegularFileContents RegularFileContents::read (const juce::File& file, size_t limit)
{
    RegularFileContents result;

    // Backup semantics: a folder opens too, so that it can be named as one.
    const Handle opened (::CreateFileW (file.getFullPathName().toWideCharPointer(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));

    if (opened.handle == INVALID_HANDLE_VALUE)
    {
        const auto error = ::GetLastError();
        result.outcome = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Outcome::missing
                                                                                        : Outcome::unopenable;
        return result;
    }

    // A device or a pipe has no file information of its own; ask its type first.
    BY_HANDLE_FILE_INFORMATION information {};

    if (::GetFileType (opened.handle) != FILE_TYPE_DISK || ! ::GetFileInformationByHandle (opened.handle, &information)
        || (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    {
        result.outcome = Outcome::notRegular;
        result.kind = kindOf (opened.handle, information);

        if (result.kind.empty())
            result.kind = FileKind::describe (0);

        return result;
    }

    // One byte past the limit tells a file that is too large, whatever size
    // it claims or grows to while being read.
    const auto wanted = limit + 1;
    juce::MemoryBlock bytes (std::min (wanted, size_t { 1 } << 16));
    size_t total = 0;

    while (total < wanted)
    {
        if (total == bytes.getSize())
            bytes.setSize (std::min (wanted, bytes.getSize() * 2));

        const auto room = static_cast<DWORD> (std::min (bytes.getSize() - total, size_t { 1 } << 20));
        DWORD got = 0;

        if (! ::ReadFile (opened.handle, static_cast<char*> (bytes.getData()) + total, room, &got, nullptr))
        {
            result.outcome = Outcome::unopenable;
            return result;
        }

        if (got == 0)
            break;

        total += got;
    }

    if (total > limit)
    {
        result.outcome = Outcome::tooLarge;
        return result;
    }

    bytes.setSize (total);
    result.outcome = Outcome::read;
    result.bytes = std::move (bytes);
    return result;
}
