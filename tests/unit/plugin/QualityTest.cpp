// The plugin's "Quality": the oversampling factor, a parameter hosts cannot
// automate, the latency they are told, and a change while playing.

#include "PluginTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <thread>

using namespace plugintest;

namespace
{
    using Table = PluginParameterTable;

    constexpr double rate = 48000.0;
    constexpr int factors[] { 1, 2, 4, 8 };

    void setQuality (VelthornProcessor& processor, int factor)
    {
        auto& quality = processor.getQualityParameter();
        quality.setValueNotifyingHost (quality.normalisedFor (factor));
    }

    // Runs the message loop until the processor reports `latency`, as a
    // host's event loop would, for at most two seconds.
    bool latencyBecomes (VelthornProcessor& processor, int latency)
    {
        for (int turns = 0; processor.getLatencySamples() != latency && turns < 200; ++turns)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
        return processor.getLatencySamples() == latency;
    }

    bool finiteAndNormal (const std::vector<float>& samples, std::string& where)
    {
        for (size_t i = 0; i < samples.size(); ++i)
        {
            if (! std::isfinite (samples[i]) || std::fpclassify (samples[i]) == FP_SUBNORMAL)
            {
                where = "sample " + std::to_string (i) + ": " + std::to_string (samples[i]);
                return false;
            }
        }
        return true;
    }
}

TEST (PluginQuality, IsAParameterTheHostShowsButCannotAutomate)
{
    auto processor = makeProcessor (2, 2, rate, 512);
    auto& quality = processor->getQualityParameter();
    // As a host sees it.
    const juce::AudioProcessorParameter& shown = quality;

    EXPECT_EQ (quality.getParameterID(), "quality");
    EXPECT_EQ (quality.getName (64), "Quality");
    EXPECT_FALSE (quality.isAutomatable());
    EXPECT_EQ (shown.getNumSteps(), 4);
    EXPECT_EQ (quality.getFactor(), 1);
    EXPECT_EQ (shown.getDefaultValue(), quality.normalisedFor (1));

    const char* const texts[] { "1\xc3\x97", "2\xc3\x97", "4\xc3\x97", "8\xc3\x97" };   // 1× .. 8×
    for (size_t i = 0; i < std::size (factors); ++i)
    {
        const auto normalised = quality.normalisedFor (factors[i]);
        EXPECT_EQ (shown.getText (normalised, 16), juce::String (juce::CharPointer_UTF8 (texts[i])));
        EXPECT_EQ (shown.getValueForText (juce::String (juce::CharPointer_UTF8 (texts[i]))), normalised);

        setQuality (*processor, factors[i]);
        EXPECT_EQ (quality.getFactor(), factors[i]);
    }

    EXPECT_EQ (quality.normalisedFor (3), quality.normalisedFor (1));
    EXPECT_EQ (shown.getValueForText ("8"), quality.normalisedFor (8));
}

// One rule for a value no choice stands for: a non-finite value (NaN or
// either infinity, from broken automation or a host's arithmetic) leaves
// the Quality as it was; a finite value beyond the range counts as its
// nearest end, as a knob's does. +inf ran the chain at 1x while a NaN was
// ignored.
TEST (PluginQuality, ANonFiniteValueLeavesTheChoiceAsItWas)
{
    auto processor = makeProcessor (2, 2, rate, 512);
    auto& quality = processor->getQualityParameter();
    juce::AudioProcessorParameter& asHostSetsIt = quality;

    for (const auto value : { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity() })
    {
        for (const auto factor : factors)
        {
            setQuality (*processor, factor);
            const auto before = asHostSetsIt.getValue();
            asHostSetsIt.setValue (value);
            EXPECT_EQ (quality.getFactor(), factor) << "after " << value;
            EXPECT_EQ (asHostSetsIt.getValue(), before) << "after " << value;
        }
    }

    setQuality (*processor, 2);
    asHostSetsIt.setValue (7.5f);
    EXPECT_EQ (quality.getFactor(), 8);
    asHostSetsIt.setValue (-7.5f);
    EXPECT_EQ (quality.getFactor(), 1);
}

// The framework's LV2 wrapper describes a list's choices as scale points at
// i / (steps - 1), and an LV2 host that offers them as a menu sends that
// value back as the parameter's own (not normalised) value: each must select
// the factor it names.
TEST (PluginQuality, EveryChoiceAnLv2HostOffersSelectsTheFactorItNames)
{
    auto processor = makeProcessor (2, 2, rate, 512, juce::AudioProcessor::wrapperType_LV2);
    auto& quality = processor->getQualityParameter();
    const juce::AudioProcessorParameter& shown = quality;
    const int steps = shown.getNumSteps();
    ASSERT_TRUE (shown.isDiscrete());
    ASSERT_EQ (steps, 4);

    for (int i = 0; i < steps; ++i)
    {
        const float scalePoint = static_cast<float> (i) / static_cast<float> (steps - 1);
        const auto label = shown.getText (scalePoint, 1024);

        quality.setValueNotifyingHost (quality.convertTo0to1 (scalePoint));
        EXPECT_EQ (quality.getFactor(), factors[i]) << "the choice labelled " << label;
        EXPECT_EQ (label, shown.getText (shown.getValue(), 1024));
        EXPECT_EQ (quality.convertFrom0to1 (shown.getValue()), scalePoint) << label;
    }

    EXPECT_EQ (quality.getNormalisableRange().start, 0.0f);
    EXPECT_EQ (quality.getNormalisableRange().end, 1.0f);
}

// What a host must delay the dry track by: the resampler's delay, from the
// start when the quality is known before playing, and soon after a change.
TEST (PluginQuality, TheHostIsToldTheLatencyOfTheQualityChosen)
{
    for (const int factor : factors)
    {
        VelthornProcessor processor;
        setQuality (processor, factor);
        processor.setRateAndBufferSizeDetails (rate, 256);
        processor.prepareToPlay (rate, 256);
        EXPECT_EQ (processor.getLatencySamples(), AudioMidiHandler::latencyForOversampling (factor)) << factor;
    }

    auto processor = makeProcessor (2, 2, rate, 256);
    EXPECT_EQ (processor->getLatencySamples(), 0);

    struct Listener final : juce::AudioProcessorListener
    {
        void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails& details) override
        {
            if (details.latencyChanged)
            {
                EXPECT_TRUE (juce::MessageManager::getInstance()->isThisTheMessageThread());
                ++latencyChanges;
            }
        }

        int latencyChanges = 0;
    } listener;
    processor->addListener (&listener);

    // From the host's parameter window, on the message thread: at once.
    for (const int factor : { 8, 2 })
    {
        setQuality (*processor, factor);
        EXPECT_EQ (processor->getLatencySamples(), AudioMidiHandler::latencyForOversampling (factor)) << factor;
    }

    // From the host's audio thread, as a VST3 host passes parameter changes
    // along with a block: on the message thread soon after.
    for (const int factor : { 4, 1 })
    {
        std::thread audio ([&]
        {
            setQuality (*processor, factor);
            run (*processor, makeInput (2, 256, 3), 2, { 256 });
        });
        audio.join();
        EXPECT_TRUE (latencyBecomes (*processor, AudioMidiHandler::latencyForOversampling (factor))) << factor;
    }

    processor->removeListener (&listener);
    EXPECT_EQ (listener.latencyChanges, 4);
}

// Every parameter automated by the host, the quality changed three times
// while playing, blocks of 1 to 8192 samples cut where the automation falls:
// finite, no subnormal, and sample for sample the engine given the same
// changes at the same samples (the quality at the start of the block that
// follows it, the chain starting afresh there).
TEST (PluginQuality, AChangeWhilePlayingWithEverythingAutomatedIsTheEngineAtTheNewFactor)
{
    constexpr int total = 2 * static_cast<int> (rate);

    struct Change
    {
        int sample;
        int position;   // table position, or -1 for the quality
        float value;    // engine value, or the factor
    };

    std::mt19937 rng (19);
    std::vector<Change> changes;
    for (int sample = 500; sample < total; sample += 200 + static_cast<int> (rng() % 3000))
    {
        const int position = static_cast<int> (rng() % Table::numParameters);
        const auto& entry = Table::entries()[static_cast<size_t> (position)];
        const float value = entry.isSwitch() ? static_cast<float> (rng() % 2)
                                             : std::uniform_real_distribution<float> (0.0f, 1.0f) (rng);
        changes.push_back ({ sample, position, value });
    }
    for (const auto& [sample, factor] : { std::pair { 20000, 4 }, std::pair { 47000, 8 }, std::pair { 70001, 2 } })
        changes.push_back ({ sample, -1, static_cast<float> (factor) });
    std::stable_sort (changes.begin(), changes.end(), [] (const auto& a, const auto& b) { return a.sample < b.sample; });

    const auto input = makeInput (2, total, 23);

    // The reference: the engine itself, every factor ready as the plugin has it.
    std::vector<float> expected (static_cast<size_t> (total));
    {
        AudioMidiHandler engine;
        engine.prepareEveryOversampling (true);
        engine.prepare (rate, 512);
        size_t next = 0;
        for (int start = 0; start < total;)
        {
            for (; next < changes.size() && changes[next].sample == start; ++next)
            {
                const auto& c = changes[next];
                if (c.position < 0)
                    engine.setOversampling (static_cast<int> (c.value));
                else
                    engine.setParameter (Table::entries()[static_cast<size_t> (c.position)].engineIndex, c.value);
            }

            const int end = next < changes.size() ? changes[next].sample : total;
            const float* in[] { input[0].data() + start, input[1].data() + start };
            float* out[] { expected.data() + start };
            engine.process (in, 2, out, 1, end - start);
            start = end;
        }
        engine.release();
    }

    for (const uint32_t seed : { 1u, 2u })
    {
        auto processor = makeProcessor (2, 2, rate, 8192);
        const auto sizes = randomBlockSizes (total, 8192, seed);

        std::vector<std::vector<float>> output (2, std::vector<float> (static_cast<size_t> (total)));
        juce::AudioBuffer<float> buffer (2, 8192);
        juce::MidiBuffer midi;
        size_t next = 0, nextSize = 0;

        for (int start = 0; start < total;)
        {
            for (; next < changes.size() && changes[next].sample == start; ++next)
            {
                const auto& c = changes[next];
                if (c.position < 0)
                    setQuality (*processor, static_cast<int> (c.value));
                else
                    setFromHost (*processor, c.position, c.value);
            }

            int length = std::min (sizes[nextSize++ % sizes.size()], total - start);
            if (next < changes.size())
                length = std::min (length, changes[next].sample - start);

            buffer.setSize (2, length, false, false, true);
            for (int c = 0; c < 2; ++c)
                buffer.copyFrom (c, 0, input[static_cast<size_t> (c)].data() + start, length);
            processor->processBlock (buffer, midi);
            for (int c = 0; c < 2; ++c)
                std::copy_n (buffer.getReadPointer (c), length, output[static_cast<size_t> (c)].data() + start);
            start += length;
        }

        for (size_t c = 0; c < 2; ++c)
        {
            std::string where;
            EXPECT_TRUE (finiteAndNormal (output[c], where)) << "channel " << c << ", " << where;
            EXPECT_TRUE (bitIdentical (output[c], expected)) << "seed " << seed << ", channel " << c;
        }
        EXPECT_EQ (processor->getEngine().getRunningOversampling(), 2);
    }
}

// A host that bypasses the plugin without a bypass parameter (LV2) gets the
// input sum, as late as the processed sound would be.
TEST (PluginQuality, TheHostsBypassComesAsLateAsTheChain)
{
    for (const int factor : factors)
    {
        auto processor = makeProcessor (2, 2, rate, 256, juce::AudioProcessor::wrapperType_LV2);
        setQuality (*processor, factor);
        const int latency = AudioMidiHandler::latencyForOversampling (factor);

        const auto input = makeInput (2, 1000, 7);
        juce::AudioBuffer<float> buffer (2, 1000);
        for (int c = 0; c < 2; ++c)
            buffer.copyFrom (c, 0, input[static_cast<size_t> (c)].data(), 1000);
        juce::MidiBuffer midi;
        processor->processBlockBypassed (buffer, midi);

        for (int i = 0; i < 1000; ++i)
        {
            const float sum = i < latency ? 0.0f : input[0][static_cast<size_t> (i - latency)] + input[1][static_cast<size_t> (i - latency)];
            for (int c = 0; c < 2; ++c)
                ASSERT_EQ (buffer.getSample (c, i), sum) << factor << "x, channel " << c << ", sample " << i;
        }
    }
}
