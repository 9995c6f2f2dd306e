#pragma once

#include <benchmark/benchmark.h>

// The two figures every benchmark reports, per sample of mono audio:
// nanoseconds of CPU time, and how many times faster than real time at 48 kHz.
namespace velthorn::bench
{
    inline void reportPerSample (benchmark::State& state, double samples)
    {
        state.SetItemsProcessed (static_cast<int64_t> (samples));
        state.counters["ns_per_sample"] = benchmark::Counter (samples * 1.0e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
        state.counters["x_realtime_48k"] = benchmark::Counter (samples / 48000.0, benchmark::Counter::kIsRate);
    }
}
