#include "RunningInstanceMark.h"

#include <windows.h>

struct RunningInstanceMark::Handle
{
    HANDLE mutex = nullptr;
};

RunningInstanceMark::RunningInstanceMark()
    : handle (std::make_unique<Handle>())
{
    // Owned by no thread: only its existence matters. A second Velthorn
    // opens the same mutex, which stays until the last one ends. Failing to
    // make it costs only the installer's warning.
    handle->mutex = ::CreateMutexW (nullptr, FALSE, runningMutexName);
}

RunningInstanceMark::~RunningInstanceMark()
{
    if (handle->mutex != nullptr)
        ::CloseHandle (handle->mutex);
}
