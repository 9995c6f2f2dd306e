#pragma once

#include <chrono>
#include <functional>

namespace e2e
{
    // Deadlines are generous on purpose: a loaded two-core CI machine running
    // several of these tests at once can take many seconds to start an X
    // server, a JACK server and the app. They bound a wait; they are never
    // asserted on.
    inline constexpr std::chrono::milliseconds startupTimeout { 30000 };
    inline constexpr std::chrono::milliseconds shutdownTimeout { 30000 };
    inline constexpr std::chrono::milliseconds toolTimeout { 30000 };

    // Test thread: calls condition until it returns true or the timeout has
    // passed, first every few milliseconds, then less and less often, up to
    // a quarter of a second apart; the last call is made at the deadline.
    // Returns whether the condition became true.
    bool pollUntil (std::chrono::milliseconds timeout, const std::function<bool()>& condition);
}
