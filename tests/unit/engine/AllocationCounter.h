#pragma once

#include <atomic>

// The test program's own global operator new and delete (AllocationCounter.cpp,
// compiled into each program that uses them) count every heap allocation
// made while `counting` is set, so a real-time path can be shown to
// allocate nothing. Any thread.
namespace allocationcounter
{
    extern std::atomic<bool> counting;
    extern std::atomic<long> allocations;
}
