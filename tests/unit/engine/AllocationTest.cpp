#include "EngineHarness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

// Counts every heap allocation made by this test program while `counting`
// is set, so the audio callback can be shown to allocate nothing.
namespace
{
    std::atomic<bool> counting { false };
    std::atomic<long> allocations { 0 };

    void* allocate (std::size_t size)
    {
        if (counting.load())
            allocations.fetch_add (1);
        if (void* p = std::malloc (size == 0 ? 1 : size))
            return p;
        throw std::bad_alloc();
    }
}

void* operator new (std::size_t size) { return allocate (size); }
void* operator new[] (std::size_t size) { return allocate (size); }
void* operator new (std::size_t size, const std::nothrow_t&) noexcept
{
    try { return allocate (size); } catch (...) { return nullptr; }
}
void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept
{
    try { return allocate (size); } catch (...) { return nullptr; }
}
void operator delete (void* p) noexcept { std::free (p); }
void operator delete[] (void* p) noexcept { std::free (p); }
void operator delete (void* p, std::size_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::size_t) noexcept { std::free (p); }

TEST (RealTime, TheAudioCallbackAllocatesNothing)
{
    EngineHarness h (48000.0, 256);
    for (int index : { 2, 6, 9, 14 })
        h.engine.setParameter (index, 1.0f);

    std::vector<float> left (1000, 0.25f), right (1000, -0.1f);
    std::vector<float> outA (1000), outB (1000);
    const float* in[] = { left.data(), right.data() };
    float* out[] = { outA.data(), outB.data() };

    allocations = 0;
    counting = true;
    for (int n : { 256, 1, 0, 1000 /* longer than announced */ })
        h.engine.audioDeviceIOCallbackWithContext (in, 2, out, 2, n, {});
    h.engine.handleIncomingMidiMessage (nullptr, juce::MidiMessage::controllerEvent (1, 5, 100));
    counting = false;

    EXPECT_EQ (allocations.load(), 0);

    // The counter does see allocations, so a zero above means something.
    counting = true;
    auto* probe = new int (3);
    counting = false;
    delete probe;
    EXPECT_EQ (allocations.load(), 1);
}
