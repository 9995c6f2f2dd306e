#pragma once

#include <functional>

// Turns SIGTERM and SIGHUP (a desktop session logging out, `kill`, a service
// manager) into an ordinary quit on the message thread. The handler itself
// only writes one byte into a pipe, which is all a signal handler may safely
// do; the message loop watches the pipe's other end and calls onQuitRequest,
// so the app leaves by the same path as File -> Quit: audio callback removed,
// JACK client closed, settings written, exit status 0. On Windows, which has
// no such signals, the framework already turns the system's quit requests
// into that path, and this watches nothing.
//
// One instance at a time. Message thread only.
class QuitSignalWatcher final
{
public:
    // Message thread, after the message manager exists: installs the handlers
    // and starts watching. onQuitRequest runs on the message thread, once per
    // burst of signals.
    explicit QuitSignalWatcher (std::function<void()> onQuitRequest);
    // Message thread: stops watching. The handlers stay, and from now on a
    // signal only writes into the pipe: the app is leaving anyway, and dying
    // half-way through that would leave the JACK client behind.
    ~QuitSignalWatcher();

    QuitSignalWatcher (const QuitSignalWatcher&) = delete;
    QuitSignalWatcher& operator= (const QuitSignalWatcher&) = delete;

private:
    void drainPipe();

    std::function<void()> onQuitRequest;
    bool watching = false;
};
