#include "BenchCounters.h"
#include "BenchScenarios.h"

#include "VelthornProcessor.h"

#include <benchmark/benchmark.h>

#include <vector>

// The plugin's processBlock over the same blocks as the engine's callback
// benchmark: what the wrapper (parameter copy, block cutting at MIDI events,
// buffer pointers) adds to the engine per sample. With a MIDI sweep the block
// carries the two control changes on every sample, so it is cut into
// 1-sample pieces as the engine benchmark's blocks are.
namespace velthorn::bench
{
    namespace
    {
        void pluginBenchmark (benchmark::State& bm, const Scenario& scenario)
        {
            VelthornProcessor processor;
            processor.setRateAndBufferSizeDetails (sampleRate, blockSize);
            processor.prepareToPlay (sampleRate, blockSize);
            applySwitches (processor.getEngine(), scenario);

            juce::MidiBuffer midi;
            if (scenario.motion != Motion::none)
            {
                // The sweep: up and down one step per sample, wah and drive together.
                for (int i = 0; i < blockSize; ++i)
                {
                    const int value = i < 128 ? i : 255 - i;
                    midi.addEvent (juce::MidiMessage::controllerEvent (1, 9, value), i);
                    midi.addEvent (juce::MidiMessage::controllerEvent (1, 7, value), i);
                }
            }

            const auto& input = noiseSignal();
            juce::AudioBuffer<float> buffer (2, blockSize);
            size_t position = 0;

            for (auto _ : bm)
            {
                buffer.copyFrom (0, 0, input.data() + position, blockSize);
                buffer.clear (1, 0, blockSize);
                processor.processBlock (buffer, midi);
                position = (position + static_cast<size_t> (blockSize)) % (input.size() - blockSize);

                benchmark::DoNotOptimize (buffer.getReadPointer (0));
                benchmark::ClobberMemory();
            }

            processor.releaseResources();
            reportPerSample (bm, static_cast<double> (bm.iterations()) * blockSize);
        }
    }

    void registerPluginBenchmarks()
    {
        for (const auto& scenario : scenarios())
        {
            if (scenario.motion == Motion::everyKnob)
                continue;

            benchmark::RegisterBenchmark (("Plugin/" + scenario.key).c_str(),
                                          [&scenario] (benchmark::State& bm) { pluginBenchmark (bm, scenario); });
        }
    }
}
