#include "BenchCounters.h"
#include "BenchScenarios.h"
#include "ChainLoop.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

// The chain alone, literal against cached: 256-sample blocks of noise
// through a state that lives for the whole benchmark (the filters and the
// delay keep running), the parameters read per sample from a parameter block.
// Flush-to-zero and denormals-are-zero are set as the audio callback sets them.
namespace velthorn::bench
{
    namespace
    {
        enum class Path
        {
            literal,         // the literal slots, sample by sample
            cachedSlots,     // the cached chain's slot functions, sample by sample
            cachedBlocks,    // the cached chain's pipelined blocks, as the engine runs it
        };

        void chainBenchmark (benchmark::State& bm, const Scenario& scenario, Path path)
        {
            const juce::ScopedNoDenormals noDenormals;

            ParameterBlock parameters;
            applySwitches (parameters, scenario);

            EffectState state (static_cast<int> (sampleRate));
            CachedEffectChain chain (state, blockSize);
            LiteralSlots literal { state };
            CachedSlots cached { chain };
            std::vector<ChainSettings> settings (blockSize);
            ParameterMotion motion (scenario.motion);

            const auto& input = noiseSignal();
            std::vector<float> mono (blockSize);
            size_t position = 0;

            for (auto _ : bm)
            {
                std::copy_n (input.begin() + static_cast<long> (position), blockSize, mono.begin());
                position = (position + blockSize) % (input.size() - blockSize);

                switch (path)
                {
                    case Path::literal: runChain (parameters, literal, motion, mono.data(), blockSize); break;
                    case Path::cachedSlots: runChain (parameters, cached, motion, mono.data(), blockSize); break;
                    case Path::cachedBlocks: runChainInBlocks (parameters, chain, settings, motion, mono.data(), blockSize); break;
                }
                benchmark::DoNotOptimize (mono.data());
                benchmark::ClobberMemory();
            }

            reportPerSample (bm, static_cast<double> (bm.iterations()) * blockSize);
        }
    }

    void registerChainBenchmarks()
    {
        const struct
        {
            const char* name;
            Path path;
        } paths[] { { "literal", Path::literal }, { "cached_slots", Path::cachedSlots }, { "cached", Path::cachedBlocks } };

        for (const auto& scenario : scenarios())
            for (const auto& path : paths)
                benchmark::RegisterBenchmark (("Chain/" + scenario.key + "/" + path.name).c_str(),
                                              [&scenario, p = path.path] (benchmark::State& bm) { chainBenchmark (bm, scenario, p); });
    }
}
