#include "Polling.h"

#include <thread>

namespace e2e
{
    bool pollUntil (std::chrono::milliseconds timeout, const std::function<bool()>& condition)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;

        for (;;)
        {
            if (condition())
                return true;

            if (std::chrono::steady_clock::now() >= deadline)
                return condition();

            // The things waited for (a window, a JACK port, an exit) signal
            // nothing this process could block on, so they are polled.
            std::this_thread::sleep_for (std::chrono::milliseconds (20));
        }
    }
}
