#include "BenchCounters.h"
#include "BenchScenarios.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

// The engine's audio callback at each oversampling factor, as a device
// drives it (256-sample blocks of two input channels, still knobs): the
// default sound, every slot on, and the master switch off, where the chain
// does nothing and what is left is the resampling.
namespace velthorn::bench
{
    namespace
    {
        struct OversamplingCase
        {
            std::string key;
            bool wah, distortion, amp, delay, master;
        };

        const std::vector<OversamplingCase>& cases()
        {
            static const std::vector<OversamplingCase> table {
                { "amp", false, false, true, false, true },
                { "all", true, true, true, true, true },
                { "resampling_only", false, false, false, false, false },
            };
            return table;
        }

        void oversamplingBenchmark (benchmark::State& bm, const OversamplingCase& c, int factor)
        {
            AudioMidiHandler engine;
            engine.setOversampling (factor);
            engine.prepare (sampleRate, blockSize);
            applySwitches (engine, { c.key, c.key, c.wah, c.distortion, c.amp, c.delay, Motion::none });
            engine.setParameter (17, c.master ? 1.0f : 0.0f);

            const auto& input = noiseSignal();
            std::vector<float> left (input.begin(), input.end()), right (input.size(), 0.0f);
            std::vector<float> outLeft (blockSize), outRight (blockSize);
            float* outputs[] = { outLeft.data(), outRight.data() };
            size_t position = 0;

            for (auto _ : bm)
            {
                const float* inputs[] = { left.data() + position, right.data() + position };
                engine.process (inputs, 2, outputs, 2, blockSize);
                position = (position + static_cast<size_t> (blockSize)) % (input.size() - blockSize);
                benchmark::DoNotOptimize (outLeft.data());
                benchmark::ClobberMemory();
            }

            engine.release();
            reportPerSample (bm, static_cast<double> (bm.iterations()) * blockSize);
        }
    }

    std::string oversamplingBenchmarkName (const std::string& key, int factor)
    {
        return "Oversampling/" + key + "/x" + std::to_string (factor);
    }

    void registerOversamplingBenchmarks()
    {
        for (const auto& c : cases())
            for (int factor : { 1, 2, 4, 8 })
                benchmark::RegisterBenchmark (oversamplingBenchmarkName (c.key, factor).c_str(),
                                              [&c, factor] (benchmark::State& bm) { oversamplingBenchmark (bm, c, factor); });
    }
}
