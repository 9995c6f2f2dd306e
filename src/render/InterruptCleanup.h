#pragma once

// Makes every signal that would end the process remove the half-written
// output first, so an interrupted render leaves nothing behind. The process
// then dies of the same signal, so a shell sees the usual status. The file
// size limit's signal is ignored instead, so a write past `ulimit -f` fails
// with EFBIG and is reported like any other write error.
//
// On Windows the same goes for Ctrl+C, Ctrl+Break and closing the console;
// the process then ends with the status Ctrl+C gives (STATUS_CONTROL_C_EXIT).
class InterruptCleanup final
{
public:
    // Main thread, once, before any output file exists.
    static void install();

    // Main thread. From now on a signal removes the file at `path`, which
    // is open as `fd` (Windows removes an open file only once it is closed,
    // so the file is closed there first).
    static void arm (const char* path, int fd);

    // Main thread. The armed file's descriptor is about to be closed; the
    // file stays armed.
    static void forgetDescriptor();

    // Main thread. A signal removes nothing any more.
    static void disarm();

    // Main thread. Holds the signals (on Windows, the console's control
    // events) back until releaseSignals(), so that a file can be created and
    // armed with no gap for one to slip into.
    static void holdSignals();
    static void releaseSignals();

    InterruptCleanup() = delete;
};
