#include "OutputFileCalls.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::string OutputFileCalls::directoryOf (const std::string& path)
{
    const auto slash = path.find_last_of ('/');

    if (slash == std::string::npos)
        return ".";

    return slash == 0 ? "/" : path.substr (0, slash);
}

std::string OutputFileCalls::nameOf (const std::string& path)
{
    const auto slash = path.find_last_of ('/');
    return slash == std::string::npos ? path : path.substr (slash + 1);
}

std::string OutputFileCalls::join (const std::string& directory, const std::string& name)
{
    return (directory == "/" ? std::string ("/") : directory + "/") + name;
}

size_t OutputFileCalls::maximumNameLength (const std::string& directory)
{
    const auto limit = ::pathconf (directory.c_str(), _PC_NAME_MAX);
    return static_cast<size_t> (limit > 0 ? limit : NAME_MAX);
}

OutputFileCalls::Link OutputFileCalls::resolveLink (const std::string& path, std::string& target)
{
    struct stat info {};

    if (::lstat (path.c_str(), &info) != 0 || ! S_ISLNK (info.st_mode))
        return Link::none;

    char resolved[PATH_MAX + 1] = {};

    if (::realpath (path.c_str(), resolved) == nullptr)
        return Link::dangling;

    target = resolved;
    return Link::resolved;
}

int OutputFileCalls::createUnique (std::vector<char>& nameTemplate, int suffixLength)
{
    if (nameTemplate.empty() || nameTemplate.back() != '\0')
        nameTemplate.push_back ('\0');

    return ::mkstemps (nameTemplate.data(), suffixLength);
}

long OutputFileCalls::write (int fd, const char* data, size_t numBytes)
{
    return static_cast<long> (::write (fd, data, numBytes));
}

int OutputFileCalls::syncData (int fd)
{
    return ::fsync (fd) == 0 ? 0 : errno;
}

int OutputFileCalls::checkWritable (const std::string& path)
{
    // The effective user, as the open of a shell redirect would be checked.
    return ::faccessat (AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

int OutputFileCalls::setPermissions (int fd, mode_t mode)
{
    return ::fchmod (fd, mode) == 0 ? 0 : errno;
}

int OutputFileCalls::replace (const std::string& from, const std::string& to)
{
    return ::rename (from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

void OutputFileCalls::syncDirectory (const std::string& directory)
{
    // A failure here loses nothing written.
    const auto fd = ::open (directory.c_str(), O_RDONLY | O_DIRECTORY);

    if (fd >= 0)
    {
        ::fsync (fd);
        ::close (fd);
    }
}

void OutputFileCalls::remove (const std::string& path)
{
    ::unlink (path.c_str());
}
