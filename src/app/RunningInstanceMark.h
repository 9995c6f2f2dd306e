#pragma once

#include <memory>

// A sign, visible to other programs, that Velthorn is running: on Windows a
// named mutex (runningMutexName) that the installer and the uninstaller look
// for before they touch anything, since Windows will not replace or remove
// the files of a running program and an update would otherwise be left half
// done. Other systems need none: a running program's files can be replaced.
class RunningInstanceMark final
{
public:
    // The mutex's name, in every session of the machine. The installer
    // script (packaging/windows/Velthorn.nsi) spells it the same way.
    static constexpr const wchar_t* runningMutexName = L"Global\\VelthornIsRunning";

    // Message thread: puts the sign up for as long as this object lives.
    RunningInstanceMark();
    // Message thread.
    ~RunningInstanceMark();

    RunningInstanceMark (const RunningInstanceMark&) = delete;
    RunningInstanceMark& operator= (const RunningInstanceMark&) = delete;

private:
    struct Handle;
    std::unique_ptr<Handle> handle;
};
