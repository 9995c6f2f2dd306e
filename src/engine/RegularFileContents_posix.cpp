#include "RegularFileContents.h"

#include "FileKind.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
    // Closes the descriptor however the read ends.
    struct Descriptor final
    {
        explicit Descriptor (int fileDescriptor) noexcept : fd (fileDescriptor) {}
        ~Descriptor() { if (fd >= 0) ::close (fd); }
        Descriptor (const Descriptor&) = delete;
        Descriptor& operator= (const Descriptor&) = delete;

        const int fd;
    };
}

RegularFileContents RegularFileContents::read (const juce::File& file, size_t limit)
{
    RegularFileContents result;
    const auto path = file.getFullPathName();

    // Non-blocking: a named pipe opens at once, writer or not. Regular files
    // ignore the flag. Never a terminal that becomes the process's own.
    const Descriptor opened (::open (path.toRawUTF8(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));

    if (opened.fd < 0)
    {
        const auto error = errno;

        // A socket cannot be opened at all, and a device may refuse this
        // user: say what is there when it is not a file, since that is why.
        struct stat info {};

        if (::stat (path.toRawUTF8(), &info) == 0 && ! S_ISREG (info.st_mode))
        {
            result.outcome = Outcome::notRegular;
            result.kind = FileKind::describe (info.st_mode);
        }
        else
        {
            result.outcome = error == ENOENT ? Outcome::missing : Outcome::unopenable;
        }

        return result;
    }

    struct stat info {};

    if (::fstat (opened.fd, &info) != 0)
    {
        result.outcome = Outcome::unopenable;
        return result;
    }

    if (! S_ISREG (info.st_mode))
    {
        result.outcome = Outcome::notRegular;
        result.kind = FileKind::describe (info.st_mode);
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

        const auto got = ::read (opened.fd, static_cast<char*> (bytes.getData()) + total, bytes.getSize() - total);

        if (got < 0)
        {
            if (errno == EINTR)
                continue;

            result.outcome = Outcome::unopenable;
            return result;
        }

        if (got == 0)
            break;

        total += static_cast<size_t> (got);
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
