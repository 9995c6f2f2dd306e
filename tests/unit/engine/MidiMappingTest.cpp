#include "AudioMidiHandler.h"

#include <gtest/gtest.h>

namespace
{
    // A snapshot of every member MIDI may touch, for before/after comparison.
    struct Snapshot
    {
        explicit Snapshot (const AudioMidiHandler& e)
            : floats { e.snapshot().controls.delTme, e.snapshot().controls.delAm, e.snapshot().controls.wahFreq, e.snapshot().controls.wahRes, e.snapshot().controls.wahGain,
                       e.snapshot().controls.distGain, e.snapshot().controls.distFreq, e.snapshot().controls.ampDrv, e.snapshot().controls.ampLo, e.snapshot().controls.ampMid,
                       e.snapshot().controls.ampHi, e.snapshot().controls.mast, e.snapshot().peakLevel },
              ints { e.snapshot().controls.delOn, e.snapshot().controls.wahOn, e.snapshot().controls.distOn, e.snapshot().controls.ampOn, e.snapshot().controls.mastOn }
        {
        }

        bool operator== (const Snapshot& o) const { return floats == o.floats && ints == o.ints; }

        std::vector<float> floats;
        std::vector<int32_t> ints;
    };

    void send (AudioMidiHandler& engine, const juce::MidiMessage& m)
    {
        engine.handleMidi (m);
    }
}

TEST (MidiMapping, ControllersZeroToNineOnAnyChannel)
{
    struct SwitchCase { int controller; int index; int32_t ChainSettings::* member; };
    const SwitchCase switches[] = {
        { 0, 9, &ChainSettings::distOn }, { 1, 14, &ChainSettings::ampOn }, { 2, 2, &ChainSettings::delOn },
        { 3, 17, &ChainSettings::mastOn }, { 4, 6, &ChainSettings::wahOn },
    };
    struct LevelCase { int controller; float ChainSettings::* member; };
    const LevelCase levels[] = {
        { 5, &ChainSettings::mast },     { 6, &ChainSettings::delAm },  { 7, &ChainSettings::ampDrv },
        { 8, &ChainSettings::distGain }, { 9, &ChainSettings::wahFreq },
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
                engine.setParameter (s.index, v.asSwitch == 0 ? 1.0f : 0.0f);
                send (engine, juce::MidiMessage::controllerEvent (channel, s.controller, v.value));
                EXPECT_EQ (engine.snapshot().controls.*s.member, v.asSwitch)
                    << "channel " << channel << " controller " << s.controller << " value " << v.value;
            }

            for (const auto& l : levels)
            {
                AudioMidiHandler engine;
                send (engine, juce::MidiMessage::controllerEvent (channel, l.controller, v.value));
                EXPECT_FLOAT_EQ (engine.snapshot().controls.*l.member, v.asLevel)
                    << "channel " << channel << " controller " << l.controller << " value " << v.value;
                EXPECT_EQ (engine.snapshot().controls.*l.member, static_cast<float> (v.value / 127.0));
            }
        }
}

TEST (MidiMapping, EachControllerTouchesOnlyItsOwnMember)
{
    // Controller 7 is the amp drive, not the output level (controller 5).
    AudioMidiHandler engine;
    Snapshot before (engine);
    send (engine, juce::MidiMessage::controllerEvent (1, 7, 0));
    EXPECT_EQ (engine.snapshot().controls.ampDrv, 0.0f);
    EXPECT_EQ (engine.snapshot().controls.mast, 0.6f);

    engine.setParameter (10, before.floats[7]);
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
        engine.setParameter (9, 0.0f);   // a 0/127 value for controller 0 would show here
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
        EXPECT_EQ (engine.snapshot().controls.mast, 1.0f) << "data byte " << dataByte;

        send (engine, juce::MidiMessage (0xB2, 2, dataByte));
        EXPECT_EQ (engine.snapshot().controls.delOn, 1) << "data byte " << dataByte;
    }
}
