#include "TempDirectory.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace e2e
{
    TempDirectory::TempDirectory (const std::string& prefix)
    {
        const auto pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
        std::vector<char> buffer (pattern.begin(), pattern.end());
        buffer.push_back ('\0');

        if (::mkdtemp (buffer.data()) == nullptr)
            throw std::runtime_error ("cannot create a temporary directory from " + pattern + ": "
                                      + std::strerror (errno));

        directory = buffer.data();
    }

    TempDirectory::~TempDirectory()
    {
        std::error_code ignored;
        std::filesystem::remove_all (directory, ignored);
    }
}
