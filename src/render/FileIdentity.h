#pragma once

#include <string>

// Whether two names lead to the same file: identity, not spelling. Sees
// through relative paths, "..", symbolic links and hard links, and on
// Windows through either slash, letter case and short names.
struct FileIdentity final
{
    // Any thread. False when either name leads nowhere.
    static bool isSameFile (const std::string& a, const std::string& b);

    FileIdentity() = delete;
};
