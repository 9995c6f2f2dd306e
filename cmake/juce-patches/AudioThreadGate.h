#pragma once

// Compiled into the framework's audio device module (see
// cmake/juce-patches/LockFreeAudioCallbacks.cmake), inside its namespace.

#include <atomic>
#include <thread>

namespace juce
{

// Keeps what the audio thread reads in its callback (a callback pointer, a
// list of callbacks) away from the threads that change it, without the audio
// thread ever waiting for one of them, nor taking a lock.
//
// The audio thread first marks itself inside, then looks whether a change is
// under way; a changing thread first marks its change, then waits until the
// audio thread is outside. All four are sequentially consistent, so of the
// two at least one sees the other: either the audio thread stays out (and
// its callback outputs silence once), or the change waits for the callback
// in progress to end, at most one period. A change made by the audio thread
// itself, from inside its callback, does not wait for itself.
class AudioThreadGate final
{
public:
    // Audio thread. Always enters; for a pointer that is swapped atomically
    // and then waited out with waitUntilOutside().
    void enter() noexcept
    {
        inside.store (true);
        insideThread.store (std::this_thread::get_id(), std::memory_order_relaxed);
    }

    // Audio thread. Enters unless a change is under way; leave() only after
    // entering.
    bool tryEnter() noexcept
    {
        enter();

        if (changes.load() == 0)
            return true;

        leave();
        return false;
    }

    void leave() noexcept
    {
        insideThread.store (std::thread::id(), std::memory_order_relaxed);
        inside.store (false);
    }

    // Any thread but from inside: returns once the audio thread is not, or
    // no longer, inside a callback that began before this call.
    void waitUntilOutside() const noexcept
    {
        if (insideThread.load (std::memory_order_relaxed) == std::this_thread::get_id())
            return;

        while (inside.load())
            std::this_thread::yield();
    }

    // A change under way for as long as it exists: the audio thread stays out.
    class Change final
    {
    public:
        explicit Change (AudioThreadGate& g) noexcept : gate (g)
        {
            gate.changes.fetch_add (1);
            gate.waitUntilOutside();
        }

        ~Change() { gate.changes.fetch_sub (1); }

        Change (const Change&) = delete;
        Change& operator= (const Change&) = delete;

    private:
        AudioThreadGate& gate;
    };

private:
    std::atomic<bool> inside { false };
    std::atomic<std::thread::id> insideThread {};
    std::atomic<int> changes { 0 };
};

} // namespace juce
