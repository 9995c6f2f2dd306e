// Starts a windowed program the way a Windows console (cmd.exe, PowerShell)
// does, and waits for it: the program gets no standard handles, because
// Windows gives a windowed program none unless the caller redirected them,
// and the console stays this program's. Wine instead hands a windowed child
// the console's handles, so a program run by cmd under wine prints whether
// or not it joins the console; run by this, it prints only if it does.
//
//   velthorn-console-parent.exe PROGRAM [ARGUMENT...]
//
// Exits with the program's exit code, or 127 when it cannot be started.

#include <windows.h>

#include <string>

namespace
{
    // The command line after this program's own name, as the system gave it.
    const wchar_t* restOfCommandLine()
    {
        const wchar_t* text = ::GetCommandLineW();
        bool quoted = false;

        for (; *text != L'\0'; ++text)
        {
            if (*text == L'"')
                quoted = ! quoted;
            else if (! quoted && (*text == L' ' || *text == L'\t'))
                break;
        }

        while (*text == L' ' || *text == L'\t')
            ++text;

        return text;
    }
}

int wmain()
{
    std::wstring commandLine (restOfCommandLine());

    if (commandLine.empty())
        return 127;

    STARTUPINFOW startup {};
    startup.cb = sizeof (startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = nullptr;
    startup.hStdError = nullptr;

    PROCESS_INFORMATION process {};

    if (! ::CreateProcessW (nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 127;

    ::WaitForSingleObject (process.hProcess, INFINITE);

    DWORD exitCode = 127;
    ::GetExitCodeProcess (process.hProcess, &exitCode);
    ::CloseHandle (process.hThread);
    ::CloseHandle (process.hProcess);
    return static_cast<int> (exitCode);
}
