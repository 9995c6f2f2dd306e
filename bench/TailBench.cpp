#include "BenchCounters.h"
#include "BenchScenarios.h"
#include "ChainLoop.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

// What decaying tails cost. All four slots run on two seconds of audio per
// iteration: either noise throughout, or a 0.1 s loud burst followed by 1.9 s
// of silence, in which the filters ring out and the echoes (a short, 5 ms
// loop with feedback 0.6) fall by 4.4 dB every loop, from full scale to below
// the smallest normal float within the second.
//
// Through the engine's callback, which sets flush-to-zero and
// denormals-are-zero for its own duration (juce::ScopedNoDenormals), the
// silence should cost what noise costs. The same cached chain run without
// them shows what the callback guards against: tails in subnormal numbers,
// each operation on which takes a slow microcode path.
namespace velthorn::bench
{
    namespace
    {
        constexpr int burstSamples = 4800;
        constexpr int cycleSamples = 96000;

        enum class Signal
        {
            noise,
            burstThenSilence
        };

        std::vector<float> cycle (Signal signal)
        {
            std::mt19937 rng (11);
            std::uniform_real_distribution<float> loud (-1.0f, 1.0f);
            std::vector<float> s (cycleSamples, 0.0f);
            for (int j = 0; j < cycleSamples; ++j)
                if (signal == Signal::noise || j < burstSamples)
                    s[static_cast<size_t> (j)] = (signal == Signal::noise ? 0.3f : 1.0f) * loud (rng);
            return s;
        }

        template <typename Parameters>
        void tailSettings (Parameters& p)
        {
            applySwitches (p, scenarios()[4]);   // all four slots
            p.setParameter (0, 0.005f);           // delTme: a 240-sample loop
            p.setParameter (1, 0.6f);             // delAm
        }

        void engineTail (benchmark::State& bm, Signal signal)
        {
            AudioMidiHandler engine;
            engine.prepare (sampleRate, blockSize);
            tailSettings (engine);

            const auto input = cycle (signal);
            std::vector<float> outLeft (blockSize), outRight (blockSize);
            float* outputs[] = { outLeft.data(), outRight.data() };

            for (auto _ : bm)
            {
                for (int offset = 0; offset < cycleSamples; offset += blockSize)
                {
                    const float* inputs[] = { input.data() + offset };
                    engine.process (inputs, 1, outputs, 2, blockSize);
                }
                benchmark::DoNotOptimize (outLeft.data());
                benchmark::ClobberMemory();
            }

            engine.release();
            reportPerSample (bm, static_cast<double> (bm.iterations()) * cycleSamples);
        }

        // Deliberately without juce::ScopedNoDenormals.
        void chainTailWithoutFlushToZero (benchmark::State& bm, Signal signal)
        {
            ParameterBlock parameters;
            tailSettings (parameters);
            EffectState state (static_cast<int> (sampleRate));
            CachedEffectChain chain (state, blockSize);
            std::vector<ChainSettings> settings (blockSize);
            ParameterMotion still (Motion::none);

            const auto input = cycle (signal);
            std::vector<float> mono (input.size());

            for (auto _ : bm)
            {
                mono = input;
                for (int offset = 0; offset < cycleSamples; offset += blockSize)
                    runChainInBlocks (parameters, chain, settings, still, mono.data() + offset, blockSize);
                benchmark::DoNotOptimize (mono.data());
                benchmark::ClobberMemory();
            }

            reportPerSample (bm, static_cast<double> (bm.iterations()) * cycleSamples);
        }
    }

    void registerTailBenchmarks()
    {
        benchmark::RegisterBenchmark ("Tail/engine/noise", [] (benchmark::State& bm) { engineTail (bm, Signal::noise); });
        benchmark::RegisterBenchmark ("Tail/engine/burst_then_silence",
                                      [] (benchmark::State& bm) { engineTail (bm, Signal::burstThenSilence); });
        benchmark::RegisterBenchmark ("Tail/no_ftz_daz/noise",
                                      [] (benchmark::State& bm) { chainTailWithoutFlushToZero (bm, Signal::noise); });
        benchmark::RegisterBenchmark ("Tail/no_ftz_daz/burst_then_silence",
                                      [] (benchmark::State& bm) { chainTailWithoutFlushToZero (bm, Signal::burstThenSilence); });
    }
}
