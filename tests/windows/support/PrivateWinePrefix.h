#pragma once

#include "Environment.h"
#include "ToolRun.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace windowstest
{
    // A wine prefix (a Windows installation: drive C, registry, user
    // profile) of one test's own, so what one test's programs write (the
    // app's settings, an installation) no other test sees. It is a copy of
    // the prefix the test run set up (VELTHORN_WINEPREFIX), made in well
    // under a second: the system's libraries are linked rather than copied,
    // everything a program may write to is copied. Without a prefix from the
    // test run, a fresh one is set up (some seconds). Its wine server is its
    // own. Test thread only.
    class PrivateWinePrefix final
    {
    public:
        // Test thread: the prefix in `folder` (which must not exist yet);
        // programs' HOME is `folder`/home. Throws when it cannot be made.
        PrivateWinePrefix (const std::filesystem::path& folder, const std::filesystem::path& logDirectory);
        // Test thread: ends every program still running in the prefix and
        // its wine server (by this prefix: nothing of another test's), then
        // removes the prefix.
        ~PrivateWinePrefix();

        PrivateWinePrefix (const PrivateWinePrefix&) = delete;
        PrivateWinePrefix& operator= (const PrivateWinePrefix&) = delete;

        // Test thread: the wine loader that runs a Windows program (wine64).
        static std::string wineProgram();

        // Test thread: how a Windows program sees a Linux path (drive Z:, with
        // backslashes).
        static std::string windowsPathOf (const std::filesystem::path& linuxPath);

        // Test thread.
        const std::filesystem::path& path() const noexcept { return folder; }

        // Test thread: the Linux path of a path on the prefix's drive C
        // ("C:\\Program Files\\Velthorn" and the like).
        std::filesystem::path onDriveC (const std::string& windowsPath) const;

        // Test thread: the user's %APPDATA% (AppData\Roaming) on drive C.
        std::filesystem::path roamingAppData() const;

        // Test thread: `base` with what a Windows program in this prefix
        // needs: WINEPREFIX, HOME, no offer to download Mono or Gecko, and
        // no debug output from wine unless VELTHORN_WINEDEBUG says which
        // (WINEDEBUG's syntax: +message traces every window message).
        e2e::Environment environment (e2e::Environment base = e2e::Environment::minimal()) const;

        // Test thread: runs `wine64 <arguments>` in the prefix to completion
        // (a program, or a built-in command such as reg or cmd), on the X
        // display given (for programs that deal with windows) or none.
        e2e::ToolResult run (const std::vector<std::string>& arguments,
                             std::chrono::milliseconds timeout = std::chrono::minutes (2),
                             const std::string& display = {}) const;

        // Test thread: waits until every program in the prefix has ended and
        // its wine server has gone; false if that has not happened in time.
        bool waitUntilAllProgramsEnded (std::chrono::milliseconds timeout = std::chrono::minutes (2)) const;

    private:
        e2e::ToolResult runWineServer (const std::string& option, std::chrono::milliseconds timeout) const;

        std::filesystem::path folder;
        std::filesystem::path logs;
        std::filesystem::path home;
    };
}
