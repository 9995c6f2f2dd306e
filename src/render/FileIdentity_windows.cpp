#include "FileIdentity.h"

#include "WindowsText.h"

#include <windows.h>

// The C library's stat() gives every file the inode 0 here, so it cannot
// tell files apart: the volume's serial number and the file's index on it
// can.
namespace
{
    bool identify (const std::string& path, BY_HANDLE_FILE_INFORMATION& info)
    {
        // No access asked for, only attributes: works on files others hold
        // open, and on folders (with the backup flag).
        const auto handle = ::CreateFileW (WindowsText::widen (path).c_str(), 0,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);

        if (handle == INVALID_HANDLE_VALUE)
            return false;

        const auto known = ::GetFileInformationByHandle (handle, &info) != 0;
        ::CloseHandle (handle);
        return known;
    }
}

bool FileIdentity::isSameFile (const std::string& a, const std::string& b)
{
    BY_HANDLE_FILE_INFORMATION infoA {}, infoB {};

    return identify (a, infoA) && identify (b, infoB)
        && infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber
        && infoA.nFileIndexHigh == infoB.nFileIndexHigh
        && infoA.nFileIndexLow == infoB.nFileIndexLow;
}
