#include "FilePermissionLauncher.h"

#include <unistd.h>

namespace e2e
{
    std::vector<std::string> launcherHonouringFilePermissions()
    {
        if (::geteuid() != 0)
            return {};

        const std::string capabilities = "-dac_override,-dac_read_search";
        return { "setpriv", "--bounding-set=" + capabilities, "--inh-caps=" + capabilities, "--" };
    }
}
