// velthorn-close-hidden IMAGE: posts WM_CLOSE to every hidden top-level
// window of the processes running the program file IMAGE (Velthorn.exe, say),
// and to nothing else; prints how many windows it found. A request to close
// a program's windows (taskkill, a task manager's "End task") reaches its
// hidden windows too, in an order the program does not choose; this sends
// the hidden ones theirs first, on purpose.

#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <set>

namespace
{
    struct Search
    {
        std::set<DWORD> pids;
        int found = 0;
    };

    std::set<DWORD> processesRunning (const wchar_t* image)
    {
        std::set<DWORD> pids;
        const auto snapshot = ::CreateToolhelp32Snapshot (TH32CS_SNAPPROCESS, 0);

        if (snapshot == INVALID_HANDLE_VALUE)
            return pids;

        PROCESSENTRY32W entry {};
        entry.dwSize = sizeof (entry);

        for (auto more = ::Process32FirstW (snapshot, &entry); more; more = ::Process32NextW (snapshot, &entry))
            if (::lstrcmpiW (entry.szExeFile, image) == 0)
                pids.insert (entry.th32ProcessID);

        ::CloseHandle (snapshot);
        return pids;
    }

    BOOL CALLBACK closeIfHidden (HWND window, LPARAM parameter)
    {
        auto& search = *reinterpret_cast<Search*> (parameter);
        DWORD owner = 0;
        ::GetWindowThreadProcessId (window, &owner);

        if (search.pids.count (owner) != 0 && ! ::IsWindowVisible (window))
        {
            ::PostMessageW (window, WM_CLOSE, 0, 0);
            ++search.found;
        }

        return TRUE;
    }
}

int wmain (int argc, wchar_t** argv)
{
    if (argc != 2)
    {
        std::fputs ("usage: velthorn-close-hidden IMAGE\n", stderr);
        return 2;
    }

    Search search;
    search.pids = processesRunning (argv[1]);
    ::EnumWindows (closeIfHidden, reinterpret_cast<LPARAM> (&search));
    std::printf ("%d\n", search.found);
    return search.found > 0 ? 0 : 1;
}
