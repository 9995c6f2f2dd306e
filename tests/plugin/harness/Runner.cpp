#include "Runner.h"

#include <cmath>
#include <cstring>

namespace harness
{
    juce::AudioBuffer<float> play (HostedPlugin& plugin, const Scenario& scenario, const BlockSizes& blockSizes)
    {
        for (const auto& setting : scenario.settings)
            plugin.set (setting.id, setting.value);

        const int length = scenario.input.getNumSamples();
        juce::AudioBuffer<float> output (2, length);
        juce::AudioBuffer<float> block (2, 4096);
        juce::MidiBuffer midi;
        size_t nextAutomation = 0, nextMidi = 0;
        int position = 0;

        for (int call = 0; position < length; ++call)
        {
            while (nextAutomation < scenario.automation.size() && scenario.automation[nextAutomation].sample == position)
            {
                const auto& a = scenario.automation[nextAutomation++];
                plugin.set (a.setting.id, a.setting.value);
            }

            int size = std::min (blockSizes (call), length - position);

            if (nextAutomation < scenario.automation.size())
                size = std::min (size, static_cast<int> (scenario.automation[nextAutomation].sample) - position);

            if (plugin.format() == Format::vst3 && nextMidi < scenario.midi.size())
            {
                // The control change at this position goes with this block;
                // the block ends before the next one.
                const auto nextChange = scenario.midi[nextMidi].sample == position && nextMidi + 1 < scenario.midi.size()
                                            ? scenario.midi[nextMidi + 1].sample
                                            : scenario.midi[nextMidi].sample;

                if (nextChange > position)
                    size = std::min (size, static_cast<int> (nextChange) - position);
            }

            block.setSize (2, size, false, false, true);

            for (int channel = 0; channel < 2; ++channel)
                block.copyFrom (channel, 0, scenario.input, channel, position, size);

            midi.clear();

            while (nextMidi < scenario.midi.size() && scenario.midi[nextMidi].sample < position + size)
            {
                const auto& m = scenario.midi[nextMidi++];
                midi.addEvent (juce::MidiMessage::controllerEvent (1, m.controller, m.value),
                               static_cast<int> (m.sample) - position);
            }

            plugin.process (block, midi);

            for (int channel = 0; channel < 2; ++channel)
                output.copyFrom (channel, position, block, channel, 0, size);

            position += size;
        }

        return output;
    }

    ::testing::AssertionResult finiteAndNormal (const juce::AudioBuffer<float>& audio)
    {
        for (int channel = 0; channel < audio.getNumChannels(); ++channel)
            for (int i = 0; i < audio.getNumSamples(); ++i)
            {
                const float s = audio.getSample (channel, i);

                if (! std::isfinite (s))
                    return ::testing::AssertionFailure() << "sample " << i << " of channel " << channel << " is " << s;

                if (std::fpclassify (s) == FP_SUBNORMAL)
                    return ::testing::AssertionFailure() << "sample " << i << " of channel " << channel << " is subnormal (" << s << ")";
            }

        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult bitIdentical (const std::string& what, const juce::AudioBuffer<float>& expected,
                                             const juce::AudioBuffer<float>& actual)
    {
        if (expected.getNumChannels() != actual.getNumChannels() || expected.getNumSamples() != actual.getNumSamples())
            return ::testing::AssertionFailure() << what << ": " << actual.getNumChannels() << " x " << actual.getNumSamples()
                                                 << " samples, expected " << expected.getNumChannels() << " x "
                                                 << expected.getNumSamples();

        int differing = 0, first = -1, firstChannel = -1;

        for (int channel = 0; channel < expected.getNumChannels(); ++channel)
            for (int i = 0; i < expected.getNumSamples(); ++i)
            {
                const float e = expected.getSample (channel, i), a = actual.getSample (channel, i);

                if (std::memcmp (&e, &a, sizeof (float)) != 0)
                {
                    if (differing++ == 0)
                    {
                        first = i;
                        firstChannel = channel;
                    }
                }
            }

        if (differing == 0)
            return ::testing::AssertionSuccess();

        return ::testing::AssertionFailure() << what << ": " << differing << " samples differ, the first at sample " << first
                                             << " of channel " << firstChannel << ": expected "
                                             << expected.getSample (firstChannel, first) << ", got "
                                             << actual.getSample (firstChannel, first);
    }
}
