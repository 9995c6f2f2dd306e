#include "AudioMidiHandler.h"
#include "EngineProbe.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
    // With the master off the engine passes its input sum untouched, so a
    // control change to the master switch shows in the output from the
    // sample it acts on: before it the plain input, after it the chain's
    // output level (mast 0.6 is not exactly 0 dB, so every sample differs).
    std::vector<float> runWithMidi (const juce::MidiBuffer& midi, int numSamples, int blockSize)
    {
        AudioMidiHandler engine;
        engine.setParameter (14, 0.0f);   // amp off: only the output level acts
        engine.setParameter (17, 0.0f);   // master off
        engine.prepare (48000.0, blockSize);

        std::vector<float> input (static_cast<size_t> (numSamples), 0.5f), output (input.size(), -1.0f);
        const float* inputs[] { input.data() };
        float* outputs[] { output.data() };
        engine.process (inputs, 1, outputs, 1, numSamples, midi);
        return output;
    }

    juce::MidiBuffer masterOnAt (int position)
    {
        juce::MidiBuffer midi;
        midi.addEvent (juce::MidiMessage::controllerEvent (1, 3, 127), position);
        return midi;
    }

    TEST (BlockMidi, AnEventActsFromItsOwnSampleOn)
    {
        for (const int position : { 0, 1, 37, 63, 64, 100, 199 })
        {
            const auto out = runWithMidi (masterOnAt (position), 200, 64);

            for (int i = 0; i < 200; ++i)
            {
                if (i < position)
                    ASSERT_EQ (out[static_cast<size_t> (i)], 0.5f) << "event at " << position << ", sample " << i;
                else
                    ASSERT_NE (out[static_cast<size_t> (i)], 0.5f) << "event at " << position << ", sample " << i;
            }
        }
    }

    TEST (BlockMidi, PositionsOutsideTheBlockAreClampedIntoIt)
    {
        const auto early = runWithMidi (masterOnAt (-5), 50, 64);
        const auto late = runWithMidi (masterOnAt (1000), 50, 64);

        for (size_t i = 0; i < 50; ++i)
        {
            ASSERT_NE (early[i], 0.5f) << i;
            ASSERT_EQ (late[i], 0.5f) << i;
        }

        AudioMidiHandler engine;
        engine.prepare (48000.0, 64);
        std::vector<float> input (50, 0.5f), output (50);
        const float* inputs[] { input.data() };
        float* outputs[] { output.data() };
        juce::MidiBuffer midi;
        midi.addEvent (juce::MidiMessage::controllerEvent (1, 3, 0), 1000);
        engine.process (inputs, 1, outputs, 1, 50, midi);
        EXPECT_EQ (engine.snapshot().controls.mastOn, 0) << "a late event still acts, at the block's end";
    }

    TEST (BlockMidi, TheResultDoesNotDependOnTheCuts)
    {
        // The same events in one block, or in blocks cut anywhere, sound the same.
        juce::MidiBuffer midi;
        midi.addEvent (juce::MidiMessage::controllerEvent (1, 2, 127), 3);    // delay on
        midi.addEvent (juce::MidiMessage::controllerEvent (1, 9, 20), 70);    // wah pedal
        midi.addEvent (juce::MidiMessage::controllerEvent (1, 4, 127), 70);   // wah on, same sample
        midi.addEvent (juce::MidiMessage::controllerEvent (1, 7, 100), 150);  // amp drive

        const auto whole = runWithMidi (midi, 300, 512);
        const auto chunked = runWithMidi (midi, 300, 16);   // prepared for less: chunks

        for (size_t i = 0; i < whole.size(); ++i)
            ASSERT_EQ (whole[i], chunked[i]) << i;
    }

    TEST (BlockMidi, SystemExclusiveIsSkippedAndTheControlsFollowMidiUnprepared)
    {
        AudioMidiHandler engine;
        juce::MidiBuffer midi;
        // A control change's bytes inside a system exclusive message are not one.
        const juce::uint8 payload[] { 0xB0, 0x07, 0x00 };
        midi.addEvent (juce::MidiMessage::createSysExMessage (payload, 3), 0);
        midi.addEvent (juce::MidiMessage::controllerEvent (1, 9, 0), 2);

        std::vector<float> output (8, -1.0f);
        float* outputs[] { output.data() };
        engine.process (nullptr, 0, outputs, 1, 8, midi);

        EXPECT_EQ (engine.snapshot().controls.ampDrv, 0.7f) << "a system exclusive message is never a control change";
        EXPECT_EQ (engine.snapshot().controls.wahFreq, 0.0f);
        EXPECT_EQ (EngineProbe::state (engine), nullptr);

        for (const float sample : output)
            EXPECT_EQ (sample, 0.0f) << "unprepared, the engine is silent";
    }
}
