#include "BenchCounters.h"
#include "BenchScenarios.h"

#include <benchmark/benchmark.h>

#include <vector>

// The engine's audio callback, as a device drives it: two input channels
// summed to mono, the chain, the peak, two output channels. With a moving
// parameter the blocks are one sample long and the MIDI control changes come
// between them, so the value really changes on every sample.
namespace velthorn::bench
{
    namespace
    {
        void engineBenchmark (benchmark::State& bm, const Scenario& scenario)
        {
            AudioMidiHandler engine;
            engine.prepare (sampleRate, blockSize);
            applySwitches (engine, scenario);
            ParameterMotion motion (scenario.motion);

            const bool moving = scenario.motion != Motion::none;
            const int n = moving ? 1 : blockSize;

            const auto& input = noiseSignal();
            std::vector<float> left (input.begin(), input.end()), right (input.size(), 0.0f);
            std::vector<float> outLeft (blockSize), outRight (blockSize);
            float* outputs[] = { outLeft.data(), outRight.data() };
            size_t position = 0;

            for (auto _ : bm)
            {
                // The same amount of audio per iteration in both cases.
                for (int done = 0; done < blockSize; done += n)
                {
                    if (moving)
                        motion.sendMidi (engine);

                    const float* inputs[] = { left.data() + position, right.data() + position };
                    engine.process (inputs, 2, outputs, 2, n);
                    position = (position + static_cast<size_t> (n)) % (input.size() - blockSize);
                }
                benchmark::DoNotOptimize (outLeft.data());
                benchmark::ClobberMemory();
            }

            engine.release();
            reportPerSample (bm, static_cast<double> (bm.iterations()) * blockSize);
        }
    }

    void registerEngineBenchmarks()
    {
        for (const auto& scenario : scenarios())
        {
            // Every knob moving has no MIDI controllers for most knobs: left to the chain loop.
            if (scenario.motion == Motion::everyKnob)
                continue;

            benchmark::RegisterBenchmark (("Engine/" + scenario.key).c_str(),
                                          [&scenario] (benchmark::State& bm) { engineBenchmark (bm, scenario); });
        }
    }
}
