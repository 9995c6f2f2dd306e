#include "PluginTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plugintest
{
    Channels makeInput (int numChannels, int numSamples, uint32_t seed, float level)
    {
        std::mt19937 rng (seed);
        std::uniform_real_distribution<float> noise (-0.3f, 0.3f);
        Channels channels (static_cast<size_t> (numChannels), std::vector<float> (static_cast<size_t> (numSamples)));

        for (int c = 0; c < numChannels; ++c)
            for (int i = 0; i < numSamples; ++i)
                channels[static_cast<size_t> (c)][static_cast<size_t> (i)]
                    = level * (0.7f * std::sin (0.031f * static_cast<float> ((c + 1) * i)) + noise (rng));

        return channels;
    }

    std::unique_ptr<VelthornProcessor> makeProcessor (int inputs, int outputs, double rate, int maximumBlock,
                                                      juce::AudioProcessor::WrapperType wrapper)
    {
        juce::AudioProcessor::setTypeOfNextNewPlugin (wrapper);
        auto processor = std::make_unique<VelthornProcessor>();
        juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_Undefined);

        const auto setFor = [] (int channels)
        {
            return channels == 1 ? juce::AudioChannelSet::mono() : juce::AudioChannelSet::stereo();
        };

        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (setFor (inputs));
        layout.outputBuses.add (setFor (outputs));

        if (! processor->setBusesLayout (layout))
            return nullptr;

        processor->setRateAndBufferSizeDetails (rate, maximumBlock);
        processor->prepareToPlay (rate, maximumBlock);
        return processor;
    }

    juce::RangedAudioParameter& parameterAt (VelthornProcessor& processor, int position)
    {
        return processor.getHostParameters().at (position);
    }

    void setFromHost (VelthornProcessor& processor, int position, float engineValue)
    {
        auto& parameter = parameterAt (processor, position);
        parameter.setValueNotifyingHost (processor.getHostParameters().normalisedFor (position, engineValue));
    }

    Channels run (juce::AudioProcessor& processor, const Channels& input, int numOutputs,
                  const std::vector<int>& blockSizes, const std::vector<TimedEvent>& events)
    {
        const int numInputs = static_cast<int> (input.size());
        const int total = input.empty() ? 0 : static_cast<int> (input.front().size());
        const int bufferChannels = std::max (numInputs, numOutputs);
        const int largest = *std::max_element (blockSizes.begin(), blockSizes.end());

        Channels output (static_cast<size_t> (numOutputs), std::vector<float> (static_cast<size_t> (total)));
        juce::AudioBuffer<float> buffer (bufferChannels, largest);
        juce::MidiBuffer midi;
        size_t nextEvent = 0;
        size_t nextSize = 0;

        for (int start = 0; start < total;)
        {
            const int length = std::min (blockSizes[nextSize], total - start);
            nextSize = (nextSize + 1) % blockSizes.size();

            buffer.setSize (bufferChannels, length, false, false, true);
            buffer.clear();

            for (int c = 0; c < numInputs; ++c)
                buffer.copyFrom (c, 0, input[static_cast<size_t> (c)].data() + start, length);

            midi.clear();

            for (; nextEvent < events.size() && events[nextEvent].sample < start + length; ++nextEvent)
                midi.addEvent (events[nextEvent].message, static_cast<int> (events[nextEvent].sample - start));

            processor.processBlock (buffer, midi);

            for (int c = 0; c < numOutputs; ++c)
                std::copy_n (buffer.getReadPointer (c), length, output[static_cast<size_t> (c)].data() + start);

            start += length;
        }

        return output;
    }

    std::vector<int> randomBlockSizes (int total, int largest, uint32_t seed)
    {
        std::mt19937 rng (seed);
        // Mostly small blocks, so that many boundaries fall inside the run.
        std::uniform_int_distribution<int> small (1, 64);
        std::uniform_int_distribution<int> any (1, largest);
        std::vector<int> sizes;

        for (int sum = 0; sum < total;)
        {
            const int size = rng() % 4 == 0 ? any (rng) : small (rng);
            sizes.push_back (size);
            sum += size;
        }

        return sizes;
    }

    bool bitIdentical (const std::vector<float>& a, const std::vector<float>& b)
    {
        return a.size() == b.size() && (a.empty() || std::memcmp (a.data(), b.data(), a.size() * sizeof (float)) == 0);
    }
}
