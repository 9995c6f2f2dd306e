#include "DescriptorOutputStream.h"

#include "OutputFileCalls.h"

#include <cerrno>
#include <unistd.h>
#include <utility>

namespace
{
    constexpr size_t bufferSize = 1 << 16;
}

DescriptorOutputStream::DescriptorOutputStream (int fileDescriptor, std::shared_ptr<int> failureToReport)
    : fd (fileDescriptor),
      failure (std::move (failureToReport))
{
    buffer.reserve (bufferSize);
    const auto start = ::lseek (fd, 0, SEEK_CUR);
    position = start > 0 ? static_cast<juce::int64> (start) : 0;
}

DescriptorOutputStream::~DescriptorOutputStream()
{
    flush();
}

bool DescriptorOutputStream::fail (int error)
{
    if (*failure == 0)
        *failure = error != 0 ? error : EIO;

    return false;
}

bool DescriptorOutputStream::writeThrough (const char* data, size_t numBytes)
{
    while (numBytes > 0)
    {
        const auto written = OutputFileCalls::write (fd, data, numBytes);

        if (written < 0)
        {
            if (errno == EINTR)
                continue;

            return fail (errno);
        }

        if (written == 0)
            return fail (EIO);

        data += written;
        numBytes -= static_cast<size_t> (written);
    }

    return true;
}

void DescriptorOutputStream::flush()
{
    if (buffer.empty())
        return;

    writeThrough (buffer.data(), buffer.size());
    buffer.clear();
}

bool DescriptorOutputStream::setPosition (juce::int64 newPosition)
{
    if (newPosition == position)
        return true;

    flush();

    if (::lseek (fd, static_cast<off_t> (newPosition), SEEK_SET) < 0)
        return fail (errno);

    position = newPosition;
    return true;
}

juce::int64 DescriptorOutputStream::getPosition()
{
    return position;
}

bool DescriptorOutputStream::write (const void* data, size_t numBytes)
{
    if (*failure != 0)
        return false;

    const auto* const bytes = static_cast<const char*> (data);
    position += static_cast<juce::int64> (numBytes);

    if (buffer.size() + numBytes <= bufferSize)
    {
        buffer.insert (buffer.end(), bytes, bytes + numBytes);
        return true;
    }

    flush();

    if (*failure != 0)
        return false;

    if (numBytes >= bufferSize)
        return writeThrough (bytes, numBytes);

    buffer.insert (buffer.end(), bytes, bytes + numBytes);
    return *failure == 0;
}
