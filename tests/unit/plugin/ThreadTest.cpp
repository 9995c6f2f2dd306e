// Parameters written from another thread while the audio thread runs: for
// the thread sanitizer (cmake --preset tsan) as much as for the result.

#include "PluginTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <limits>
#include <thread>

using namespace plugintest;

TEST (PluginThreads, HostAndEditorWritesWhileAudioRunsEndInTheLastValues)
{
    using Table = PluginParameterTable;

    auto processor = makeProcessor (2, 2, 48000.0, 256);
    const auto input = makeInput (2, 256, 17);
    std::atomic<bool> writerDone { false };
    std::atomic<int> blocksWhileWriting { 0 };

    // The audio thread: blocks with MIDI on controllers the writer leaves alone.
    std::thread audio ([&]
    {
        juce::AudioBuffer<float> buffer (2, 256);
        juce::MidiBuffer midi;
        midi.addEvent (juce::MidiMessage::controllerEvent (1, 6, 33), 5);
        midi.addEvent (juce::MidiMessage::controllerEvent (1, 6, 44), 200);

        while (! writerDone.load() || blocksWhileWriting.load() < 20)
        {
            for (int c = 0; c < 2; ++c)
                buffer.copyFrom (c, 0, input[static_cast<size_t> (c)].data(), 256);

            processor->processBlock (buffer, midi);
            blocksWhileWriting.fetch_add (1);
        }
    });

    // A host's automation thread: every parameter but delAm (CC 6), many
    // times, a NaN now and then, and a NaN last of all, which must leave the
    // value before it.
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    std::array<float, Table::numParameters> beforeTheLastNaN {};

    std::thread host ([&]
    {
        const auto isOurs = [] (int position) { return position != Table::positionForId ("delAm"); };

        for (int round = 0; round < 300; ++round)
            for (int position = 0; position < Table::numParameters; ++position)
                if (isOurs (position))
                {
                    const bool broken = (round + position) % 7 == 0;
                    parameterAt (*processor, position).setValueNotifyingHost (broken ? nan : static_cast<float> ((round + position) % 10) / 9.0f);
                }

        // Two more blocks take those values into the engine (and put back
        // any parameter left with a NaN) before the last NaNs.
        const int seen = blocksWhileWriting.load();
        while (blocksWhileWriting.load() < seen + 2)
            std::this_thread::yield();

        for (int position = 0; position < Table::numParameters; ++position)
            if (isOurs (position))
            {
                beforeTheLastNaN[static_cast<size_t> (position)] = processor->getHostParameters().engineValue (position);
                parameterAt (*processor, position).setValueNotifyingHost (nan);
            }

        writerDone = true;
    });

    // This thread is the message thread: the editor's writes and the timer
    // that tells the host about MIDI changes run here meanwhile.
    while (! writerDone.load() || blocksWhileWriting.load() < 20)
    {
        processor->setFromEditor (15, 0.5f);
        juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
    }

    host.join();
    audio.join();

    // One more block takes the host's last values into the engine.
    juce::AudioBuffer<float> buffer (2, 16);
    buffer.clear();
    juce::MidiBuffer none;
    processor->processBlock (buffer, none);

    for (int position = 0; position < Table::numParameters; ++position)
    {
        const auto& entry = Table::entries()[static_cast<size_t> (position)];
        EXPECT_EQ (Table::readEngine (processor->getEngine(), entry), processor->getHostParameters().engineValue (position))
            << entry.id;

        // The editor writes the master level meanwhile, so its value before
        // the NaN may have changed since; delAm belongs to MIDI.
        if (position != Table::positionForId ("mast") && position != Table::positionForId ("delAm"))
            EXPECT_EQ (Table::readEngine (processor->getEngine(), entry), beforeTheLastNaN[static_cast<size_t> (position)])
                << entry.id;
    }

    EXPECT_EQ (processor->getEngine().snapshot().controls.delAm, static_cast<float> (44.0 / 127.0));
}
