#include "AudioMidiHandler.h"

#include <gtest/gtest.h>

namespace
{
    // A snapshot of every member MIDI may touch, for before/after comparison.
    struct Snapshot
    {
        explicit Snapshot (const AudioMidiHandler& e)
            : floats { e.delTme.load(), e.delAm.load(), e.wahFreq.load(), e.wahRes.load(), e.wahGain.load(),
                       e.distGain.load(), e.distFreq.load(), e.ampDrv.load(), e.ampLo.load(), e.ampMid.load(),
                       e.ampHi.load(), e.mast.load(), e.peakLevel.load() },
              ints { e.delOn.load(), e.wahOn.load(), e.distOn.load(), e.ampOn.load(), e.mastOn.load() }
        {
        }

        bool operator== (const Snapshot& o) const { return floats == o.floats && ints == o.ints; }

        std::vector<float> floats;
        std::vector<int32_t> ints;
    };

    void send (AudioMidiHandler& engine, const juce::MidiMessage& m)
    {
        engine.handleIncomingMidiMessage (nullptr, m);
    }
}

TEST (MidiMapping, ControllersZeroToNineOnAnyChannel)
{
    struct SwitchCase { int controller; std::atomic<int32_t> AudioMidiHandler::* member; };
    const SwitchCase switches[] = {
        { 0, &AudioMidiHandler::distOn }, { 1, &AudioMidiHandler::ampOn }, { 2, &AudioMidiHandler::delOn },
        { 3, &AudioMidiHandler::mastOn }, { 4, &AudioMidiHandler::wahOn },
    };
    struct LevelCase { int controller; std::atomic<float> AudioMidiHandler::* member; };
    const LevelCase levels[] = {
        { 5, &AudioMidiHandler::mast },     { 6, &AudioMidiHandler::delAm },  { 7, &AudioMidiHandler::ampDrv },
        { 8, &AudioMidiHandler::distGain }, { 9, &AudioMidiHandler::wahFreq },
    };
    struct Value { int value; int32_t asSwitch; float asLevel; };
    const Value values[] = {
        { 0, 0, 0.0f }, { 1, 0, 1.0f / 127.0f }, { 64, 0, 0.503937f }, { 126, 0, 126.0f / 127.0f }, { 127, 1, 1.0f },
    };

    for (int channel : { 1, 4, 10, 16 })
        for (const auto& v : values)
        {
            for (const auto& s : switches)
            {
                AudioMidiHandler engine;
                // Start from the opposite state so every write is visible.
                (engine.*s.member).store (v.asSwitch == 0 ? 1 : 0);
                send (engine, juce::MidiMessage::controllerEvent (channel, s.controller, v.value));
                EXPECT_EQ ((engine.*s.member).load(), v.asSwitch)
                    << "channel " << channel << " controller " << s.controller << " value " << v.value;
            }

            for (const auto& l : levels)
            {
                AudioMidiHandler engine;
                send (engine, juce::MidiMessage::controllerEvent (channel, l.controller, v.value));
                EXPECT_FLOAT_EQ ((engine.*l.member).load(), v.asLevel)
                    << "channel " << channel << " controller " << l.controller << " value " << v.value;
                EXPECT_EQ ((engine.*l.member).load(), static_cast<float> (v.value / 127.0));
            }
        }
}

TEST (MidiMapping, EachControllerTouchesOnlyItsOwnMember)
{
    // Controller 7 is the amp drive, not the output level (controller 5).
    AudioMidiHandler engine;
    Snapshot before (engine);
    send (engine, juce::MidiMessage::controllerEvent (1, 7, 0));
    EXPECT_EQ (engine.ampDrv.load(), 0.0f);
    EXPECT_EQ (engine.mast.load(), 0.6f);

    engine.ampDrv.store (before.floats[7]);
    EXPECT_TRUE (Snapshot (engine) == before);
}

TEST (MidiMapping, EverythingElseIsIgnored)
{
    const juce::uint8 sysexData[] = { 0x7d, 0x01, 0x02 };
    const juce::MidiMessage ignored[] = {
        juce::MidiMessage::controllerEvent (1, 10, 127),
        juce::MidiMessage::controllerEvent (3, 64, 127),
        juce::MidiMessage::controllerEvent (16, 127, 0),
        juce::MidiMessage::noteOn (1, 2, (juce::uint8) 127),
        juce::MidiMessage::noteOff (1, 3, (juce::uint8) 0),
        juce::MidiMessage::pitchWheel (1, 0),
        juce::MidiMessage::programChange (1, 3),
        juce::MidiMessage::aftertouchChange (1, 4, 127),
        juce::MidiMessage::channelPressureChange (1, 127),
        juce::MidiMessage::allNotesOff (1),
        juce::MidiMessage::midiClock(),
        juce::MidiMessage::midiStart(),
        juce::MidiMessage::songPositionPointer (3),
        juce::MidiMessage::createSysExMessage (sysexData, 3),
    };

    for (const auto& m : ignored)
    {
        AudioMidiHandler engine;
        engine.distOn.store (0);   // a 0/127 value for controller 0 would show here
        const Snapshot before (engine);
        send (engine, m);
        EXPECT_TRUE (Snapshot (engine) == before) << m.getDescription();
    }
}

TEST (MidiMapping, ADataByteWithItsTopBitSetCountsAsTheLargestValue)
{
    // Not valid MIDI, but a host passes on whatever bytes it was given; read
    // as they are, 0xFF would be 2.008, a level past the top of its range.
    for (const int dataByte : { 0x80, 0xC0, 0xFF })
    {
        AudioMidiHandler engine;
        send (engine, juce::MidiMessage (0xB2, 5, dataByte));
        EXPECT_EQ (engine.mast.load(), 1.0f) << "data byte " << dataByte;

        send (engine, juce::MidiMessage (0xB2, 2, dataByte));
        EXPECT_EQ (engine.delOn.load(), 1) << "data byte " << dataByte;
    }
}
