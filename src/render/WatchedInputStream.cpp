#include "WatchedInputStream.h"

#include <algorithm>

WatchedInputStream::WatchedInputStream (std::unique_ptr<juce::InputStream> sourceToUse)
    : source (std::move (sourceToUse))
{
}

void WatchedInputStream::replaceBytes (juce::int64 position, const juce::MemoryBlock& bytes)
{
    replacedFrom = position;
    replacement = bytes;
}

juce::int64 WatchedInputStream::getTotalLength()
{
    return source->getTotalLength();
}

bool WatchedInputStream::isExhausted()
{
    return source->isExhausted();
}

int WatchedInputStream::read (void* destination, int maxBytesToRead)
{
    const auto start = source->getPosition();
    const auto got = source->read (destination, maxBytesToRead);

    if (got < maxBytesToRead)
        shortRead = true;

    // Where the bytes read overlap the replaced ones, show those.
    const auto replacedTo = replacedFrom + static_cast<juce::int64> (replacement.getSize());
    const auto from = std::max (start, replacedFrom);
    const auto to = std::min (start + std::max (got, 0), replacedTo);

    for (auto position = from; position < to; ++position)
        static_cast<char*> (destination)[position - start] = static_cast<const char*> (replacement.getData())[position - replacedFrom];

    return got;
}

juce::int64 WatchedInputStream::getPosition()
{
    return source->getPosition();
}

bool WatchedInputStream::setPosition (juce::int64 newPosition)
{
    return source->setPosition (newPosition);
}
