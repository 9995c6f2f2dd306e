#pragma once

#include <filesystem>
#include <string>

namespace e2e
{
    // A fresh private directory under the system temp folder, removed with
    // everything in it when this object goes. Test thread only.
    class TempDirectory final
    {
    public:
        // Test thread: creates <tmp>/<prefix>XXXXXX.
        explicit TempDirectory (const std::string& prefix);
        // Test thread: removes the directory tree.
        ~TempDirectory();

        TempDirectory (const TempDirectory&) = delete;
        TempDirectory& operator= (const TempDirectory&) = delete;

        // Any thread.
        const std::filesystem::path& path() const noexcept { return directory; }

    private:
        std::filesystem::path directory;
    };
}
