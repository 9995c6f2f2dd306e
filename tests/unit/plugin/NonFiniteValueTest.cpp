// A NaN given to the plugin, for each of its 17 parameters and by each way a
// value comes in: host automation, the editor, a restored project, the
// engine's own setParameter. The parameter keeps its value (a project's NaN
// counts as a missing value: the default), the output stays finite, the host
// parameter and a saved project never hold the NaN, and once a sound value
// arrives the plugin plays exactly as one that never saw the NaN.

#include "PluginState.h"
#include "PluginTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

using namespace plugintest;

namespace
{
    using Table = PluginParameterTable;

    constexpr float nan = std::numeric_limits<float>::quiet_NaN();

    // Every stage on, a short echo loop: whatever reaches a filter's or the
    // delay's memory comes back quickly and keeps coming back.
    PluginState::Values soundingValues()
    {
        PluginState::Values values {};

        for (int position = 0; position < Table::numParameters; ++position)
        {
            const auto& entry = Table::entries()[static_cast<size_t> (position)];
            values[static_cast<size_t> (position)] = entry.isSwitch() ? 1.0f : 0.4f + 0.01f * static_cast<float> (position);
        }

        values[static_cast<size_t> (Table::positionForId ("delTme"))] = 0.01f;
        return values;
    }

    void setAll (VelthornProcessor& processor, const PluginState::Values& values)
    {
        for (int position = 0; position < Table::numParameters; ++position)
            setFromHost (processor, position, values[static_cast<size_t> (position)]);
    }

    std::vector<float> parameterValues (VelthornProcessor& processor)
    {
        std::vector<float> values;
        for (int position = 0; position < Table::numParameters; ++position)
            values.push_back (processor.getHostParameters().engineValue (position));
        return values;
    }

    // The state document for `values`, with the value of one parameter
    // written as `text`, or left out when `text` is null.
    juce::MemoryBlock stateWith (const PluginState::Values& values, int position, const char* text)
    {
        juce::XmlElement root ("VelthornState");
        root.setAttribute ("version", PluginState::formatVersion);

        for (int i = 0; i < Table::numParameters; ++i)
        {
            if (i == position && text == nullptr)
                continue;

            auto* parameter = root.createNewChildElement ("parameter");
            parameter->setAttribute ("id", Table::entries()[static_cast<size_t> (i)].id);
            parameter->setAttribute ("value", i == position ? juce::String (text)
                                                            : juce::String (values[static_cast<size_t> (i)], 9));
        }

        juce::MemoryBlock block;
        juce::AudioProcessor::copyXmlToBinary (root, block);
        return block;
    }

    void restore (VelthornProcessor& processor, const juce::MemoryBlock& state)
    {
        processor.setStateInformation (state.getData(), static_cast<int> (state.getSize()));
    }

    ::testing::AssertionResult finiteAndEqual (const Channels& actual, const Channels& expected)
    {
        for (size_t channel = 0; channel < actual.size(); ++channel)
            for (size_t i = 0; i < actual[channel].size(); ++i)
            {
                if (! std::isfinite (actual[channel][i]))
                    return ::testing::AssertionFailure() << "sample " << i << " of output " << channel
                                                         << " is " << actual[channel][i];

                if (actual[channel][i] != expected[channel][i])
                    return ::testing::AssertionFailure() << "sample " << i << " of output " << channel << " is "
                                                         << actual[channel][i] << ", a plugin that never saw the NaN plays "
                                                         << expected[channel][i];
            }

        return ::testing::AssertionSuccess();
    }

    // How the NaN is given (`hit`), and what a plugin that never saw it was
    // given instead (`twin`, for a project: the same without that value).
    struct WayIn
    {
        const char* name;
        std::function<void (VelthornProcessor& hit, VelthornProcessor& twin, int position)> give;
    };

    const WayIn waysIn[] = {
        { "host automation", [] (VelthornProcessor& hit, VelthornProcessor&, int position)
          {
              // What the LV2 wrapper does with a host's patch:Set, and a
              // VST3 host's parameter change comes to the same.
              parameterAt (hit, position).setValueNotifyingHost (nan);
          } },
        { "the editor", [] (VelthornProcessor& hit, VelthornProcessor&, int position)
          {
              hit.setFromEditor (Table::entries()[static_cast<size_t> (position)].engineIndex, nan);
          } },
        { "the engine's setParameter", [] (VelthornProcessor& hit, VelthornProcessor&, int position)
          {
              hit.getEngine().setParameter (Table::entries()[static_cast<size_t> (position)].engineIndex, nan);
          } },
        { "a restored project", [] (VelthornProcessor& hit, VelthornProcessor& twin, int position)
          {
              restore (hit, stateWith (soundingValues(), position, "nan"));
              restore (twin, stateWith (soundingValues(), position, nullptr));
          } },
    };
}

TEST (PluginNonFiniteValues, ANaNByAnyWayInKeepsTheValueForEveryParameter)
{
    const std::vector<int> blocks { 256, 100, 300 };

    for (const auto& way : waysIn)
        for (int position = 0; position < Table::numParameters; ++position)
        {
            const auto& entry = Table::entries()[static_cast<size_t> (position)];
            const auto where = std::string (entry.id) + " by " + way.name;

            auto hit = makeProcessor (2, 2, 48000.0, 512);
            auto twin = makeProcessor (2, 2, 48000.0, 512);
            setAll (*hit, soundingValues());
            setAll (*twin, soundingValues());

            const auto first = makeInput (2, 1024, 1);
            ASSERT_TRUE (finiteAndEqual (run (*hit, first, 2, blocks), run (*twin, first, 2, blocks))) << where;

            way.give (*hit, *twin, position);

            const auto second = makeInput (2, 2048, 2);
            EXPECT_TRUE (finiteAndEqual (run (*hit, second, 2, blocks), run (*twin, second, 2, blocks))) << where;

            // Neither the host nor a saved project is left with the NaN.
            EXPECT_EQ (parameterValues (*hit), parameterValues (*twin)) << where;

            juce::MemoryBlock hitState, twinState;
            hit->getStateInformation (hitState);
            twin->getStateInformation (twinState);
            EXPECT_EQ (hitState, twinState) << where;

            // A sound value afterwards, from the host.
            const float recovery = entry.isSwitch() ? 0.0f : 0.75f;
            setFromHost (*hit, position, recovery);
            setFromHost (*twin, position, recovery);

            const auto third = makeInput (2, 2048, 3);
            EXPECT_TRUE (finiteAndEqual (run (*hit, third, 2, blocks), run (*twin, third, 2, blocks))) << where;
        }
}
