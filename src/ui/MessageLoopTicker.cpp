#include "MessageLoopTicker.h"

#if JUCE_LINUX
 #include <sys/timerfd.h>
 #include <unistd.h>
#endif

class MessageLoopTicker::FallbackTimer final : public juce::Timer
{
public:
    explicit FallbackTimer (std::function<void()>& tick) : onTick (tick) {}
    ~FallbackTimer() override { stopTimer(); }

    void timerCallback() override { onTick(); }

private:
    std::function<void()>& onTick;
};

MessageLoopTicker::MessageLoopTicker (std::function<void()> tick)
    : onTick (std::move (tick))
{
   #if JUCE_LINUX
    // Only where the framework runs the loop itself, which it then polls.
    if (juce::JUCEApplicationBase::isStandaloneApp())
        timerDescriptor = ::timerfd_create (CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
   #endif

    if (timerDescriptor < 0)
        fallback = std::make_unique<FallbackTimer> (onTick);
}

MessageLoopTicker::~MessageLoopTicker()
{
    stop();

   #if JUCE_LINUX
    if (timerDescriptor >= 0)
        ::close (timerDescriptor);
   #endif
}

void MessageLoopTicker::start (int intervalMs)
{
    stop();
    ticking = true;

    if (fallback != nullptr)
    {
        fallback->startTimer (intervalMs);
        return;
    }

   #if JUCE_LINUX
    const timespec interval { intervalMs / 1000, static_cast<long> (intervalMs % 1000) * 1000000L };
    const itimerspec setting { interval, interval };
    ::timerfd_settime (timerDescriptor, 0, &setting, nullptr);

    juce::LinuxEventLoop::registerFdCallback (timerDescriptor, [this] (int fd)
    {
        // Reading clears the expiry count; however many intervals passed,
        // this is one tick.
        uint64_t expiries = 0;
        if (::read (fd, &expiries, sizeof (expiries)) == static_cast<ssize_t> (sizeof (expiries)) && ticking)
            onTick();
    });
   #endif
}

void MessageLoopTicker::stop()
{
    if (! ticking)
        return;

    ticking = false;

    if (fallback != nullptr)
    {
        fallback->stopTimer();
        return;
    }

   #if JUCE_LINUX
    const itimerspec disarmed {};
    ::timerfd_settime (timerDescriptor, 0, &disarmed, nullptr);
    juce::LinuxEventLoop::unregisterFdCallback (timerDescriptor);
   #endif
}
