#include "AudioMidiHandler.h"
#include "EngineDeviceCallback.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

// The app registers its device callback for every MIDI input the user
// enables (the framework's empty identifier), and the framework hands it each
// message on the input's own thread. This machine has no MIDI device to
// enable, so the test hands the messages over as the framework does, with the
// input the callback does not read; the callback and the engine are the app's.
namespace
{
    struct RoutingCase
    {
        std::string what;
        juce::MidiMessage message;
        std::function<bool (const ChainSettings&)> holds;
    };

    TEST (MidiRouting, WhatAnEnabledInputSendsReachesTheEngine)
    {
        const RoutingCase cases[] {
            { "CC 7 at 0 turns the amp drive down", juce::MidiMessage::controllerEvent (1, 7, 0),
              [] (const ChainSettings& s) { return s.ampDrv == 0.0f; } },
            { "CC 7 at 127 on channel 16 turns it up", juce::MidiMessage::controllerEvent (16, 7, 127),
              [] (const ChainSettings& s) { return s.ampDrv == 1.0f; } },
            { "CC 0 at 127 switches the distortion on", juce::MidiMessage::controllerEvent (3, 0, 127),
              [] (const ChainSettings& s) { return s.distOn == 1; } },
            { "CC 4 at 127 switches the wah on", juce::MidiMessage::controllerEvent (1, 4, 127),
              [] (const ChainSettings& s) { return s.wahOn == 1; } },
            { "CC 3 at 64 switches the master off", juce::MidiMessage::controllerEvent (1, 3, 64),
              [] (const ChainSettings& s) { return s.mastOn == 0; } },
        };

        for (const auto& c : cases)
        {
            AudioMidiHandler engine;
            EngineDeviceCallback callback (engine);
            const auto before = engine.snapshot().controls;
            ASSERT_FALSE (c.holds (before)) << c.what << ": already so before the message";

            callback.handleIncomingMidiMessage (nullptr, c.message);
            EXPECT_TRUE (c.holds (engine.snapshot().controls)) << c.what;
        }
    }

    TEST (MidiRouting, MessagesThatAreNotControlChangesMoveNothing)
    {
        AudioMidiHandler engine;
        EngineDeviceCallback callback (engine);
        const auto before = engine.snapshot().controls;

        for (const auto& message : { juce::MidiMessage::noteOn (1, 7, 1.0f), juce::MidiMessage::programChange (1, 3),
                                     juce::MidiMessage::pitchWheel (1, 0), juce::MidiMessage::controllerEvent (1, 20, 0) })
            callback.handleIncomingMidiMessage (nullptr, message);

        const auto after = engine.snapshot().controls;
        EXPECT_EQ (after.ampDrv, before.ampDrv);
        EXPECT_EQ (after.mast, before.mast);
        EXPECT_EQ (after.distOn, before.distOn);
        EXPECT_EQ (after.wahFreq, before.wahFreq);
    }
}
