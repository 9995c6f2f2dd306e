#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// The file-system calls behind PendingOutputFile, for POSIX systems
// (OutputFileCalls_posix.cpp) and for Windows (OutputFileCalls_windows.cpp). Failures come back as errno values, so both platforms name them in
// the same words.
struct OutputFileCalls final
{
    // Any thread. The folder part of `path` ("." when it has none), and the
    // name after the last separator. Windows takes either slash.
    static std::string directoryOf (const std::string& path);
    static std::string nameOf (const std::string& path);

    // Any thread. `name` inside `directory`.
    static std::string join (const std::string& directory, const std::string& name);

    // Any thread. The longest file name, in bytes, that `directory` takes.
    static size_t maximumNameLength (const std::string& directory);

    enum class Link
    {
        none,       // not a symbolic link
        resolved,   // a link; `target` is the file it leads to
        dangling    // a link that leads nowhere
    };

    // Any thread.
    static Link resolveLink (const std::string& path, std::string& target);

    // Any thread. Creates a new file, never an existing one, named after
    // `nameTemplate` with its six X before the last `suffixLength` characters
    // replaced (in place); it is open for writing, byte for byte. Returns a
    // descriptor, or -1 with errno set. The file can be removed by name while
    // open.
    static int createUnique (std::vector<char>& nameTemplate, int suffixLength);

    // Any thread. 0 when this user may write into the existing file at
    // `path` (a read-only attribute on Windows, the permission bits here;
    // for root, a file with no write permission for anyone is
    // write-protected too), otherwise an errno value (EACCES for a
    // write-protected file).
    static int checkWritable (const std::string& path);

    // Any thread. Writes up to `numBytes` at the descriptor's position, as
    // write() does: the number written, or -1 with errno set. On Windows
    // the system's reason is mapped here, since the C library calls every
    // reason it has no entry for (a full disk among them) "Invalid argument".
    static long write (int fd, const char* data, size_t numBytes);

    // Any thread. Each returns 0 or an errno value.
    static int syncData (int fd);
    static int setPermissions (int fd, mode_t mode);

    // Any thread. Moves `from` to `to` in one step, replacing what `to` held.
    static int replace (const std::string& from, const std::string& to);

    // Any thread. Makes a rename inside `directory` durable where the system
    // does not do so by itself.
    static void syncDirectory (const std::string& directory);

    // Any thread.
    static void remove (const std::string& path);

    // Any thread. This process's number, as the system gives it.
    static unsigned long processId();

    // Any thread. Marks the newly created file behind `fd` as in use for as
    // long as it stays open, so that removeIfAbandoned leaves it alone, also
    // from another machine sharing the folder where the system can tell.
    static void markInUse (int fd);

    // Any thread. The names in `directory`, hidden ones included; empty when
    // it cannot be listed.
    static std::vector<std::string> namesIn (const std::string& directory);

    // Any thread. Removes the temporary file at `path`, made by the process
    // numbered `creator`, when that process is gone and nothing holds the
    // file (see markInUse); true when it was removed. Never removes anything
    // but a regular file of this user's.
    static bool removeIfAbandoned (const std::string& path, unsigned long creator);

    OutputFileCalls() = delete;
};
