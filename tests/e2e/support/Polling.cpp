#include "Polling.h"

#include <algorithm>
#include <thread>

namespace e2e
{
    namespace
    {
        // The things waited for (a window, a JACK port, a file) signal nothing
        // this process could block on, so they are polled. Most come within
        // milliseconds, so the first looks are quick; a slow one (wine
        // scanning its devices for a minute) is looked at a few times a
        // second, not fifty: every look may start a process, and those
        // compete with what is being waited for on a two-core machine.
        constexpr std::chrono::milliseconds firstInterval { 2 };
        constexpr std::chrono::milliseconds longestInterval { 250 };
    }

    bool pollUntil (std::chrono::milliseconds timeout, const std::function<bool()>& condition)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        auto interval = firstInterval;

        for (;;)
        {
            if (condition())
                return true;

            const auto now = std::chrono::steady_clock::now();

            if (now >= deadline)
                return false;

            std::this_thread::sleep_for (std::min<std::chrono::steady_clock::duration> (interval, deadline - now));
            interval = std::min (interval * 2, longestInterval);
        }
    }
}
