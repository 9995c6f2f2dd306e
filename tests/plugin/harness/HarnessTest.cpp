#include "HostedPlugin.h"
#include "Reference.h"
#include "Runner.h"
#include "Scenario.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <unistd.h>

namespace
{
    using harness::Format;

    constexpr int largestBlock = 4096;

    // Block sizes of a run: a fixed size, or 0 for random sizes 1..4096.
    harness::BlockSizes blockSizes (int size, uint32_t seed)
    {
        if (size > 0)
            return [size] (int) { return size; };

        auto random = std::make_shared<std::mt19937> (seed);
        return [random] (int) { return 1 + static_cast<int> ((*random)() % largestBlock); };
    }

    std::string blockName (int size)
    {
        return size > 0 ? "Block" + std::to_string (size) : "RandomBlocks";
    }

    juce::File scratchFolder (const std::string& name)
    {
        // CTest runs each case in a process of its own, two at a time: a
        // clock reading alone can name two folders alike.
        auto folder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getChildFile ("velthorn-harness-" + juce::String (::getpid()) + "-" + name)
                          .getNonexistentSibling();
        folder.createDirectory();
        return folder;
    }

    // One renderer run per rate serves every format and block size: the
    // scenario depends on the rate alone.
    struct RenderedScenario
    {
        harness::Scenario scenario;
        juce::AudioBuffer<float> expected;
    };

    const RenderedScenario& renderedScenarioAt (double rate)
    {
        static std::map<double, RenderedScenario> cache;

        if (auto found = cache.find (rate); found != cache.end())
            return found->second;

        RenderedScenario rendered;
        rendered.scenario = harness::makeRenderableScenario (rate, 1000u + static_cast<uint32_t> (rate));
        auto folder = scratchFolder ("reference-" + std::to_string (static_cast<int> (rate)));
        rendered.expected = harness::renderWithTool (rendered.scenario, folder);
        folder.deleteRecursively();
        return cache.emplace (rate, std::move (rendered)).first->second;
    }

    class HarnessRenderTest : public ::testing::TestWithParam<std::tuple<Format, double, int>>
    {
    };

    // Settings, automation of the parameters MIDI reaches, and MIDI control
    // changes mid-block, through the plugin as the host loads it, against
    // the renderer given the same input, settings and control changes.
    TEST_P (HarnessRenderTest, OutputEqualsTheRendererFiniteAndWithoutSubnormals)
    {
        const auto [format, rate, size] = GetParam();
        const auto& rendered = renderedScenarioAt (rate);

        harness::HostedPlugin plugin (format, rate, largestBlock);
        const auto output = harness::play (plugin, rendered.scenario, blockSizes (size, 7u));

        EXPECT_TRUE (harness::finiteAndNormal (output));
        EXPECT_TRUE (harness::bitIdentical (harness::nameOf (format) + " against velthorn-render", rendered.expected, output));
    }

    INSTANTIATE_TEST_SUITE_P (RatesAndBlocks, HarnessRenderTest,
        ::testing::Combine (::testing::Values (Format::lv2, Format::vst3),
                            ::testing::Values (44100.0, 48000.0, 88200.0, 96000.0, 192000.0),
                            ::testing::Values (1, 17, 64, 480, 512, 4096, 0)),
        [] (const auto& info)
        {
            return harness::nameOf (std::get<0> (info.param)) + "_" + std::to_string (static_cast<int> (std::get<1> (info.param)))
                   + "_" + blockName (std::get<2> (info.param));
        });

    class HarnessFormatTest : public ::testing::TestWithParam<Format>
    {
    };

    // Every parameter, switches included, moved three times at random
    // moments. The renderer cannot repeat that, so the run is checked for
    // sane samples and for not depending on how the host cuts its blocks,
    // and against the other format doing the same.
    TEST_P (HarnessFormatTest, EveryParameterAutomatedGivesTheSameSoundWhateverTheBlocks)
    {
        const auto scenario = harness::makeFullAutomationScenario (48000.0, 31u);

        harness::HostedPlugin randomBlocks (GetParam(), 48000.0, largestBlock);
        const auto first = harness::play (randomBlocks, scenario, blockSizes (0, 11u));
        EXPECT_TRUE (harness::finiteAndNormal (first));

        harness::HostedPlugin fixedBlocks (GetParam(), 48000.0, largestBlock);
        EXPECT_TRUE (harness::bitIdentical ("64-sample blocks against random blocks", first,
                                            harness::play (fixedBlocks, scenario, blockSizes (64, 0u))));

        const auto other = GetParam() == Format::lv2 ? Format::vst3 : Format::lv2;
        harness::HostedPlugin otherFormat (other, 48000.0, largestBlock);
        EXPECT_TRUE (harness::bitIdentical (harness::nameOf (other) + " against " + harness::nameOf (GetParam()), first,
                                            harness::play (otherFormat, scenario, blockSizes (480, 0u))));
    }

    // The host saves the plugin's state and loads it into a fresh instance,
    // as a project does when it is reopened: the values and the Quality come
    // back exactly (and the host learns the latency), and the restored plugin
    // sounds as one given those values directly.
    TEST_P (HarnessFormatTest, StateRestoredIntoAFreshInstanceContinuesIdentically)
    {
        auto scenario = harness::makeFullAutomationScenario (48000.0, 57u);

        harness::HostedPlugin original (GetParam(), 48000.0, largestBlock);
        harness::play (original, scenario, blockSizes (512, 0u));
        original.setQuality (4);
        // An LV2 plugin hears of it with the next block it runs.
        ASSERT_TRUE (original.latencyBecomes (6));

        juce::MemoryBlock state;
        original.instance().getStateInformation (state);
        ASSERT_GT (state.getSize(), 0u);

        harness::HostedPlugin restored (GetParam(), 48000.0, largestBlock);
        restored.instance().setStateInformation (state.getData(), static_cast<int> (state.getSize()));

        harness::Scenario continuation;
        continuation.sampleRate = 48000.0;
        continuation.input = harness::makeInput (48000.0, 0.25, 0.1);

        for (const auto& info : harness::parameters)
            continuation.settings.push_back ({ info.id, original.get (info.id) });

        harness::HostedPlugin direct (GetParam(), 48000.0, largestBlock);
        direct.setQuality (4);
        const auto expected = harness::play (direct, continuation, blockSizes (256, 0u));

        // The restored instance is played without settings of its own.
        auto unset = continuation;
        unset.settings.clear();
        EXPECT_TRUE (harness::bitIdentical ("restored against set directly", expected,
                                            harness::play (restored, unset, blockSizes (256, 0u))));

        // What the host shows for the restored instance, once it has run.
        for (const auto& info : harness::parameters)
            EXPECT_EQ (restored.get (info.id), original.get (info.id)) << info.id;
        EXPECT_EQ (restored.quality(), 4);
        EXPECT_TRUE (restored.latencyBecomes (6)) << restored.instance().getLatencySamples();
    }

    // The editor as a host opens it: a window of its own on the desktop,
    // twenty times over, and the plugin still sounds right afterwards.
    // Disabled: now and then (about one run in ten) the hosting side crashes.
    // JUCE 7.0.5's XEmbedComponent, which embeds the editor's window in the
    // host, posts a callback from its X event handler that can run after the
    // component is gone (the crash is in that callback, in the harness's own
    // copy of the framework). The plugin's editor is opened and closed twenty
    // times in-process by the plugin's unit tests, and shown by jalv.gtk3.
    TEST_P (HarnessFormatTest, DISABLED_EditorOpensAndClosesTwentyTimes)
    {
        harness::HostedPlugin plugin (GetParam(), 48000.0, largestBlock);
        ASSERT_TRUE (plugin.instance().hasEditor());

        for (int round = 0; round < 20; ++round)
        {
            std::unique_ptr<juce::AudioProcessorEditor> editor (plugin.instance().createEditor());
            ASSERT_NE (editor, nullptr) << "round " << round;

            editor->addToDesktop (juce::ComponentPeer::windowHasTitleBar);
            editor->setVisible (true);
            // Lets the window be mapped and painted, and the plugin's own
            // message-thread work run, as a host's event loop would.
            juce::MessageManager::getInstance()->runDispatchLoopUntil (30);

            EXPECT_TRUE (editor->isShowing()) << "round " << round;
            EXPECT_GT (editor->getWidth(), 0) << "round " << round;
            EXPECT_GT (editor->getHeight(), 0) << "round " << round;

            editor.reset();
            juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
        }

        // Still processing after all that.
        const auto& rendered = renderedScenarioAt (48000.0);
        EXPECT_TRUE (harness::bitIdentical ("after the editor came and went", rendered.expected,
                                            harness::play (plugin, rendered.scenario, blockSizes (512, 0u))));
    }

    // Two instances in one process, played block by block in turns with
    // different settings: each sounds as the renderer says for its own.
    TEST_P (HarnessFormatTest, TwoInstancesInOneProcessAreIndependent)
    {
        const auto& a = renderedScenarioAt (44100.0);
        auto bScenario = harness::makeRenderableScenario (44100.0, 4242u);
        auto folder = scratchFolder ("two-instances");
        const auto bExpected = harness::renderWithTool (bScenario, folder);
        folder.deleteRecursively();

        harness::HostedPlugin first (GetParam(), 44100.0, largestBlock);
        harness::HostedPlugin second (GetParam(), 44100.0, largestBlock);

        // Interleaved: each block of the first is followed by one of the
        // second, so shared state between them would show.
        auto firstScenario = a.scenario;
        harness::Scenario none;
        juce::AudioBuffer<float> firstOut (2, firstScenario.input.getNumSamples());
        juce::AudioBuffer<float> secondOut (2, bScenario.input.getNumSamples());

        for (const auto& s : firstScenario.settings)
            first.set (s.id, s.value);
        for (const auto& s : bScenario.settings)
            second.set (s.id, s.value);

        // Each instance gets its own scenario cut into 100-sample steps.
        auto runStep = [] (harness::HostedPlugin& plugin, const harness::Scenario& scenario, int start, int count,
                           size_t& nextAutomation, size_t& nextMidi, juce::AudioBuffer<float>& out)
        {
            harness::Scenario step;
            step.sampleRate = scenario.sampleRate;
            step.input.setSize (2, count);

            for (int c = 0; c < 2; ++c)
                step.input.copyFrom (c, 0, scenario.input, c, start, count);

            while (nextAutomation < scenario.automation.size() && scenario.automation[nextAutomation].sample < start + count)
            {
                auto a = scenario.automation[nextAutomation++];
                a.sample -= start;
                step.automation.push_back (a);
            }

            while (nextMidi < scenario.midi.size() && scenario.midi[nextMidi].sample < start + count)
            {
                auto m = scenario.midi[nextMidi++];
                m.sample -= start;
                step.midi.push_back (m);
            }

            const auto result = harness::play (plugin, step, [count] (int) { return count; });

            for (int c = 0; c < 2; ++c)
                out.copyFrom (c, start, result, c, 0, count);
        };

        size_t fa = 0, fm = 0, sa = 0, sm = 0;
        const int length = firstScenario.input.getNumSamples();

        for (int start = 0; start < length; start += 100)
        {
            const int count = std::min (100, length - start);
            runStep (first, firstScenario, start, count, fa, fm, firstOut);
            runStep (second, bScenario, start, count, sa, sm, secondOut);
        }

        EXPECT_TRUE (harness::bitIdentical ("first instance against the renderer", a.expected, firstOut));
        EXPECT_TRUE (harness::bitIdentical ("second instance against the renderer", bExpected, secondOut));
    }

    // The samples [start, start + length) of every channel.
    juce::AudioBuffer<float> slice (const juce::AudioBuffer<float>& audio, int start, int length)
    {
        juce::AudioBuffer<float> part (audio.getNumChannels(), length);
        for (int channel = 0; channel < audio.getNumChannels(); ++channel)
            part.copyFrom (channel, 0, audio, channel, start, length);
        return part;
    }

    // The Quality changed while playing, from the host's parameter window:
    // the first third at 1x, then the rest at 2x, 4x or 8x in blocks of 1 to
    // 8192 samples, with automation and MIDI. Where the quality changes the
    // chain starts afresh, so from there on the plugin is velthorn-render at
    // that factor given the rest of the input - late by the latency the
    // host is told, which the renderer takes out.
    TEST_P (HarnessFormatTest, QualityChangedWhilePlayingIsTheRendererAtThatFactorLateByTheReportedLatency)
    {
        constexpr double rate = 48000.0;
        const auto full = harness::makeRenderableScenario (rate, 2024u);
        const int split = full.input.getNumSamples() / 3;
        const int rest = full.input.getNumSamples() - split;

        harness::Scenario first;
        first.sampleRate = rate;
        first.settings = full.settings;
        first.input = slice (full.input, 0, split);

        harness::Scenario second;
        second.sampleRate = rate;
        second.settings = full.settings;
        second.input = slice (full.input, split, rest);
        for (auto a : full.automation)
            if (a.sample >= split)
                second.automation.push_back ({ a.sample - split, a.setting });
        for (auto m : full.midi)
            if (m.sample >= split)
                second.midi.push_back ({ m.sample - split, m.controller, m.value });

        auto folder = scratchFolder ("quality-" + harness::nameOf (GetParam()));
        const auto expectedFirst = harness::renderWithTool (first, folder);

        for (const int factor : { 2, 4, 8 })
        {
            const int latency = factor == 2 ? 4 : 6;   // as the manual pages give it
            second.oversampling = factor;
            const auto expectedSecond = harness::renderWithTool (second, folder);

            harness::HostedPlugin plugin (GetParam(), rate, 8192);
            EXPECT_EQ (plugin.instance().getLatencySamples(), 0);
            const auto playedFirst = harness::play (plugin, first, blockSizes (0, 5u));

            plugin.setQuality (factor);
            auto random = std::make_shared<std::mt19937> (static_cast<uint32_t> (factor));
            const auto playedSecond = harness::play (plugin, second, [random] (int)
            {
                return 1 + static_cast<int> ((*random)() % 8192);
            });

            EXPECT_TRUE (plugin.latencyBecomes (latency)) << factor << "x: the host knows a latency of "
                                                          << plugin.instance().getLatencySamples();
            EXPECT_TRUE (harness::finiteAndNormal (playedSecond));
            EXPECT_TRUE (harness::bitIdentical ("before the change", expectedFirst, playedFirst));
            EXPECT_TRUE (harness::bitIdentical (std::to_string (factor) + "x, late by the latency",
                                                slice (expectedSecond, 0, rest - latency),
                                                slice (playedSecond, latency, rest - latency)));
        }

        folder.deleteRecursively();
    }

    INSTANTIATE_TEST_SUITE_P (Formats, HarnessFormatTest, ::testing::Values (Format::lv2, Format::vst3),
                              [] (const auto& info) { return harness::nameOf (info.param); });
}
