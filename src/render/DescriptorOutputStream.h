#pragma once

#include <juce_core/juce_core.h>

#include <memory>
#include <vector>

// A buffered juce::OutputStream over a POSIX file descriptor it does not own.
// The audio writers report only some failures and their destructors none, so
// every failed write or seek is also recorded in `failure` (an errno value),
// which outlives the stream and is checked before the file is kept.
class DescriptorOutputStream final : public juce::OutputStream
{
public:
    // Main thread. Writes to `fd` from its current offset (0 for a new file).
    DescriptorOutputStream (int fd, std::shared_ptr<int> failure);
    // Main thread. Writes out what is still buffered.
    ~DescriptorOutputStream() override;

    // Main thread. The juce::OutputStream interface.
    void flush() override;
    bool setPosition (juce::int64 newPosition) override;
    juce::int64 getPosition() override;
    bool write (const void* data, size_t numBytes) override;

private:
    bool writeThrough (const char* data, size_t numBytes);
    bool fail (int error);

    const int fd;
    std::shared_ptr<int> failure;
    std::vector<char> buffer;
    juce::int64 position = 0;   // of the next byte, buffered bytes included

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DescriptorOutputStream)
};
