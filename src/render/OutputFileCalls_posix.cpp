#include "OutputFileCalls.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
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
    if (::faccessat (AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
        return errno;

    // Root passes that check for any file. A file nobody may write to was
    // made so on purpose, and a render replaces it whole: refused for root
    // too, who can make it writable first.
    struct stat info {};

    if (::geteuid() == 0 && ::stat (path.c_str(), &info) == 0 && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return EACCES;

    return 0;
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

unsigned long OutputFileCalls::processId()
{
    return static_cast<unsigned long> (::getpid());
}

void OutputFileCalls::markInUse (int fd)
{
    // Released by the system when the process ends, however it ends. On a
    // network folder the lock is the server's, so a render on another
    // machine shows as holding its file too.
    ::flock (fd, LOCK_EX | LOCK_NB);
}

std::vector<std::string> OutputFileCalls::namesIn (const std::string& directory)
{
    std::vector<std::string> names;
    auto* const listing = ::opendir (directory.c_str());

    if (listing == nullptr)
        return names;

    while (const auto* entry = ::readdir (listing))
        names.emplace_back (entry->d_name);

    ::closedir (listing);
    return names;
}

bool OutputFileCalls::removeIfAbandoned (const std::string& path, unsigned long creator)
{
    // A process with that number runs (or runs as another user): the file
    // may be its own, in use. Only "no such process" tells it is gone.
    const auto pid = static_cast<pid_t> (creator);

    if (pid <= 0 || static_cast<unsigned long> (pid) != creator || ::kill (pid, 0) == 0 || errno != ESRCH)
        return false;

    const auto fd = ::open (path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);

    if (fd < 0)
        return false;

    struct stat info {};
    auto removed = false;

    // The number may be another machine's process: its lock says so.
    if (::fstat (fd, &info) == 0 && S_ISREG (info.st_mode) && info.st_uid == ::geteuid()
        && ::flock (fd, LOCK_EX | LOCK_NB) == 0)
        removed = ::unlink (path.c_str()) == 0;

    ::close (fd);
    return removed;
}
