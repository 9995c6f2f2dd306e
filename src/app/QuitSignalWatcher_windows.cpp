#include "QuitSignalWatcher.h"

// Windows sends no signals to a windowed program: closing it from the task
// bar or the task manager posts WM_CLOSE to its window, which reaches the
// window's close button, and logging off asks every window through
// WM_QUERYENDSESSION, which the framework turns into a quit request. Both
// already take the way out of File -> Quit, so there is nothing to watch.

QuitSignalWatcher::QuitSignalWatcher (std::function<void()> onQuit)
    : onQuitRequest (std::move (onQuit))
{
}

QuitSignalWatcher::~QuitSignalWatcher() = default;
