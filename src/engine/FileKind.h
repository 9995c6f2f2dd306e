#pragma once

#include <string>
#include <sys/types.h>

// What a path names, in words for a message, when it is not a regular file.
// Files are only ever read as regular files: the renderer reads audio by
// moving around in a file, which a pipe, a socket or a terminal cannot do;
// opening a named pipe would wait for a writer that may never come, and a
// device such as /dev/zero never ends.
class FileKind final
{
public:
    // Any thread. "a directory", "a pipe", "a socket", "a character device",
    // "a block device", "a symbolic link"; empty for a regular file.
    static std::string describe (mode_t mode);

    FileKind() = delete;
};
