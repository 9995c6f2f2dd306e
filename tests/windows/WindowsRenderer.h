#pragma once

#include "RenderTestSupport.h"

#include <string>
#include <vector>

// velthorn-render.exe, the Windows build of the renderer, run under wine the
// way a Windows console would run it: no display, its own wine prefix (one
// for the whole test run, see winePrefix()), standard input from nowhere.
namespace wintest
{
    // The status wine reports for a process ended the way the system ends
    // one on Ctrl+C (STATUS_CONTROL_C_EXIT, of which a Linux parent sees the
    // low byte).
    constexpr int controlCExitStatus = static_cast<int> (0xC000013Au & 0xffu);

    // The wine prefix every run uses: the one the test run set up
    // (VELTHORN_WINEPREFIX), or else one made for this test program and
    // removed when it exits.
    std::string winePrefix();

    // Runs velthorn-render.exe with `arguments` in `workingDirectory` and
    // waits for it.
    rendertest::RunResult runWindowsRenderer (const std::vector<std::string>& arguments,
                                              const std::string& workingDirectory);

    // A velthorn-render.exe that is still running, with its stderr on a pipe.
    class RunningWindowsRenderer final
    {
    public:
        RunningWindowsRenderer (const std::vector<std::string>& arguments, const std::string& workingDirectory);
        ~RunningWindowsRenderer();

        // Blocks until `text` has appeared on stderr (true) or stderr closed.
        bool waitForStderr (const std::string& text);

        // What a console's Ctrl+C is to a program under wine: SIGINT to its
        // process, which wine hands to the console control handlers.
        void pressControlC();

        rendertest::RunResult wait();

    private:
        int pid = -1;
        int errFd = -1;
        std::string err;
    };
}
