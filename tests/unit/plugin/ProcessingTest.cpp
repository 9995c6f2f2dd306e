// Blocks of any size, MIDI at its sample, several instances.

#include "PluginTestSupport.h"

#include <gtest/gtest.h>

using namespace plugintest;

namespace
{
    using Table = PluginParameterTable;

    constexpr double rate = 48000.0;
    constexpr int length = 60000;

    // Every slot on and the controls away from their defaults, so that each
    // slot's state carries over block boundaries.
    void setBusySettings (VelthornProcessor& processor)
    {
        const std::pair<const char*, float> settings[] = {
            { "wahOn", 1.0f }, { "distOn", 1.0f }, { "ampOn", 1.0f }, { "delOn", 1.0f },
            { "delTme", 0.013f }, { "delAm", 0.6f }, { "wahFreq", 0.4f }, { "distGain", 0.3f }, { "mast", 0.5f },
        };

        for (const auto& [id, value] : settings)
            setFromHost (processor, Table::positionForId (id), value);
    }

    // Control changes on every mapped controller, some on the same sample,
    // some on the first and last sample of the run.
    std::vector<TimedEvent> busyMidi()
    {
        std::vector<TimedEvent> events;
        std::mt19937 rng (99);

        for (int64_t sample : { 0, 1, 1, 7, 500, 4095, 4096, 4097, 20000, 33333, 33333, 59999 })
        {
            const auto controller = static_cast<int> (rng() % 12);   // 10 and 11 are not ours
            const auto value = controller <= 4 ? (rng() % 2 == 0 ? 0 : 127) : static_cast<int> (rng() % 128);
            events.push_back ({ sample, juce::MidiMessage::controllerEvent (1 + static_cast<int> (rng() % 16), controller, value) });
        }

        // A note and pitch bend are not ours either.
        events.insert (events.begin() + 3, { 1, juce::MidiMessage::noteOn (1, 60, 0.5f) });
        events.insert (events.begin() + 6, { 4096, juce::MidiMessage::pitchWheel (1, 1000) });
        return events;
    }

    Channels runWithBlocks (const std::vector<int>& sizes, int prepareSize, int inputs = 2, int outputs = 2)
    {
        auto processor = makeProcessor (inputs, outputs, rate, prepareSize);
        setBusySettings (*processor);
        return run (*processor, makeInput (inputs, length, 11), outputs, sizes, busyMidi());
    }
}

TEST (PluginBlocks, AnyBlockSizeGivesTheOutputOfOneLongBlock)
{
    const auto reference = runWithBlocks ({ length }, length);

    struct Case
    {
        const char* name;
        std::vector<int> sizes;
        int prepareSize;
    };

    const Case cases[] = {
        { "1", { 1 }, 1 },
        { "17", { 17 }, 17 },
        { "64", { 64 }, 64 },
        { "480", { 480 }, 480 },
        { "512", { 512 }, 512 },
        { "4096", { 4096 }, 4096 },
        { "8192", { 8192 }, 8192 },
        { "8192 after preparing for 64", { 8192 }, 64 },
        { "random up to 8192", randomBlockSizes (length, 8192, 1), 8192 },
        { "random up to 8192, prepared for 256", randomBlockSizes (length, 8192, 2), 256 },
        { "alternating 1 and 8191", { 1, 8191 }, 8192 },
    };

    for (const auto& c : cases)
    {
        const auto output = runWithBlocks (c.sizes, c.prepareSize);
        ASSERT_EQ (output.size(), reference.size());

        for (size_t channel = 0; channel < output.size(); ++channel)
            EXPECT_TRUE (bitIdentical (output[channel], reference[channel])) << c.name << ", channel " << channel;
    }
}

TEST (PluginBlocks, EveryOutputGetsTheSameMonoResult)
{
    for (const auto& [inputs, outputs] : { std::pair { 1, 2 }, std::pair { 2, 2 }, std::pair { 2, 1 }, std::pair { 1, 1 } })
    {
        const auto output = runWithBlocks ({ 333 }, 512, inputs, outputs);
        ASSERT_EQ (static_cast<int> (output.size()), outputs);
        if (outputs == 2)
            EXPECT_TRUE (bitIdentical (output[0], output[1])) << inputs << " in";

        bool anythingNonZero = false;
        for (float x : output[0])
            anythingNonZero = anythingNonZero || x != 0.0f;
        EXPECT_TRUE (anythingNonZero) << inputs << " in, " << outputs << " out";
    }
}

TEST (PluginMidi, AControlChangeMovesTheHostParameterAtOnce)
{
    auto processor = makeProcessor (2, 2, rate, 256);
    const auto input = makeInput (2, 256, 4);

    // CC 7 is the amp's drive, CC 3 the master switch.
    const std::vector<TimedEvent> events { { 10, juce::MidiMessage::controllerEvent (1, 7, 100) },
                                           { 20, juce::MidiMessage::controllerEvent (5, 3, 0) } };
    run (*processor, input, 2, { 256 }, events);

    const auto& parameters = processor->getHostParameters();
    EXPECT_EQ (parameters.engineValue (Table::positionForId ("ampDrv")), static_cast<float> (100.0 / 127.0));
    EXPECT_EQ (parameters.engineValue (Table::positionForId ("mastOn")), 0.0f);
    EXPECT_EQ (processor->getEngine().snapshot().controls.ampDrv, static_cast<float> (100.0 / 127.0));

    // The next block does not put the old values back.
    run (*processor, input, 2, { 256 });
    EXPECT_EQ (processor->getEngine().snapshot().controls.ampDrv, static_cast<float> (100.0 / 127.0));
    EXPECT_EQ (processor->getEngine().snapshot().controls.mastOn, 0);
}

TEST (PluginMidi, TheHostIsToldOfAMidiChangeFromTheMessageThread)
{
    auto processor = makeProcessor (2, 2, rate, 256);
    const auto position = Table::positionForId ("wahFreq");

    struct Listener final : juce::AudioProcessorListener
    {
        void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float value) override
        {
            EXPECT_TRUE (juce::MessageManager::getInstance()->isThisTheMessageThread());
            changes.push_back ({ index, value });
        }
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}

        std::vector<std::pair<int, float>> changes;
    } listener;

    processor->addListener (&listener);

    // The audio thread runs here on a thread of its own, as in a host.
    std::thread audio ([&]
    {
        run (*processor, makeInput (2, 256, 4), 2, { 256 }, { { 100, juce::MidiMessage::controllerEvent (1, 9, 64) } });
    });
    audio.join();

    // Nothing has been said yet: the audio thread only flags the change.
    EXPECT_TRUE (listener.changes.empty());

    for (int turns = 0; listener.changes.empty() && turns < 500; ++turns)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);

    processor->removeListener (&listener);
    ASSERT_EQ (listener.changes.size(), 1u);
    EXPECT_EQ (listener.changes[0].first, position);
    EXPECT_EQ (listener.changes[0].second, static_cast<float> (64.0 / 127.0));
}

TEST (PluginInstances, TwoInstancesDoNotAffectEachOther)
{
    const auto input = makeInput (2, 20000, 21);
    const auto sizes = randomBlockSizes (20000, 700, 3);

    // Alone: what each instance gives with nobody else around.
    const auto alone = [&] (bool second)
    {
        auto processor = makeProcessor (2, 2, rate, 512);
        if (second)
            setBusySettings (*processor);
        return run (*processor, input, 2, sizes, second ? busyMidi() : std::vector<TimedEvent> {});
    };

    const auto firstAlone = alone (false);
    const auto secondAlone = alone (true);

    // Together, block by block in turn, one with settings and MIDI.
    auto first = makeProcessor (2, 2, rate, 512);
    auto second = makeProcessor (2, 2, rate, 512);
    setBusySettings (*second);

    Channels firstOut (2, std::vector<float> (20000)), secondOut (2, std::vector<float> (20000));
    const auto midi = busyMidi();
    size_t nextEvent = 0;
    juce::AudioBuffer<float> a (2, 8192), b (2, 8192);
    juce::MidiBuffer noMidi, someMidi;

    for (size_t block = 0, start = 0; start < 20000; ++block)
    {
        const int n = std::min (sizes[block % sizes.size()], 20000 - static_cast<int> (start));
        a.setSize (2, n, false, false, true);
        b.setSize (2, n, false, false, true);

        for (int c = 0; c < 2; ++c)
        {
            a.copyFrom (c, 0, input[static_cast<size_t> (c)].data() + start, n);
            b.copyFrom (c, 0, input[static_cast<size_t> (c)].data() + start, n);
        }

        someMidi.clear();
        for (; nextEvent < midi.size() && midi[nextEvent].sample < static_cast<int64_t> (start) + n; ++nextEvent)
            someMidi.addEvent (midi[nextEvent].message, static_cast<int> (midi[nextEvent].sample - static_cast<int64_t> (start)));

        second->processBlock (b, someMidi);
        first->processBlock (a, noMidi);

        for (int c = 0; c < 2; ++c)
        {
            std::copy_n (a.getReadPointer (c), n, firstOut[static_cast<size_t> (c)].data() + start);
            std::copy_n (b.getReadPointer (c), n, secondOut[static_cast<size_t> (c)].data() + start);
        }

        start += static_cast<size_t> (n);
    }

    for (size_t c = 0; c < 2; ++c)
    {
        EXPECT_TRUE (bitIdentical (firstOut[c], firstAlone[c])) << c;
        EXPECT_TRUE (bitIdentical (secondOut[c], secondAlone[c])) << c;
    }

    EXPECT_FALSE (bitIdentical (firstOut[0], secondOut[0]));

    // The MIDI the second one got left the first one's parameters alone.
    for (int position = 0; position < Table::numParameters; ++position)
        EXPECT_EQ (first->getHostParameters().engineValue (position), first->getHostParameters().defaultValue (position))
            << Table::entries()[static_cast<size_t> (position)].id;
}

TEST (PluginMidi, TheMeterShowsTheLoudestSampleOfABlockThatMidiCuts)
{
    auto processor = makeProcessor (1, 1, rate, 512);
    // The master off: the output is the input, so the loudest sample is known.
    setFromHost (*processor, Table::positionForId ("mastOn"), 0.0f);

    Channels input { std::vector<float> (512, 0.1f) };
    input[0][10] = 0.9f;
    // A controller that is not ours still cuts the block where it lands.
    const std::vector<TimedEvent> events { { 300, juce::MidiMessage::controllerEvent (1, 20, 64) } };

    run (*processor, input, 1, { 512 }, events);

    EXPECT_EQ (processor->getEngine().snapshot().peakLevel, 0.9f);
}
