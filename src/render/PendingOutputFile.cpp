#include "PendingOutputFile.h"

#include "DescriptorOutputStream.h"
#include "InterruptCleanup.h"
#include "OutputFileCalls.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
    std::string describeError (int error)
    {
        // The only way a write meets this here is the process's own limit
        // (`ulimit -f`), which the system's text does not name.
        if (error == EFBIG)
            return std::string ("the file size limit was reached (") + std::strerror (error) + ")";

        return std::strerror (error);
    }

    std::string directoryOf (const std::string& path)
    {
        return OutputFileCalls::directoryOf (path);
    }

    std::string nameOf (const std::string& path)
    {
        return OutputFileCalls::nameOf (path);
    }

    // The longest process number written into a temporary file's name. The
    // room is kept whatever this process's number, so that a shortened final
    // name comes out the same in every run.
    constexpr size_t processIdRoom = 10;

    // What a temporary file's name starts with: hidden, the final name
    // shortened as far as needed (at a character boundary) for the whole to
    // stay within what the folder allows, since any legal final name must
    // work, and a dot. The process number, a random part and an extension no
    // audio tool claims follow.
    std::string temporaryNamePrefix (const std::string& directory, const std::string& name, const std::string& suffix)
    {
        const auto maximum = OutputFileCalls::maximumNameLength (directory);
        const std::string random = ".XXXXXX";
        const auto additions = 2 + processIdRoom + random.size() + suffix.size();
        auto kept = name;

        if (kept.size() + additions > maximum)
        {
            kept.resize (maximum > additions ? maximum - additions : 0);

            // Not in the middle of a UTF-8 sequence.
            while (! kept.empty() && (static_cast<unsigned char> (kept.back()) & 0xc0) == 0x80)
                kept.pop_back();

            if (! kept.empty() && (static_cast<unsigned char> (kept.back()) & 0x80) != 0)
                kept.pop_back();
        }

        return "." + kept + ".";
    }

    // The creator's number when `name` is `prefix`, a process number, a dot,
    // six letters or digits and `suffix`: a temporary file of this output.
    // Zero when it is not one.
    unsigned long creatorOf (const std::string& name, const std::string& prefix, const std::string& suffix)
    {
        if (name.size() <= prefix.size() + suffix.size() + 7 || name.compare (0, prefix.size(), prefix) != 0
            || name.compare (name.size() - suffix.size(), suffix.size(), suffix) != 0)
            return 0;

        const auto middle = name.substr (prefix.size(), name.size() - prefix.size() - suffix.size());
        const auto dot = middle.size() - 7;

        if (dot == 0 || dot > processIdRoom || middle[dot] != '.')
            return 0;

        unsigned long creator = 0;

        for (size_t i = 0; i < dot; ++i)
        {
            if (middle[i] < '0' || middle[i] > '9')
                return 0;

            creator = creator * 10 + static_cast<unsigned long> (middle[i] - '0');
        }

        for (size_t i = dot + 1; i < middle.size(); ++i)
        {
            const auto c = middle[i];

            if (! ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
                return 0;
        }

        return creator;
    }

    // A render ended by a signal nothing can catch (SIGKILL, a crash, a
    // power cut) leaves its temporary file. The next render of the same
    // output removes those whose process is gone and that nobody holds; a
    // render still running keeps its own.
    void removeLeftovers (const std::string& directory, const std::string& prefix, const std::string& suffix)
    {
        const auto self = OutputFileCalls::processId();

        for (const auto& name : OutputFileCalls::namesIn (directory))
            if (const auto creator = creatorOf (name, prefix, suffix); creator != 0 && creator != self)
                OutputFileCalls::removeIfAbandoned (OutputFileCalls::join (directory, name), creator);
    }

    mode_t currentUmask()
    {
        // umask can only be read by setting it; nothing else runs yet.
        const auto mask = ::umask (0);
        ::umask (mask);
        return mask;
    }
}

PendingOutputFile::PendingOutputFile (int fileDescriptor, std::string temporary, std::string target,
                                      std::string shown, mode_t modeToUse)
    : fd (fileDescriptor),
      tempPath (std::move (temporary)),
      finalPath (std::move (target)),
      shownName (std::move (shown)),
      mode (modeToUse)
{
    InterruptCleanup::arm (tempPath.c_str(), fd);
}

PendingOutputFile::~PendingOutputFile()
{
    if (! finished)
        discard();
}

void PendingOutputFile::discard()
{
    finished = true;

    if (fd >= 0)
    {
        InterruptCleanup::forgetDescriptor();
        ::close (fd);
    }

    fd = -1;
    OutputFileCalls::remove (tempPath);
    InterruptCleanup::disarm();
}

std::string PendingOutputFile::create (const std::string& targetPath, std::unique_ptr<PendingOutputFile>& result)
{
    const auto shown = "output '" + targetPath + "'";
    auto finalPath = targetPath;

    struct stat info {};

    if (OutputFileCalls::resolveLink (targetPath, finalPath) == OutputFileCalls::Link::dangling)
        return shown + " is a symbolic link to nowhere";

    mode_t mode = 0666 & ~currentUmask();

    if (::stat (finalPath.c_str(), &info) == 0)
    {
        if (S_ISDIR (info.st_mode))
            return shown + " is a directory";

        // Renaming over a device or a pipe would replace it with a file.
        if (! S_ISREG (info.st_mode))
            return shown + " exists and is not a regular file";

        // The rename below needs only the folder's permission, so it would
        // replace a file its user made read-only: refuse as writing into it
        // would be refused, and for root when nobody may write to it.
        if (const auto error = OutputFileCalls::checkWritable (finalPath); error != 0)
            return "cannot replace " + shown + ": "
                 + (error == EACCES ? "it is write-protected (" + describeError (error) + ")" : describeError (error));

        // A replaced file keeps its permissions.
        mode = info.st_mode & 07777;
    }
    else if (errno != ENOENT)
    {
        return "cannot write " + shown + ": " + describeError (errno);
    }

    const auto directory = directoryOf (finalPath);

    if (::stat (directory.c_str(), &info) != 0)
        return "cannot write " + shown + ": " + describeError (errno);

    if (! S_ISDIR (info.st_mode))
        return "cannot write " + shown + ": " + directory + " is not a directory";

    // Hidden and with an extension no audio tool claims, so a half-written
    // file is not mistaken for a result; with this process's number, so a
    // later render can tell whether the process that made it is gone.
    const std::string suffix = ".part";
    const auto prefix = temporaryNamePrefix (directory, nameOf (finalPath), suffix);
    removeLeftovers (directory, prefix, suffix);

    const auto pattern = OutputFileCalls::join (directory, prefix + std::to_string (OutputFileCalls::processId()) + ".XXXXXX"
                                                               + suffix);
    std::vector<char> name (pattern.begin(), pattern.end());
    name.push_back ('\0');

    // A signal between creating the file and arming the cleanup for it
    // would leave the file behind; held back, it arrives once armed.
    InterruptCleanup::holdSignals();
    const auto fd = OutputFileCalls::createUnique (name, static_cast<int> (suffix.size()));
    const auto error = errno;

    if (fd >= 0)
        OutputFileCalls::markInUse (fd);

    if (fd >= 0)
        result.reset (new PendingOutputFile (fd, std::string (name.data()), finalPath, shown, mode));

    InterruptCleanup::releaseSignals();

    if (fd < 0)
        return "cannot write " + shown + ": " + describeError (error);

    return {};
}

std::unique_ptr<juce::OutputStream> PendingOutputFile::createStream()
{
    jassert (! finished);
    return std::make_unique<DescriptorOutputStream> (fd, failure);
}

std::string PendingOutputFile::commit()
{
    if (finished)
        return "cannot write " + shownName + ": already finished";

    auto fail = [this] (int error)
    {
        discard();
        return "cannot write " + shownName + ": " + describeError (error);
    };

    if (*failure != 0)
        return fail (*failure);

    // Data first, name last: after a crash the final name holds either the
    // old file or the complete new one.
    if (const auto error = OutputFileCalls::syncData (fd); error != 0)
        return fail (error);

    if (const auto error = OutputFileCalls::setPermissions (fd, mode); error != 0)
        return fail (error);

    InterruptCleanup::forgetDescriptor();
    const auto closed = ::close (fd);
    fd = -1;

    if (closed != 0)
        return fail (errno);

    if (const auto error = OutputFileCalls::replace (tempPath, finalPath); error != 0)
        return fail (error);

    finished = true;
    InterruptCleanup::disarm();

    // Make the rename itself durable; a failure here loses nothing written.
    OutputFileCalls::syncDirectory (directoryOf (finalPath));
    return {};
}

std::string PendingOutputFile::abandon (const std::string& otherwise)
{
    const auto reason = *failure != 0 ? describeError (*failure) : otherwise;
    discard();
    return "cannot write " + shownName + ": " + reason;
}
