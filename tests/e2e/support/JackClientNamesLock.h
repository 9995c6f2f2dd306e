#pragma once

#include <chrono>

namespace e2e
{
    // A machine-wide lock (flock on a file in the temp folder) held while a
    // JACK client whose name we cannot choose opens or closes.
    //
    // JACK 2 binds each client's notification socket at
    // /dev/shm/jack_<client name>_<uid>_0: the path holds no server name. So
    // two apps starting at once on two different test servers both use
    // .../jack_Velthorn_..., and the framework's device scan both use
    // .../jack_JuceJackDummy_...; one client closing (which unlinks the path)
    // or binding (which replaces it) while the other's server is about to
    // connect to it makes that other open fail. Our own clients carry unique
    // names and need no lock; Velthorn's name is fixed, so its JACK start-up
    // and clean exit are taken one at a time across all tests on the machine,
    // while the tests themselves still run in parallel.
    //
    // The kernel drops the lock when the holding process dies. Within one
    // process it nests: a second holder on the same thread just shares it.
    // Test thread only.
    class JackClientNamesLock final
    {
    public:
        // Test thread: waits for the lock; throws std::runtime_error if it is
        // not free within the timeout.
        explicit JackClientNamesLock (std::chrono::milliseconds timeout = std::chrono::minutes (2));
        // Test thread: releases the lock.
        ~JackClientNamesLock();

        JackClientNamesLock (const JackClientNamesLock&) = delete;
        JackClientNamesLock& operator= (const JackClientNamesLock&) = delete;

    };
}
