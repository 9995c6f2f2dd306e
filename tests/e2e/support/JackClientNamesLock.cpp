#include "JackClientNamesLock.h"

#include "Polling.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace e2e
{
    namespace
    {
        // flock() conflicts between two descriptions of the same file even in
        // one process, so nested holders share one descriptor.
        int heldDescriptor = -1;
        int holders = 0;
    }

    JackClientNamesLock::JackClientNamesLock (std::chrono::milliseconds timeout)
    {
        if (holders > 0)
        {
            ++holders;
            return;
        }

        const auto file = std::filesystem::temp_directory_path() / "velthorn-e2e-jack-client-names.lock";
        const int fd = ::open (file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);

        if (fd < 0)
            throw std::runtime_error ("cannot open " + file.string() + ": " + std::strerror (errno));

        // Polled rather than blocking, so a holder that never lets go turns
        // into a clear failure instead of a hang.
        if (! pollUntil (timeout, [fd] { return ::flock (fd, LOCK_EX | LOCK_NB) == 0; }))
        {
            ::close (fd);
            throw std::runtime_error ("another test held " + file.string() + " for more than "
                                      + std::to_string (timeout.count()) + " ms");
        }

        heldDescriptor = fd;
        holders = 1;
    }

    JackClientNamesLock::~JackClientNamesLock()
    {
        if (--holders > 0)
            return;

        ::flock (heldDescriptor, LOCK_UN);
        ::close (heldDescriptor);
        heldDescriptor = -1;
    }
}
