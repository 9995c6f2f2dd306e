#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>

namespace velthorn::bench
{
    // Google Benchmark's console output as usual, and the per-sample figures
    // kept aside (the medians when the runs are repeated) for a summary table
    // of literal against cached that printSummary writes at the end.
    class SummaryReporter final : public benchmark::ConsoleReporter
    {
    public:
        // Benchmark thread (called by the library after each benchmark).
        void ReportRuns (const std::vector<Run>& runs) override;

        // Main thread, after the benchmarks have run.
        void printSummary() const;

    private:
        double nanoseconds (const std::string& name) const;

        std::map<std::string, double> perSample;   // benchmark name -> ns per sample
    };
}
