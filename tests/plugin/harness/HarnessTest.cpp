#include "DamagedState.h"
#include "HostedFormats.h"
#include "HostedPlugin.h"
#include "Reference.h"
#include "Runner.h"
#include "Scenario.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <tuple>

namespace
{
    using harness::Format;
    using harness::wrappedDocument;

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

    // Different in every process of the run.
    const juce::String& processTag()
    {
        static const juce::String tag = juce::Uuid().toString().substring (0, 12);
        return tag;
    }

    juce::File scratchFolder (const std::string& name)
    {
        // CTest runs each case in a process of its own, two at a time: a
        // clock reading alone can name two folders alike.
        auto folder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getChildFile ("velthorn-harness-" + processTag() + "-" + name)
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
        ::testing::Combine (::testing::ValuesIn (harness::hostedFormats()),
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

        if (const auto other = harness::otherHostedFormat (GetParam()))
        {
            harness::HostedPlugin otherFormat (*other, 48000.0, largestBlock);
            EXPECT_TRUE (harness::bitIdentical (harness::nameOf (*other) + " against " + harness::nameOf (GetParam()), first,
                                                harness::play (otherFormat, scenario, blockSizes (480, 0u))));
        }
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

    INSTANTIATE_TEST_SUITE_P (Formats, HarnessFormatTest, ::testing::ValuesIn (harness::hostedFormats()),
                              [] (const auto& info) { return harness::nameOf (info.param); });

    // A project saved by the host, damaged, and loaded into a plugin that
    // is running with settings of its own. The plugin state inside the
    // host's own wrapping is what is damaged, so the framework's plugin
    // wrapper and then the plugin itself read it, as in a DAW.
    struct DamagedStateCase
    {
        const char* name;
        Format format;
        // The host's saved state, damaged.
        std::function<juce::MemoryBlock (const juce::MemoryBlock& saved)> damage;
        bool taken;   // true for the control: a readable state made the same way
    };

    void PrintTo (const DamagedStateCase& c, std::ostream* out)
    {
        *out << c.name;
    }

    // Every parameter at a value other than its default, and others again in
    // the readable document below.
    const std::vector<harness::Setting>& runningSettings()
    {
        static const std::vector<harness::Setting> settings {
            { "delTme", 0.125f }, { "delAm", 0.625f }, { "delOn", 1.0f }, { "wahFreq", 0.375f }, { "wahRes", 0.625f },
            { "wahGain", 0.5f }, { "wahOn", 1.0f }, { "distGain", 0.75f }, { "distFreq", 0.25f }, { "distOn", 1.0f },
            { "ampDrv", 0.375f }, { "ampLo", 0.25f }, { "ampMid", 0.75f }, { "ampHi", 0.5625f }, { "ampOn", 0.0f },
            { "mast", 0.46875f }, { "mastOn", 1.0f } };
        return settings;
    }

    std::string readableDocument()
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><VelthornState version=\"1\">"
               "<parameter id=\"mast\" value=\"0.25\"/><parameter id=\"delOn\" value=\"0\"/></VelthornState>";
    }

    std::string deeplyNestedDocument()
    {
        std::string text = "<VelthornState version=\"1\"><parameter id=\"mast\" value=\"0.25\"/>";
        for (int i = 0; i < 100000; ++i)
            text += "<a>";
        for (int i = 0; i < 100000; ++i)
            text += "</a>";
        return text + "</VelthornState>";
    }

    // The characters after a base64 string's byte count, without it.
    std::string base64Digits (const juce::MemoryBlock& bytes)
    {
        const auto encoded = bytes.toBase64Encoding().toStdString();
        return encoded.substr (encoded.find ('.'));
    }

    // A readable document whose header claims a little more than it holds,
    // followed by the framework's private data marker with a length larger
    // than the whole state: the wrapper would tell the plugin the state is
    // 100,000 bytes long, and the header's claim would then look true.
    juce::MemoryBlock privateDataLongerThanTheState()
    {
        auto bytes = wrappedDocument (readableDocument(), 100);
        const char marker[] = "JUCEPrivateData";
        const auto total = static_cast<uint64_t> (bytes.getSize() + sizeof (uint64_t) + sizeof (marker) - 1);
        const uint64_t claimed = total - 2 * sizeof (uint64_t) - (sizeof (marker) - 1) - 100000u;   // wraps round
        bytes.append (&claimed, sizeof claimed);
        bytes.append (marker, sizeof (marker) - 1);
        return bytes;
    }

    class HarnessDamagedStateTest : public ::testing::TestWithParam<DamagedStateCase>
    {
    };

    TEST_P (HarnessDamagedStateTest, IsRefusedAndThePluginCarriesOnAsItWas)
    {
        const auto& c = GetParam();
        harness::Scenario first;
        first.sampleRate = 48000.0;
        first.input = harness::makeInput (48000.0, 0.05, 0.0);
        first.settings = runningSettings();

        harness::HostedPlugin plugin (c.format, 48000.0, largestBlock), twin (c.format, 48000.0, largestBlock);
        harness::play (plugin, first, blockSizes (256, 0u));
        harness::play (twin, first, blockSizes (256, 0u));

        juce::MemoryBlock saved;
        plugin.instance().getStateInformation (saved);
        const auto damaged = c.damage (saved);
        plugin.instance().setStateInformation (damaged.getData(), static_cast<int> (damaged.getSize()));

        harness::Scenario next;
        next.sampleRate = 48000.0;
        next.input = harness::makeInput (48000.0, 0.25, 0.1);
        const auto output = harness::play (plugin, next, blockSizes (256, 0u));
        EXPECT_TRUE (harness::finiteAndNormal (output));

        if (c.taken)
        {
            EXPECT_EQ (plugin.get ("mast"), 0.25f);
            EXPECT_EQ (plugin.get ("delOn"), 0.0f);
            return;
        }

        EXPECT_TRUE (harness::bitIdentical ("after the damaged state against a plugin that never saw it",
                                            harness::play (twin, next, blockSizes (256, 0u)), output));

        for (const auto& setting : runningSettings())
            EXPECT_EQ (plugin.get (setting.id), setting.value) << setting.id;
    }

    INSTANTIATE_TEST_SUITE_P (States, HarnessDamagedStateTest, ::testing::Values (
        DamagedStateCase { "LV2_Readable", Format::lv2, [] (const juce::MemoryBlock& saved)
            { return harness::withLv2StateString (saved, wrappedDocument (readableDocument()).toBase64Encoding().toStdString()); }, true },
        DamagedStateCase { "LV2_HugeByteCount", Format::lv2, [] (const juce::MemoryBlock& saved)
            { return harness::withLv2StateString (saved, "99999999999999999999" + base64Digits (wrappedDocument (readableDocument()))); }, false },
        DamagedStateCase { "LV2_NegativeByteCount", Format::lv2, [] (const juce::MemoryBlock& saved)
            { return harness::withLv2StateString (saved, "-5" + base64Digits (wrappedDocument (readableDocument()))); }, false },
        DamagedStateCase { "LV2_NestedOneHundredThousandDeep", Format::lv2, [] (const juce::MemoryBlock& saved)
            { return harness::withLv2StateString (saved, wrappedDocument (deeplyNestedDocument()).toBase64Encoding().toStdString()); }, false },
        DamagedStateCase { "VST3_Readable", Format::vst3, [] (const juce::MemoryBlock& saved)
            { return harness::withVst3ComponentState (saved, wrappedDocument (readableDocument())); }, true },
        DamagedStateCase { "VST3_NestedOneHundredThousandDeep", Format::vst3, [] (const juce::MemoryBlock& saved)
            { return harness::withVst3ComponentState (saved, wrappedDocument (deeplyNestedDocument())); }, false },
        DamagedStateCase { "VST3_PrivateDataLongerThanTheState", Format::vst3, [] (const juce::MemoryBlock& saved)
            { return harness::withVst3ComponentState (saved, privateDataLongerThanTheState()); }, false }),
        [] (const auto& info) { return std::string (info.param.name); });
}
