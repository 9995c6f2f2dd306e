#include "SummaryReporter.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

namespace velthorn::bench
{
    void registerChainBenchmarks();
    void registerEngineBenchmarks();
    void registerOversamplingBenchmarks();
    void registerPluginBenchmarks();
    void registerTailBenchmarks();
}

// Without repetition flags of its own, the run is repeated five times and
// only the aggregates are shown, so `make bench` prints medians straight away.
int main (int argc, char** argv)
{
    std::vector<char*> args (argv, argv + argc);
    bool repetitionsGiven = false;
    for (int i = 1; i < argc; ++i)
        if (std::strncmp (argv[i], "--benchmark_repetitions", 23) == 0)
            repetitionsGiven = true;

    std::string repetitions = "--benchmark_repetitions=5";
    std::string aggregatesOnly = "--benchmark_report_aggregates_only=true";
    if (! repetitionsGiven)
    {
        args.push_back (repetitions.data());
        args.push_back (aggregatesOnly.data());
    }

    int count = static_cast<int> (args.size());
    benchmark::Initialize (&count, args.data());
    if (benchmark::ReportUnrecognizedArguments (count, args.data()))
        return 1;

    velthorn::bench::registerChainBenchmarks();
    velthorn::bench::registerEngineBenchmarks();
    velthorn::bench::registerOversamplingBenchmarks();
    velthorn::bench::registerPluginBenchmarks();
    velthorn::bench::registerTailBenchmarks();

    velthorn::bench::SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks (&reporter);
    reporter.printSummary();
    benchmark::Shutdown();
    return 0;
}
