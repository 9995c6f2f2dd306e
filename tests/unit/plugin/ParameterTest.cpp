// The host parameters: identifiers, defaults, the texts a host shows and the
// bypass.

#include "ParameterTable.h"
#include "PluginTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plugintest;

namespace
{
    using Table = PluginParameterTable;

    // The app's starting values, as its panel shows them on first start.
    struct Expected
    {
        const char* id;
        float defaultValue;
        bool isSwitch;
    };

    constexpr Expected appDefaults[] = {
        { "delTme", 0.5f, false }, { "delAm", 0.5f, false }, { "delOn", 0.0f, true },
        { "wahFreq", 1.0f, false }, { "wahRes", 0.3f, false }, { "wahGain", 0.7f, false }, { "wahOn", 0.0f, true },
        { "distGain", 0.6f, false }, { "distFreq", 0.4f, false }, { "distOn", 0.0f, true },
        { "ampDrv", 0.7f, false }, { "ampLo", 0.5f, false }, { "ampMid", 0.5f, false }, { "ampHi", 0.5f, false },
        { "ampOn", 1.0f, true }, { "mast", 0.6f, false }, { "mastOn", 1.0f, true },
    };
}

class PluginParameters : public ::testing::Test
{
protected:
    std::unique_ptr<VelthornProcessor> processor = makeProcessor (2, 2, 48000.0, 512);
};

TEST_F (PluginParameters, IdentifiersAreTheRenderersNamesWithTheSameEngineIndices)
{
    // The renderer's parameters, then the Quality (see QualityTest).
    const auto& params = processor->getParameters();
    ASSERT_EQ (params.size(), static_cast<int> (ParameterTable::entries().size()) + 1);
    EXPECT_EQ (params.getLast(), &processor->getQualityParameter());

    for (const auto& entry : ParameterTable::entries())
    {
        const auto position = Table::positionForId (entry.name);
        ASSERT_GE (position, 0) << entry.name;

        auto* withId = dynamic_cast<juce::HostedAudioProcessorParameter*> (params[position]);
        ASSERT_NE (withId, nullptr);
        EXPECT_EQ (withId->getParameterID(), juce::String (entry.name));
        EXPECT_EQ (Table::entries()[static_cast<size_t> (position)].engineIndex, entry.index) << entry.name;
        EXPECT_EQ (Table::entries()[static_cast<size_t> (position)].isSwitch(),
                   entry.kind == ParameterTable::Kind::onOff) << entry.name;
    }
}

TEST_F (PluginParameters, DefaultsAreTheAppsAndReachTheEngine)
{
    auto& engine = processor->getEngine();

    for (const auto& expected : appDefaults)
    {
        const auto position = Table::positionForId (expected.id);
        ASSERT_GE (position, 0) << expected.id;
        const auto& entry = Table::entries()[static_cast<size_t> (position)];
        auto& parameter = parameterAt (*processor, position);

        EXPECT_EQ (processor->getHostParameters().defaultValue (position), expected.defaultValue) << expected.id;
        EXPECT_EQ (processor->getHostParameters().engineValue (position), expected.defaultValue) << expected.id;
        EXPECT_EQ (Table::readEngine (engine, entry), expected.defaultValue) << expected.id;
        EXPECT_EQ (parameter.getValue(), parameter.getDefaultValue()) << expected.id;
        EXPECT_EQ (parameter.isBoolean(), expected.isSwitch) << expected.id;
    }
}

TEST_F (PluginParameters, EveryValueShowsAsAMusicianReadsIt)
{
    struct Case
    {
        const char* id;
        float value;   // as the engine stores it
        const char* text;
    };

    const Case cases[] = {
        { "delTme", 0.29f, "290 ms" }, { "delTme", 1.0f, "1000 ms" }, { "delTme", 0.0f, "0 ms" },
        { "delAm", 0.5f, "50 %" }, { "delAm", 1.0f, "100 %" },
        { "wahFreq", 1.0f, "1150 Hz" }, { "wahFreq", 0.0f, "150 Hz" }, { "wahFreq", 0.35f, "500 Hz" },
        { "wahRes", 0.3f, "0.30" },
        { "wahGain", 0.7f, "+16.0 dB" }, { "wahGain", 0.0f, "-40.0 dB" }, { "wahGain", 0.5f, "0.0 dB" },
        { "distGain", 0.6f, "+48.0 dB" }, { "distGain", 0.0f, "0.0 dB" },
        { "distFreq", 0.4f, "900 Hz" }, { "distFreq", 1.0f, "1800 Hz" },
        { "ampDrv", 0.7f, "+28.0 dB" },
        { "ampLo", 0.0f, "-20.0 dB" }, { "ampMid", 0.5f, "0.0 dB" }, { "ampHi", 1.0f, "+20.0 dB" },
        { "mast", 0.6f, "0.0 dB" }, { "mast", 1.0f, "+40.0 dB" }, { "mast", 0.0f, "-60.0 dB" }, { "mast", 0.55f, "-5.0 dB" },
        { "delOn", 1.0f, "On" }, { "delOn", 0.0f, "Off" }, { "mastOn", 1.0f, "On" }, { "mastOn", 0.0f, "Off" },
    };

    for (const auto& c : cases)
    {
        const auto position = Table::positionForId (c.id);
        ASSERT_GE (position, 0) << c.id;
        auto& parameter = parameterAt (*processor, position);
        const auto normalised = processor->getHostParameters().normalisedFor (position, c.value);

        EXPECT_EQ (parameter.getText (normalised, 64), juce::String (c.text)) << c.id << " at " << c.value;

        // And back: the text a user types gives the value again.
        EXPECT_NEAR (parameter.getValueForText (c.text), normalised, 1.0e-6f) << c.id << " from " << c.text;
    }
}

TEST_F (PluginParameters, TypedValuesOutsideTheRangeAreClamped)
{
    auto& mast = parameterAt (*processor, Table::positionForId ("mast"));
    EXPECT_EQ (mast.getValueForText ("+99 dB"), 1.0f);
    EXPECT_EQ (mast.getValueForText ("-200 dB"), 0.0f);
    EXPECT_EQ (mast.getValueForText ("loud"), mast.getValueForText ("0"));

    auto& time = parameterAt (*processor, Table::positionForId ("delTme"));
    EXPECT_EQ (time.getValueForText ("5000 ms"), 1.0f);
}

TEST_F (PluginParameters, HostAutomationReachesTheEngineAtTheNextBlock)
{
    auto& engine = processor->getEngine();
    const auto input = makeInput (2, 64, 3);

    for (int position = 0; position < Table::numParameters; ++position)
    {
        const auto& entry = Table::entries()[static_cast<size_t> (position)];
        const float target = entry.isSwitch() ? 1.0f - processor->getHostParameters().engineValue (position) : 0.123f;

        setFromHost (*processor, position, target);
        run (*processor, input, 2, { 64 });

        EXPECT_EQ (Table::readEngine (engine, entry), target) << entry.id;
    }
}

TEST (PluginBypass, TheMasterSwitchIsTheBypassAndPassesTheSummedInput)
{
    struct Case
    {
        int inputs, outputs;
    };

    for (const auto& c : { Case { 1, 1 }, Case { 1, 2 }, Case { 2, 1 }, Case { 2, 2 } })
    {
        auto processor = makeProcessor (c.inputs, c.outputs, 44100.0, 256);
        ASSERT_NE (processor, nullptr);

        // Everything on and loud, so a processed sample cannot pass for the sum.
        for (const char* id : { "wahOn", "distOn", "delOn", "ampOn" })
            setFromHost (*processor, Table::positionForId (id), 1.0f);
        setFromHost (*processor, Table::positionForId ("mast"), 1.0f);

        auto* bypass = processor->getBypassParameter();
        ASSERT_EQ (bypass, &parameterAt (*processor, Table::masterSwitchPosition));

        // A host's bypass button: 1 means bypassed.
        bypass->setValueNotifyingHost (1.0f);
        EXPECT_EQ (bypass->getText (1.0f, 16), "Off");

        const auto input = makeInput (c.inputs, 2000, 5);
        const auto output = run (*processor, input, c.outputs, { 256 });

        for (int i = 0; i < 2000; ++i)
        {
            float sum = 0.0f;
            for (const auto& channel : input)
                sum = sum + channel[static_cast<size_t> (i)];

            for (int o = 0; o < c.outputs; ++o)
                ASSERT_EQ (output[static_cast<size_t> (o)][static_cast<size_t> (i)], sum)
                    << c.inputs << " in, " << c.outputs << " out, output " << o << " sample " << i;
        }

        EXPECT_EQ (processor->getEngine().snapshot().controls.mastOn, 0);
    }
}

TEST (PluginBypass, UnderLv2TheHostsEnabledPortBypassesAndTheSwitchStaysAPlainParameter)
{
    auto processor = makeProcessor (2, 2, 48000.0, 128, juce::AudioProcessor::wrapperType_LV2);
    ASSERT_NE (processor, nullptr);

    // The LV2 wrapper would rewrite a bypass parameter from its "enabled"
    // port on every block, undoing MIDI and automation of the switch.
    EXPECT_EQ (processor->getBypassParameter(), nullptr);

    auto& master = parameterAt (*processor, Table::masterSwitchPosition);
    EXPECT_EQ (master.getValue(), 1.0f);
    EXPECT_EQ (master.convertFrom0to1 (master.getValue()), 1.0f);
    EXPECT_EQ (master.getText (1.0f, 16), "On");

    setFromHost (*processor, Table::positionForId ("distOn"), 1.0f);
    const auto input = makeInput (2, 1000, 8);

    // The host's bypass: the summed input, while the controls stay as set.
    juce::AudioBuffer<float> buffer (2, 1000);
    buffer.copyFrom (0, 0, input[0].data(), 1000);
    buffer.copyFrom (1, 0, input[1].data(), 1000);
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::controllerEvent (1, 7, 0), 10);
    processor->processBlockBypassed (buffer, midi);

    for (int i = 0; i < 1000; ++i)
    {
        const float sum = input[0][static_cast<size_t> (i)] + input[1][static_cast<size_t> (i)];
        ASSERT_EQ (buffer.getSample (0, i), sum) << i;
        ASSERT_EQ (buffer.getSample (1, i), sum) << i;
    }

    EXPECT_EQ (processor->getEngine().snapshot().controls.mastOn, 1);
    EXPECT_EQ (processor->getEngine().snapshot().controls.distOn, 1);
    EXPECT_EQ (processor->getEngine().snapshot().controls.ampDrv, 0.0f);   // MIDI still applies
}

TEST (PluginBuses, OnlyMonoOrStereoInAndOut)
{
    VelthornProcessor processor;
    const auto sets = { juce::AudioChannelSet::disabled(), juce::AudioChannelSet::mono(),
                        juce::AudioChannelSet::stereo(), juce::AudioChannelSet::create5point1() };

    for (const auto& in : sets)
    {
        for (const auto& out : sets)
        {
            juce::AudioProcessor::BusesLayout layout;
            layout.inputBuses.add (in);
            layout.outputBuses.add (out);

            const bool expected = (in == juce::AudioChannelSet::mono() || in == juce::AudioChannelSet::stereo())
                               && (out == juce::AudioChannelSet::mono() || out == juce::AudioChannelSet::stereo());
            EXPECT_EQ (processor.checkBusesLayoutSupported (layout), expected)
                << in.getDescription() << " to " << out.getDescription();
        }
    }

    EXPECT_EQ (processor.getLatencySamples(), 0);
}
