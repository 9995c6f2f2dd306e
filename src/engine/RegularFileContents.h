#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>
#include <string>

// The bytes of a file that must be a regular file, read without trusting
// anything the file says of itself. The size a file claims is not what it
// holds (a device such as /dev/zero claims none and never ends), and
// opening a named pipe waits for a writer, which may never come. So the
// file is opened without waiting, what was opened is asked what it is (on
// the open descriptor itself, so nothing can be put in its place between
// the question and the read), and no more than the limit is read, counting
// the bytes that actually arrive.
class RegularFileContents final
{
public:
    enum class Outcome
    {
        read,         // a regular file, read whole into `bytes`
        missing,      // nothing by that name
        unopenable,   // a regular file (or nothing this can tell) that could not be opened or read
        notRegular,   // something else: `kind` says what
        tooLarge      // a regular file holding more than the limit
    };

    // Any thread. Reads `file`, at most `limit` bytes of it.
    static RegularFileContents read (const juce::File& file, size_t limit);

    Outcome outcome = Outcome::missing;

    // With notRegular: "a directory", "a pipe", "a character device" ...
    std::string kind;

    // With read: what the file holds.
    juce::MemoryBlock bytes;
};
