#include "EngineHarness.h"

#include "AllocationCounter.h"

#include <gtest/gtest.h>

using allocationcounter::allocations;
using allocationcounter::counting;

TEST (RealTime, TheAudioCallbackAllocatesNothing)
{
    EngineHarness h (48000.0, 256);
    for (int index : { 2, 6, 9, 14 })
        h.engine.setParameter (index, 1.0f);

    std::vector<float> left (1000, 0.25f), right (1000, -0.1f);
    std::vector<float> outA (1000), outB (1000);
    const float* in[] = { left.data(), right.data() };
    float* out[] = { outA.data(), outB.data() };

    allocations = 0;
    counting = true;
    for (int n : { 256, 1, 0, 1000 /* longer than announced */ })
        h.engine.process (in, 2, out, 2, n);
    h.engine.handleMidi (juce::MidiMessage::controllerEvent (1, 5, 100));
    counting = false;

    EXPECT_EQ (allocations.load(), 0);

    // The counter does see allocations, so a zero above means something.
    counting = true;
    auto* probe = new int (3);
    counting = false;
    delete probe;
    EXPECT_EQ (allocations.load(), 1);
}

// Oversampled, and with the factor changed between blocks (the plugin's
// Quality): every factor was made ready when the device started.
TEST (RealTime, TheOversampledCallbackAndAChangeOfFactorAllocateNothing)
{
    AudioMidiHandler engine;
    engine.prepareEveryOversampling (true);
    engine.setOversampling (8);
    engine.prepare (48000.0, 256);
    for (int index : { 2, 6, 9, 14 })
        engine.setParameter (index, 1.0f);

    std::vector<float> left (1000, 0.25f), right (1000, -0.1f);
    std::vector<float> outA (1000), outB (1000);
    const float* in[] = { left.data(), right.data() };
    float* out[] = { outA.data(), outB.data() };

    allocations = 0;
    counting = true;
    for (int factor : { 8, 2, 4, 1, 8 })
    {
        engine.setOversampling (factor);
        for (int n : { 256, 1, 0, 1000 /* longer than announced */ })
            engine.process (in, 2, out, 2, n);
    }
    counting = false;

    EXPECT_EQ (allocations.load(), 0);
    EXPECT_EQ (engine.getRunningOversampling(), 8);
    engine.release();
}
