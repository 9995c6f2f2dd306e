#include "PrivateWinePrefix.h"

#include <cstdlib>
#include <pwd.h>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

#if ! defined (VELTHORN_WINE)
 #error "the build must name wine's loader"
#endif

namespace windowstest
{
    namespace fs = std::filesystem;

    namespace
    {
        // Below this size a file in a prefix may be one a program rewrites in
        // place (an .ini file, a log); above it are the system's libraries,
        // fonts and tables, which nothing writes. Linking those, and only
        // those, keeps the run's prefix as it was.
        constexpr std::uintmax_t smallestLinkedFile = 64 * 1024;

        void copyPrefix (const fs::path& from, const fs::path& to)
        {
            fs::create_directory (to);

            for (auto entry = fs::recursive_directory_iterator (from); entry != fs::recursive_directory_iterator(); ++entry)
            {
                const auto target = to / entry->path().lexically_relative (from);
                const auto status = entry->symlink_status();

                if (fs::is_symlink (status))
                {
                    fs::copy_symlink (entry->path(), target);
                }
                else if (fs::is_directory (status))
                {
                    fs::create_directory (target);
                }
                else if (fs::is_regular_file (status))
                {
                    // The registry, and the name of the wine server's
                    // shared memory, which must be the copy's own.
                    const auto name = entry->path().filename().string();

                    if (entry.depth() == 0 && name == "wineserver")
                        continue;

                    if (entry->file_size() >= smallestLinkedFile && entry->path().extension() != ".reg")
                        fs::create_hard_link (entry->path(), target);
                    else
                        fs::copy_file (entry->path(), target);
                }
            }
        }

        std::string userName()
        {
            if (const auto* entry = ::getpwuid (::getuid()); entry != nullptr)
                return entry->pw_name;

            const char* const user = std::getenv ("USER");
            return user != nullptr ? user : "root";
        }
    }

    std::string PrivateWinePrefix::wineProgram()
    {
        return VELTHORN_WINE;
    }

    std::string PrivateWinePrefix::windowsPathOf (const fs::path& linuxPath)
    {
        auto text = "Z:" + fs::absolute (linuxPath).lexically_normal().string();

        for (auto& c : text)
            if (c == '/')
                c = '\\';

        return text;
    }

    PrivateWinePrefix::PrivateWinePrefix (const fs::path& prefixFolder, const fs::path& logDirectory)
        : folder (prefixFolder), logs (logDirectory), home (prefixFolder / "home")
    {
        fs::create_directories (folder);
        const char* const runPrefix = std::getenv ("VELTHORN_WINEPREFIX");

        if (runPrefix != nullptr && fs::is_directory (fs::path (runPrefix) / "drive_c"))
        {
            copyPrefix (runPrefix, folder / "prefix");
        }
        else
        {
            fs::create_directories (folder / "prefix");
            const auto setUp = run ({ "wineboot", "--init" }, std::chrono::minutes (3));

            if (! setUp.succeeded() || ! waitUntilAllProgramsEnded())
                throw std::runtime_error ("cannot set up a wine prefix in " + folder.string() + ": " + setUp.describe());
        }

        fs::create_directories (home);

        // The profile's Desktop, Documents ... lead to the HOME of whoever set
        // the prefix up; here they are folders of the prefix, so nothing a
        // test runs writes outside it.
        for (const auto& user : fs::directory_iterator (folder / "prefix" / "drive_c" / "users"))
            for (const auto& entry : fs::directory_iterator (user.path()))
                if (entry.is_symlink())
                {
                    const auto link = entry.path();
                    fs::remove (link);
                    fs::create_directory (link);
                }
    }

    PrivateWinePrefix::~PrivateWinePrefix()
    {
        // Every process of this prefix's server, and the server: all started
        // by this test, in a prefix nothing else uses.
        runWineServer ("-k", std::chrono::seconds (30));
        waitUntilAllProgramsEnded (std::chrono::seconds (30));

        std::error_code ignored;
        fs::remove_all (folder, ignored);
    }

    fs::path PrivateWinePrefix::onDriveC (const std::string& windowsPath) const
    {
        if (windowsPath.size() < 2 || (windowsPath.substr (0, 2) != "C:" && windowsPath.substr (0, 2) != "c:"))
            throw std::invalid_argument ("not a path on drive C: " + windowsPath);

        auto relative = windowsPath.substr (2);

        for (auto& c : relative)
            if (c == '\\')
                c = '/';

        while (! relative.empty() && relative.front() == '/')
            relative.erase (0, 1);

        return folder / "prefix" / "drive_c" / relative;
    }

    fs::path PrivateWinePrefix::roamingAppData() const
    {
        return folder / "prefix" / "drive_c" / "users" / userName() / "AppData" / "Roaming";
    }

    e2e::Environment PrivateWinePrefix::environment (e2e::Environment base) const
    {
        return base.set ("WINEPREFIX", (folder / "prefix").string())
                   .set ("HOME", home.string())
                   .set ("USER", userName())
                   .set ("WINEDEBUG", std::getenv ("VELTHORN_WINEDEBUG") != nullptr ? std::getenv ("VELTHORN_WINEDEBUG") : "-all")
                   .set ("WINEDLLOVERRIDES", "mscoree,mshtml=");
    }

    e2e::ToolResult PrivateWinePrefix::run (const std::vector<std::string>& arguments, std::chrono::milliseconds timeout,
                                            const std::string& display) const
    {
        std::vector<std::string> commandLine { wineProgram() };
        commandLine.insert (commandLine.end(), arguments.begin(), arguments.end());

        auto variables = environment();

        // Wine keeps the windows of each display apart: a program that is
        // to see another's windows runs on the same one.
        if (! display.empty())
            variables.set ("DISPLAY", display);

        return e2e::runTool (commandLine, variables, logs, timeout);
    }

    e2e::ToolResult PrivateWinePrefix::runWineServer (const std::string& option, std::chrono::milliseconds timeout) const
    {
        const auto server = (fs::path (wineProgram()).parent_path() / "wineserver").string();
        return e2e::runTool ({ server, option }, environment(), logs, timeout);
    }

    bool PrivateWinePrefix::waitUntilAllProgramsEnded (std::chrono::milliseconds timeout) const
    {
        // Returns once the server has gone, which it does a few seconds after
        // the last program of the prefix ended.
        return runWineServer ("-w", timeout).succeeded();
    }
}
