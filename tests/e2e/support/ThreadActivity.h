#pragma once

#include <map>
#include <string>
#include <sys/types.h>

namespace e2e
{
    // What the kernel counts for one thread of a process, read from
    // /proc/<pid>/task/<tid>/{comm,status,schedstat,stat}.
    struct ThreadCounters final
    {
        std::string name;                  // comm: the thread's name, as the framework set it
        long long voluntarySwitches = 0;   // it blocked, and something woke it up again
        long long involuntarySwitches = 0; // the scheduler took the CPU from it while it ran
        // Time on a CPU in nanoseconds, as the scheduler accounts it
        // (schedstat). Where the kernel does not offer that, user + system
        // time from stat, which is sampled at the clock tick: a thread that
        // runs in short bursts, like an audio callback, is charged by luck.
        long long cpuNanoseconds = 0;
    };

    // The threads of one process at one moment, by thread id. The process's
    // main thread (the framework's message thread) has the process's id.
    // Any thread; threads that end while being read are left out.
    std::map<pid_t, ThreadCounters> readThreadCounters (pid_t pid);

    // One thread's activity between two readings, per second.
    struct ThreadRates final
    {
        std::string name;
        double wakeUpsPerSecond = 0.0;     // context switches of either kind per second
        double voluntaryPerSecond = 0.0;   // of which the thread blocked and was woken
        double cpuPercent = 0.0;           // of one core
    };

    // Any thread: the rates of the threads present in both readings.
    std::map<pid_t, ThreadRates> ratesBetween (const std::map<pid_t, ThreadCounters>& before,
                                               const std::map<pid_t, ThreadCounters>& after,
                                               double seconds);
}
