#pragma once

#include <juce_core/juce_core.h>

#include <memory>

// An input stream over another that notices reads which come back short, and
// can show other bytes in place of a few of the source's.
//
// The framework's uncompressed readers fill a short read with silence without
// a word; watching the stream under them is how a cut-off file is told from a
// quiet one. The replaced bytes let a header be read as an equivalent one the
// framework understands.
class WatchedInputStream final : public juce::InputStream
{
public:
    // Any one thread at a time, as for every member.
    explicit WatchedInputStream (std::unique_ptr<juce::InputStream> source);

    // True when a read since the last clearShortReads() returned fewer bytes
    // than asked for.
    bool hadShortRead() const noexcept { return shortRead; }
    void clearShortReads() noexcept { shortRead = false; }

    // Reads of the source's bytes from `position` on see `bytes` instead.
    void replaceBytes (juce::int64 position, const juce::MemoryBlock& bytes);

    // The juce::InputStream interface.
    juce::int64 getTotalLength() override;
    bool isExhausted() override;
    int read (void* destination, int maxBytesToRead) override;
    juce::int64 getPosition() override;
    bool setPosition (juce::int64 newPosition) override;

private:
    std::unique_ptr<juce::InputStream> source;
    juce::int64 replacedFrom = 0;
    juce::MemoryBlock replacement;
    bool shortRead = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WatchedInputStream)
};
