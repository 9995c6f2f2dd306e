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
    JackClientNamesLock::JackClientNamesLock (std::chrono::milliseconds timeout)
    {
        const auto file = std::filesystem::temp_directory_path() / "velthorn-e2e-jack-client-names.lock";
        fd = ::open (file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);

        if (fd < 0)
            throw std::runtime_error ("cannot open " + file.string() + ": " + std::strerror (errno));

        // Polled rather than blocking, so a holder that never lets go turns
        // into a clear failure instead of a hang.
        if (! pollUntil (timeout, [this] { return ::flock (fd, LOCK_EX | LOCK_NB) == 0; }))
        {
            ::close (fd);
            throw std::runtime_error ("another test held " + file.string() + " for more than "
                                      + std::to_string (timeout.count()) + " ms");
        }
    }

    JackClientNamesLock::~JackClientNamesLock()
    {
        ::flock (fd, LOCK_UN);
        ::close (fd);
    }
}
