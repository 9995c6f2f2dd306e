#pragma once

#include <juce_events/juce_events.h>

#include <functional>

// Calls a function on the message thread at a fixed interval. In the
// standalone app on Linux the message loop itself is woken, by a timerfd in
// the set of descriptors it polls, so each tick costs the message thread one
// wake-up and nothing else; the framework's timer thread would add several
// context switches and a message post per tick. Elsewhere (inside a plug-in
// host, whose loop the framework does not own) it is a juce::Timer.
//
// A late tick is not repeated: ticks missed while the loop was busy collapse
// into one. Message thread only.
class MessageLoopTicker final
{
public:
    // Message thread: not ticking until start().
    explicit MessageLoopTicker (std::function<void()> onTick);
    // Message thread: stops.
    ~MessageLoopTicker();

    MessageLoopTicker (const MessageLoopTicker&) = delete;
    MessageLoopTicker& operator= (const MessageLoopTicker&) = delete;

    // Message thread: ticks every intervalMs from now on, the first one
    // intervalMs from now; restarts the interval if already ticking.
    void start (int intervalMs);
    // Message thread.
    void stop();
    // Message thread.
    bool isTicking() const noexcept { return ticking; }

private:
    class FallbackTimer;

    std::function<void()> onTick;
    int timerDescriptor = -1;
    bool ticking = false;
    std::unique_ptr<FallbackTimer> fallback;
};
