// processBlock on the audio thread: no heap, whatever the host sends.

#include "PluginTestSupport.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

using allocationcounter::allocations;
using allocationcounter::counting;

TEST (PluginRealTime, ProcessBlockAllocatesNothing)
{
    using Table = PluginParameterTable;
    using plugintest::makeProcessor;

    for (const auto wrapper : { juce::AudioProcessor::wrapperType_VST3, juce::AudioProcessor::wrapperType_LV2 })
    {
        auto processor = makeProcessor (2, 2, 48000.0, 256, wrapper);
        ASSERT_NE (processor, nullptr);

        // Everything made before counting starts: buffers of every size
        // used, MIDI with control changes, a note and a long system exclusive.
        juce::AudioBuffer<float> blocks[] { juce::AudioBuffer<float> (2, 256), juce::AudioBuffer<float> (2, 1),
                                            juce::AudioBuffer<float> (2, 8192), juce::AudioBuffer<float> (2, 0) };
        for (auto& block : blocks)
            for (int c = 0; c < block.getNumChannels(); ++c)
                for (int i = 0; i < block.getNumSamples(); ++i)
                    block.setSample (c, i, 0.25f - 0.0001f * static_cast<float> (i % 999));

        const juce::uint8 sysex[40] {};
        juce::MidiBuffer midi;
        midi.addEvent (juce::MidiMessage::controllerEvent (1, 7, 90), 0);
        midi.addEvent (juce::MidiMessage::controllerEvent (2, 2, 127), 0);
        midi.addEvent (juce::MidiMessage::noteOn (1, 64, 0.8f), 0);
        midi.addEvent (juce::MidiMessage::createSysExMessage (sysex, sizeof (sysex)), 0);
        midi.addEvent (juce::MidiMessage::controllerEvent (1, 3, 0), 0);
        juce::MidiBuffer none;

        auto& wahFreq = plugintest::parameterAt (*processor, Table::positionForId ("wahFreq"));
        auto& delOn = plugintest::parameterAt (*processor, Table::positionForId ("delOn"));
        auto& quality = processor->getQualityParameter();
        int nextFactor = 0;

        allocations = 0;
        counting = true;

        float value = 0.1f;
        for (auto& block : blocks)
        {
            // Host automation between blocks, as a host's own thread would.
            static_cast<juce::AudioProcessorParameter&> (wahFreq).setValue (value);
            static_cast<juce::AudioProcessorParameter&> (delOn).setValue (value > 0.3f ? 1.0f : 0.0f);
            value += 0.2f;

            // And the quality: the chain starts afresh at the next block.
            static_cast<juce::AudioProcessorParameter&> (quality).setValue (quality.normalisedFor (8 >> (nextFactor++ % 4)));

            processor->processBlock (block, midi);
            processor->processBlock (block, none);
            processor->processBlockBypassed (block, midi);
        }

        counting = false;

        EXPECT_EQ (allocations.load(), 0) << (wrapper == juce::AudioProcessor::wrapperType_LV2 ? "LV2" : "VST3");
        // The MIDI did arrive, and the quality reached the engine (which
        // takes it up with the next block that has samples).
        EXPECT_EQ (processor->getEngine().snapshot().controls.delOn, 1);
        EXPECT_EQ (processor->getEngine().getOversampling(), 1);
    }
}
