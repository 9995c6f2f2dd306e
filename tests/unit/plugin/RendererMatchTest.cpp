// The plugin against the real velthorn-render: same input, settings and MIDI
// file, the same samples out, whatever blocks the host uses.

#include "PluginTestSupport.h"
#include "RenderTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace plugintest;

namespace
{
    using Table = PluginParameterTable;

    constexpr int rate = 48000;
    constexpr int ticksPerQuarter = 960;   // at 120 bpm one tick is 25 samples
}

TEST (PluginMatchesRenderer, MidiAtItsSamplesGivesTheRenderersOutput)
{
    rendertest::TempDirectory dir;
    const auto input = rendertest::makeSignal (2, 3 * rate, rate, 0.3f, 31);
    rendertest::writeAudio (dir.path ("in.wav"), input, 32);

    // Every mapped controller, on and between block boundaries, two on one tick.
    struct TickEvent
    {
        int64_t tick;
        int channel, controller, value;
    };

    const TickEvent song[] {
        { 0, 1, 4, 127 }, { 1, 1, 9, 20 }, { 77, 2, 0, 127 }, { 77, 2, 8, 90 }, { 163, 1, 2, 127 },
        { 800, 3, 6, 100 }, { 1111, 1, 7, 10 }, { 1500, 16, 1, 0 }, { 1999, 1, 5, 110 }, { 2400, 1, 3, 0 },
        { 2401, 1, 3, 127 }, { 3000, 1, 9, 127 }, { 4000, 1, 10, 0 }, { 4500, 1, 2, 100 },
    };

    juce::MidiMessageSequence track;
    std::vector<TimedEvent> events;
    const std::vector<rendertest::TempoChange> tempoMap;

    for (const auto& e : song)
    {
        const auto message = juce::MidiMessage::controllerEvent (e.channel, e.controller, e.value);
        track.addEvent (message, static_cast<double> (e.tick));
        events.push_back ({ rendertest::tickToSample (e.tick, tempoMap, ticksPerQuarter, rate), message });
    }

    juce::MidiFile file;
    file.setTicksPerQuarterNote (ticksPerQuarter);
    file.addTrack (rendertest::tempoTrack (tempoMap));
    file.addTrack (track);
    rendertest::writeMidiFile (dir.path ("song.mid"), file);

    const std::vector<std::pair<const char*, const char*>> settings {
        { "delTme", "0.021" }, { "delAm", "0.4" }, { "wahRes", "0.6" }, { "distFreq", "0.8" }, { "ampLo", "0.3" }, { "mast", "0.55" },
    };

    std::vector<std::string> arguments { "in.wav", "out.wav", "--midi", "song.mid" };
    for (const auto& [name, value] : settings)
        arguments.insert (arguments.end(), { "--set", std::string (name) + "=" + value });

    const auto result = rendertest::runRenderer (arguments, dir.root());
    ASSERT_EQ (result.exitCode, 0) << result.err;
    const auto rendered = rendertest::readAudio (dir.path ("out.wav"));
    ASSERT_EQ (rendered.numChannels(), 2);
    ASSERT_EQ (rendered.numSamples(), input.numSamples());

    for (const auto& sizes : { std::vector<int> { 512 }, std::vector<int> { 1 }, randomBlockSizes (3 * rate, 8192, 77) })
    {
        auto processor = makeProcessor (2, 2, rate, 512);
        for (const auto& [name, value] : settings)
            setFromHost (*processor, Table::positionForId (name), static_cast<float> (std::strtod (value, nullptr)));

        const auto output = run (*processor, input.channels, 2, sizes, events);

        for (size_t channel = 0; channel < 2; ++channel)
            EXPECT_EQ (rendertest::firstDifference (output[channel], rendered.channels[channel]), -1)
                << "channel " << channel << ", " << sizes.size() << " block sizes";
    }

    // Oversampled: the renderer with the plugin's filters takes the
    // resampler's delay out, the plugin reports it and leaves it in, so the
    // plugin's output is the renderer's that many samples later.
    for (const int factor : { 2, 4, 8 })
    {
        auto oversampledArguments = arguments;
        oversampledArguments.insert (oversampledArguments.end(),
                                     { "--oversample", std::to_string (factor), "--resampling", "low-latency" });
        const auto oversampled = rendertest::runRenderer (oversampledArguments, dir.root());
        ASSERT_EQ (oversampled.exitCode, 0) << oversampled.err;
        const auto expected = rendertest::readAudio (dir.path ("out.wav"));

        for (const auto& sizes : { std::vector<int> { 1 }, randomBlockSizes (3 * rate, 8192, 78) })
        {
            auto processor = makeProcessor (2, 2, rate, 512);
            for (const auto& [name, value] : settings)
                setFromHost (*processor, Table::positionForId (name), static_cast<float> (std::strtod (value, nullptr)));
            auto& quality = processor->getQualityParameter();
            quality.setValueNotifyingHost (quality.normalisedFor (factor));

            const auto output = run (*processor, input.channels, 2, sizes, events);
            const auto latency = static_cast<size_t> (processor->getLatencySamples());
            ASSERT_EQ (latency, static_cast<size_t> (AudioMidiHandler::latencyForOversampling (factor)));

            for (size_t channel = 0; channel < 2; ++channel)
            {
                const std::vector<float> late (output[channel].begin() + static_cast<ptrdiff_t> (latency), output[channel].end());
                const std::vector<float> early (expected.channels[channel].begin(),
                                                expected.channels[channel].end() - static_cast<ptrdiff_t> (latency));
                EXPECT_EQ (rendertest::firstDifference (late, early), -1)
                    << factor << "x, channel " << channel << ", " << sizes.size() << " block sizes";
            }
        }
    }
}
