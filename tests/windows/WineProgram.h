#pragma once

#include "RenderTestSupport.h"

#include <string>
#include <vector>

// A Windows program of the Windows build run under wine the way a Windows
// console would run it: its own wine prefix (one for the whole test run, see
// winePrefix()), standard input from nowhere, and no display unless one is
// given in `environment` ("DISPLAY=:5").
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

    // Runs the Windows program `program` with `arguments` in
    // `workingDirectory` and waits for it.
    rendertest::RunResult runUnderWine (const std::string& program, const std::vector<std::string>& arguments,
                                        const std::string& workingDirectory,
                                        const std::vector<std::string>& environment = {});

    // velthorn-render.exe, the Windows build of the renderer.
    rendertest::RunResult runWindowsRenderer (const std::vector<std::string>& arguments,
                                              const std::string& workingDirectory);

    // A Windows program that is still running, with its stderr on a pipe.
    class RunningUnderWine final
    {
    public:
        RunningUnderWine (const std::string& program, const std::vector<std::string>& arguments,
                          const std::string& workingDirectory, const std::vector<std::string>& environment = {});
        ~RunningUnderWine();

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
