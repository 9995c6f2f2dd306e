#include "OutputFileCalls.h"

#include "WindowsText.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <io.h>

namespace
{
    // The C library's own reading of the system's error codes, with a
    // write-protected medium named as such and the two "full" codes as one:
    // a full disk is "No space left on device", as on other systems, where
    // the C library's write calls it "Invalid argument".
    int errnoFor (DWORD error)
    {
        switch (error)
        {
            case ERROR_FILE_NOT_FOUND:
            case ERROR_PATH_NOT_FOUND:
            case ERROR_INVALID_DRIVE:
            case ERROR_BAD_NETPATH:
            case ERROR_BAD_NET_NAME:
            case ERROR_BAD_PATHNAME:
                return ENOENT;
            case ERROR_FILE_EXISTS:
            case ERROR_ALREADY_EXISTS:
                return EEXIST;
            case ERROR_WRITE_PROTECT:
                return EROFS;
            case ERROR_DISK_FULL:
            case ERROR_HANDLE_DISK_FULL:
                return ENOSPC;
            case ERROR_FILENAME_EXCED_RANGE:
                return ENAMETOOLONG;
            case ERROR_DIRECTORY:
                return ENOTDIR;
            case ERROR_NOT_SAME_DEVICE:
                return EXDEV;
            case ERROR_TOO_MANY_OPEN_FILES:
                return EMFILE;
            case ERROR_NOT_ENOUGH_MEMORY:
            case ERROR_OUTOFMEMORY:
                return ENOMEM;
            case ERROR_INVALID_NAME:
            case ERROR_INVALID_PARAMETER:
                return EINVAL;
            case ERROR_ACCESS_DENIED:
            case ERROR_SHARING_VIOLATION:
            case ERROR_LOCK_VIOLATION:
            case ERROR_NETWORK_ACCESS_DENIED:
            case ERROR_CANNOT_MAKE:
                return EACCES;
            default:
                return EIO;
        }
    }

    bool isSeparator (char c)
    {
        return c == '/' || c == '\\';
    }

    // "C:" and the like: a drive, without saying which of its folders.
    bool hasDrive (const std::string& path)
    {
        if (path.size() < 2 || path[1] != ':')
            return false;

        const auto letter = path[0];
        return (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
    }

    // A root and its separator ("C:\", "\"), 0 when the path starts with none.
    size_t rootLength (const std::string& path)
    {
        const auto start = hasDrive (path) ? size_t { 2 } : size_t { 0 };
        return path.size() > start && isSeparator (path[start]) ? start + 1 : 0;
    }

    // Where the name starts: after the last separator, or after a drive.
    size_t nameStart (const std::string& path)
    {
        const auto separator = path.find_last_of ("/\\");

        if (separator != std::string::npos)
            return separator + 1;

        return hasDrive (path) ? 2 : 0;
    }

    uint64_t mix (uint64_t value)
    {
        value += 0x9e3779b97f4a7c15ull;
        value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9ull;
        value = (value ^ (value >> 27)) * 0x94d049bb133111ebull;
        return value ^ (value >> 31);
    }
}

std::string OutputFileCalls::directoryOf (const std::string& path)
{
    const auto start = nameStart (path);

    if (start == 0)
        return ".";

    // A root keeps its separator: "C:\" is the drive's root. "C:name" is in
    // the drive's current folder, which the C library knows as "C:." (not
    // as "C:").
    if (start <= rootLength (path))
        return path.substr (0, start);

    if (start == 2 && hasDrive (path))
        return path.substr (0, 2) + ".";

    return path.substr (0, start - 1);
}

std::string OutputFileCalls::nameOf (const std::string& path)
{
    return path.substr (nameStart (path));
}

std::string OutputFileCalls::join (const std::string& directory, const std::string& name)
{
    if (! directory.empty() && (isSeparator (directory.back()) || directory.back() == ':'))
        return directory + name;

    return directory + "\\" + name;
}

size_t OutputFileCalls::maximumNameLength (const std::string& directory)
{
    // Asked of the folder itself, and only for the length: the volume's
    // label and serial number are not needed (reading them may fail).
    DWORD longest = 0;
    const auto handle = ::CreateFileW (WindowsText::widen (directory).c_str(), 0,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);

    if (handle != INVALID_HANDLE_VALUE)
    {
        if (! ::GetVolumeInformationByHandleW (handle, nullptr, 0, nullptr, &longest, nullptr, nullptr, 0))
            longest = 0;

        ::CloseHandle (handle);
    }

    // In UTF-16 units, which a name never has more of than bytes.
    return longest > 0 ? longest : 255;
}

OutputFileCalls::Link OutputFileCalls::resolveLink (const std::string& path, std::string& target)
{
    const auto wide = WindowsText::widen (path);
    const auto attributes = ::GetFileAttributesW (wide.c_str());

    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return Link::none;

    const auto handle = ::CreateFileW (wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);

    if (handle == INVALID_HANDLE_VALUE)
        return Link::dangling;

    std::wstring resolved (32768, L'\0');
    const auto length = ::GetFinalPathNameByHandleW (handle, resolved.data(), static_cast<DWORD> (resolved.size()),
                                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    ::CloseHandle (handle);

    if (length == 0 || length >= resolved.size())
        return Link::dangling;

    resolved.resize (length);

    // The answer comes in the long form, "\\?\C:\..." or "\\?\UNC\server\...".
    if (resolved.rfind (L"\\\\?\\UNC\\", 0) == 0)
        resolved = L"\\\\" + resolved.substr (8);
    else if (resolved.rfind (L"\\\\?\\", 0) == 0)
        resolved = resolved.substr (4);

    target = WindowsText::narrow (resolved);
    return Link::resolved;
}

int OutputFileCalls::createUnique (std::vector<char>& nameTemplate, int suffixLength)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    const auto length = nameTemplate.size() > 0 && nameTemplate.back() == '\0' ? nameTemplate.size() - 1 : nameTemplate.size();

    if (suffixLength < 0 || length < static_cast<size_t> (suffixLength) + 6)
    {
        errno = EINVAL;
        return -1;
    }

    const auto first = length - static_cast<size_t> (suffixLength) - 6;
    LARGE_INTEGER now {};
    ::QueryPerformanceCounter (&now);
    auto state = static_cast<uint64_t> (now.QuadPart) ^ (static_cast<uint64_t> (::GetCurrentProcessId()) << 32);

    for (int attempt = 0; attempt < 1000; ++attempt)
    {
        state = mix (state);
        auto bits = state;

        for (size_t i = 0; i < 6; ++i, bits /= 62)
            nameTemplate[first + i] = letters[bits % 62];

        const std::string name (nameTemplate.data(), length);

        // Deletion shared: an interrupt removes the file by name while it is
        // still open here.
        const auto handle = ::CreateFileW (WindowsText::widen (name).c_str(), GENERIC_READ | GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL, nullptr);

        if (handle == INVALID_HANDLE_VALUE)
        {
            const auto error = ::GetLastError();

            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
                continue;

            errno = errnoFor (error);
            return -1;
        }

        // Binary: a descriptor in text mode would write each 0x0A byte of
        // the audio as 0x0D 0x0A.
        const auto fd = ::_open_osfhandle (reinterpret_cast<intptr_t> (handle), _O_BINARY);

        if (fd < 0)
        {
            const auto error = errno;
            ::CloseHandle (handle);
            ::DeleteFileW (WindowsText::widen (name).c_str());
            errno = error;
            return -1;
        }

        ::_setmode (fd, _O_BINARY);
        return fd;
    }

    errno = EEXIST;
    return -1;
}

int OutputFileCalls::checkWritable (const std::string& path)
{
    const auto attributes = ::GetFileAttributesW (WindowsText::widen (path).c_str());

    if (attributes == INVALID_FILE_ATTRIBUTES)
        return errnoFor (::GetLastError());

    return (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? EACCES : 0;
}

long OutputFileCalls::write (int fd, const char* data, size_t numBytes)
{
    const auto handle = reinterpret_cast<HANDLE> (::_get_osfhandle (fd));

    if (handle == INVALID_HANDLE_VALUE)
    {
        errno = EBADF;
        return -1;
    }

    // The descriptor is binary, so its bytes go to the handle unchanged, as
    // the C library's write would send them.
    const auto count = static_cast<DWORD> (std::min (numBytes, size_t { 1 } << 30));
    DWORD written = 0;

    if (! ::WriteFile (handle, data, count, &written, nullptr))
    {
        errno = errnoFor (::GetLastError());
        return -1;
    }

    // Nothing taken, and no error: the C library reads that as a full disk.
    if (written == 0 && count > 0)
    {
        errno = ENOSPC;
        return -1;
    }

    return static_cast<long> (written);
}

int OutputFileCalls::syncData (int fd)
{
    const auto handle = reinterpret_cast<HANDLE> (::_get_osfhandle (fd));

    if (handle == INVALID_HANDLE_VALUE)
        return EBADF;

    return ::FlushFileBuffers (handle) ? 0 : errnoFor (::GetLastError());
}

int OutputFileCalls::setPermissions (int, mode_t)
{
    // Windows keeps no permission bits; the folder's access rules apply.
    return 0;
}

int OutputFileCalls::replace (const std::string& from, const std::string& to)
{
    // Write-through: returns once the move itself is on disk.
    if (::MoveFileExW (WindowsText::widen (from).c_str(), WindowsText::widen (to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return 0;

    return errnoFor (::GetLastError());
}

void OutputFileCalls::syncDirectory (const std::string&)
{
    // The move was written through.
}

void OutputFileCalls::remove (const std::string& path)
{
    ::DeleteFileW (WindowsText::widen (path).c_str());
}

unsigned long OutputFileCalls::processId()
{
    return static_cast<unsigned long> (::GetCurrentProcessId());
}

void OutputFileCalls::markInUse (int)
{
    // Nothing to add: the file stays open, and removeIfAbandoned asks for it
    // unshared, which the system refuses while any process has it open.
}

std::vector<std::string> OutputFileCalls::namesIn (const std::string& directory)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW found {};
    const auto search = ::FindFirstFileW (WindowsText::widen (join (directory, "*")).c_str(), &found);

    if (search == INVALID_HANDLE_VALUE)
        return names;

    do
        names.push_back (WindowsText::narrow (found.cFileName));
    while (::FindNextFileW (search, &found));

    ::FindClose (search);
    return names;
}

bool OutputFileCalls::removeIfAbandoned (const std::string& path, unsigned long)
{
    // Opened for deletion and shared with no one: refused while the render
    // that made it, on this machine or another, still has it open. A link
    // in its place is removed as a link, never what it leads to.
    const auto handle = ::CreateFileW (WindowsText::widen (path).c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);

    if (handle == INVALID_HANDLE_VALUE)
        return false;

    ::CloseHandle (handle);
    return true;
}
