// What the host stores with its project, and what comes back from it.

#include "PluginState.h"
#include "PluginTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <string>

using namespace plugintest;

namespace
{
    using Table = PluginParameterTable;

    std::vector<float> engineValues (VelthornProcessor& processor)
    {
        std::vector<float> values;
        for (const auto& entry : Table::entries())
            values.push_back (Table::readEngine (processor.getEngine(), entry));
        return values;
    }

    std::vector<float> parameterValues (VelthornProcessor& processor)
    {
        std::vector<float> values;
        for (int position = 0; position < Table::numParameters; ++position)
            values.push_back (processor.getHostParameters().engineValue (position));
        return values;
    }

    std::vector<float> defaults (VelthornProcessor& processor)
    {
        std::vector<float> values;
        for (int position = 0; position < Table::numParameters; ++position)
            values.push_back (processor.getHostParameters().defaultValue (position));
        return values;
    }

    // A state document written by hand, wrapped as the host would store it.
    juce::MemoryBlock stateFrom (const juce::String& xmlText)
    {
        const auto xml = juce::parseXML (xmlText);
        juce::MemoryBlock block;
        if (xml != nullptr)
            juce::AudioProcessor::copyXmlToBinary (*xml, block);
        return block;
    }

    // A document wrapped as the framework wraps one (magic number, length,
    // text, a terminating zero), without parsing it first.
    juce::MemoryBlock wrapped (const std::string& text)
    {
        juce::MemoryOutputStream out;
        out.writeInt (0x21324356);
        out.writeInt (static_cast<int> (text.size()));
        out.write (text.data(), text.size());
        out.writeByte (0);
        return out.getMemoryBlock();
    }

    std::string repeated (const std::string& text, int times)
    {
        std::string result;
        result.reserve (text.size() * static_cast<size_t> (times));
        for (int i = 0; i < times; ++i)
            result += text;
        return result;
    }

    // Odd values: not round in decimal, tiny, on the range's ends.
    void setAwkwardValues (VelthornProcessor& processor, uint32_t seed)
    {
        std::mt19937 rng (seed);
        std::uniform_real_distribution<float> unit (0.0f, 1.0f);

        for (int position = 0; position < Table::numParameters; ++position)
        {
            const auto& entry = Table::entries()[static_cast<size_t> (position)];
            float value = unit (rng);
            if (position == 1) value = 1.0e-30f;
            if (position == 4) value = std::nextafter (1.0f, 0.0f);
            if (entry.isSwitch()) value = rng() % 2 == 0 ? 0.0f : 1.0f;
            setFromHost (processor, position, value);
        }
    }
}

TEST (PluginStateRoundTrip, AFreshInstanceGetsEveryValueBitForBit)
{
    for (uint32_t seed : { 1u, 2u, 3u, 4u })
    {
        auto source = makeProcessor (2, 2, 48000.0, 512);
        setAwkwardValues (*source, seed);

        juce::MemoryBlock state;
        source->getStateInformation (state);

        auto restored = makeProcessor (2, 2, 48000.0, 512);
        restored->setStateInformation (state.getData(), static_cast<int> (state.getSize()));

        EXPECT_EQ (parameterValues (*restored), parameterValues (*source)) << seed;
        EXPECT_EQ (engineValues (*restored), parameterValues (*source)) << seed;

        // Both then sound the same from the first sample.
        const auto input = makeInput (2, 5000, seed);
        const auto a = run (*source, input, 2, { 512 });
        const auto b = run (*restored, input, 2, { 512 });
        EXPECT_TRUE (bitIdentical (a[0], b[0])) << seed;
    }
}

TEST (PluginStateRoundTrip, TheMasterSwitchIsStoredAsOnOrOffInEveryFormat)
{
    // Stored inverted as a bypass outside LV2, plain under LV2: the state
    // says "on" either way, so a project moves between formats.
    auto vst3Style = makeProcessor (2, 2, 48000.0, 64);
    setFromHost (*vst3Style, Table::masterSwitchPosition, 0.0f);
    juce::MemoryBlock state;
    vst3Style->getStateInformation (state);

    auto lv2Style = makeProcessor (2, 2, 48000.0, 64, juce::AudioProcessor::wrapperType_LV2);
    lv2Style->setStateInformation (state.getData(), static_cast<int> (state.getSize()));
    EXPECT_EQ (lv2Style->getHostParameters().engineValue (Table::masterSwitchPosition), 0.0f);
    EXPECT_EQ (lv2Style->getEngine().snapshot().controls.mastOn, 0);
    EXPECT_EQ (parameterAt (*lv2Style, Table::masterSwitchPosition).getValue(), 0.0f);
    EXPECT_EQ (parameterAt (*vst3Style, Table::masterSwitchPosition).getValue(), 1.0f);

    const auto xml = juce::AudioProcessor::getXmlFromBinary (state.getData(), static_cast<int> (state.getSize()));
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getIntAttribute ("version"), PluginState::formatVersion);
}

TEST (PluginStateRestore, DamagedOrForeignStatesLeaveTheValuesAlone)
{
    juce::MemoryBlock good;
    {
        auto source = makeProcessor (2, 2, 48000.0, 64);
        setAwkwardValues (*source, 7);
        source->getStateInformation (good);
    }

    std::mt19937 rng (5);
    std::vector<char> garbage (300);
    for (auto& byte : garbage)
        byte = static_cast<char> (rng());

    struct Case
    {
        const char* name;
        juce::MemoryBlock data;
    };

    std::vector<Case> cases {
        { "empty", {} },
        { "garbage", juce::MemoryBlock (garbage.data(), garbage.size()) },
        { "plain text", juce::MemoryBlock ("hello", 5) },
        { "another program's root element", stateFrom ("<SomethingElse version=\"1\"><parameter id=\"mast\" value=\"1\"/></SomethingElse>") },
    };

    // Cut short anywhere: inside the header, inside the document, inside
    // its closing tag. (Only the terminating zero lost still leaves the whole
    // document, which is then read.)
    // Also right after the tenth complete parameter element.
    const auto* const bytes = static_cast<const char*> (good.getData());
    const auto* position = bytes;
    for (int found = 0; found < 10; ++found)
        position = std::search (position, bytes + good.getSize(), "/>", "/>" + 2) + 2;
    const auto afterTenthParameter = static_cast<size_t> (position - bytes);

    for (size_t length : { size_t { 1 }, size_t { 7 }, size_t { 9 }, good.getSize() / 2, good.getSize() - 2, afterTenthParameter })
        cases.push_back ({ "truncated", juce::MemoryBlock (good.getData(), length) });

    // Documents that would overwhelm the framework's XML parser, which
    // recurses once per nesting level and expands the entities a document
    // type declares, and documents beyond what a state can need; each
    // holds a value the reader would otherwise take.
    const std::string open = "<VelthornState version=\"1\"><parameter id=\"mast\" value=\"0.125\"/>";
    const std::string close = "</VelthornState>";
    cases.push_back ({ "nested 200,000 deep", wrapped (open + repeated ("<a>", 200000) + repeated ("</a>", 200000) + close) });
    cases.push_back ({ "nested 100,000 deep, within the size a state may have",
                       wrapped (open + repeated ("<a>", 100000) + repeated ("</a>", 100000) + close) });
    // 0xC0 0xBC is a '<' in an overlong UTF-8 form, which the framework's
    // decoder reads as a plain '<'.
    cases.push_back ({ "nested 100,000 deep in overlong UTF-8",
                       wrapped (open + repeated ("\xC0\xBC" "a>", 100000) + repeated ("\xC0\xBC/a>", 100000) + close) });
    cases.push_back ({ "an entity that expands into itself",
                       wrapped ("<!DOCTYPE VelthornState [<!ENTITY a \"&xa;\">]>"
                                "<VelthornState version=\"1\"><parameter id=\"mast\" value=\"&a;\"/></VelthornState>") });
    cases.push_back ({ "two megabytes", wrapped (open + "<padding text=\"" + std::string (2 << 20, 'x') + "\"/>" + close) });
    cases.push_back ({ "a hundred thousand elements", wrapped (open + repeated ("<a/>", 100000) + close) });

    // Only the terminating zero lost: the document is whole and is read.
    {
        auto processor = makeProcessor (2, 2, 48000.0, 64);
        processor->setStateInformation (good.getData(), static_cast<int> (good.getSize() - 1));
        auto source = makeProcessor (2, 2, 48000.0, 64);
        source->setStateInformation (good.getData(), static_cast<int> (good.getSize()));
        EXPECT_EQ (parameterValues (*processor), parameterValues (*source));
        EXPECT_NE (parameterValues (*processor), defaults (*processor));
    }

    for (const auto& c : cases)
    {
        auto processor = makeProcessor (2, 2, 48000.0, 64);
        setAwkwardValues (*processor, 11);
        run (*processor, makeInput (2, 64, 1), 2, { 64 });   // the engine takes them
        const auto before = parameterValues (*processor);
        ASSERT_EQ (engineValues (*processor), before);

        processor->setStateInformation (c.data.getData(), static_cast<int> (c.data.getSize()));

        EXPECT_EQ (parameterValues (*processor), before) << c.name << " (" << c.data.getSize() << " bytes)";
        EXPECT_EQ (engineValues (*processor), before) << c.name;
    }

    // A null pointer with a size, as a confused host might pass.
    auto processor = makeProcessor (2, 2, 48000.0, 64);
    const auto before = parameterValues (*processor);
    processor->setStateInformation (nullptr, 100);
    EXPECT_EQ (parameterValues (*processor), before);
}

TEST (PluginStateRestore, ReadableStatesAreCompletedClampedAndFiltered)
{
    using Values = std::map<std::string, float>;

    struct Case
    {
        const char* name;
        const char* xml;
        Values expected;   // ids not listed take their defaults
    };

    const Case cases[] {
        { "a newer version with fields this one does not know",
          "<VelthornState version=\"7\" colour=\"red\">"
          "<parameter id=\"mast\" value=\"0.25\" curve=\"log\"/>"
          "<parameter id=\"reverbMix\" value=\"0.5\"/>"
          "<preset name=\"x\"><parameter id=\"delTme\" value=\"0.9\"/></preset>"
          "<parameter id=\"wahOn\" value=\"1\"/></VelthornState>",
          { { "mast", 0.25f }, { "wahOn", 1.0f } } },
        { "only some values",
          "<VelthornState version=\"1\"><parameter id=\"ampLo\" value=\"0.125\"/></VelthornState>",
          { { "ampLo", 0.125f } } },
        { "no values at all", "<VelthornState version=\"1\"/>", {} },
        { "no version", "<VelthornState><parameter id=\"delAm\" value=\"0.75\"/></VelthornState>", { { "delAm", 0.75f } } },
        { "out of range",
          "<VelthornState version=\"1\"><parameter id=\"mast\" value=\"2.5\"/><parameter id=\"ampHi\" value=\"-3\"/>"
          "<parameter id=\"delOn\" value=\"7\"/><parameter id=\"ampOn\" value=\"0.7\"/>"
          "<parameter id=\"wahOn\" value=\"-1\"/></VelthornState>",
          { { "mast", 1.0f }, { "ampHi", 0.0f }, { "delOn", 1.0f }, { "ampOn", 0.0f }, { "wahOn", 0.0f } } },
        { "not numbers",
          "<VelthornState version=\"1\"><parameter id=\"mast\" value=\"loud\"/><parameter id=\"ampHi\" value=\"nan\"/>"
          "<parameter id=\"ampMid\" value=\"1e999\"/><parameter id=\"ampLo\" value=\"\"/><parameter id=\"delTme\"/>"
          "<parameter id=\"wahRes\" value=\"0.5x\"/><parameter value=\"0.1\"/></VelthornState>",
          {} },
        { "a newer version with many elements this one does not know",
          "<VelthornState version=\"9\">"
          "<preset name=\"a\"><b><c><d><e><f><g><h/></g></f></e></d></c></b></preset>"
          "<parameter id=\"delAm\" value=\"0.25\"/>"
          "<x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/>"
          "<x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/>"
          "<x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/>"
          "<x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/>"
          "<x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/><x/>"
          "<!-- a comment --><parameter id=\"ampLo\" value=\"0.75\"/></VelthornState>",
          { { "delAm", 0.25f }, { "ampLo", 0.75f } } },
        { "the same id twice: the last one counts",
          "<VelthornState version=\"1\"><parameter id=\"distFreq\" value=\"0.1\"/><parameter id=\"distFreq\" value=\"0.2\"/></VelthornState>",
          { { "distFreq", 0.2f } } },
    };

    for (const auto& c : cases)
    {
        auto processor = makeProcessor (2, 2, 48000.0, 64);
        setAwkwardValues (*processor, 13);

        const auto state = stateFrom (c.xml);
        ASSERT_GT (state.getSize(), 0u) << c.name;
        processor->setStateInformation (state.getData(), static_cast<int> (state.getSize()));

        auto expected = defaults (*processor);
        for (const auto& [id, value] : c.expected)
            expected[static_cast<size_t> (Table::positionForId (id.c_str()))] = value;

        EXPECT_EQ (parameterValues (*processor), expected) << c.name;
        EXPECT_EQ (engineValues (*processor), expected) << c.name;
    }
}

namespace
{
    void setQuality (VelthornProcessor& processor, int factor)
    {
        auto& quality = processor.getQualityParameter();
        quality.setValueNotifyingHost (quality.normalisedFor (factor));
    }
}

// A project saved at 4x opens at 4x: the parameter, the latency the host is
// told at once, and the sound.
TEST (PluginStateQuality, AProjectSavedAtAFactorOpensAtIt)
{
    for (const int factor : { 1, 2, 4, 8 })
    {
        auto source = makeProcessor (2, 2, 48000.0, 256);
        setAwkwardValues (*source, 3);
        setQuality (*source, factor);

        juce::MemoryBlock state;
        source->getStateInformation (state);

        auto restored = makeProcessor (2, 2, 48000.0, 256);
        setQuality (*restored, factor == 8 ? 2 : 8);
        restored->setStateInformation (state.getData(), static_cast<int> (state.getSize()));

        EXPECT_EQ (restored->getQualityParameter().getFactor(), factor);
        EXPECT_EQ (restored->getLatencySamples(), AudioMidiHandler::latencyForOversampling (factor));
        EXPECT_EQ (parameterValues (*restored), parameterValues (*source));

        // A fresh instance given the same values directly sounds the same.
        auto direct = makeProcessor (2, 2, 48000.0, 256);
        for (int position = 0; position < Table::numParameters; ++position)
            setFromHost (*direct, position, source->getHostParameters().engineValue (position));
        setQuality (*direct, factor);

        const auto input = makeInput (2, 4000, 9);
        const auto expected = run (*direct, input, 2, { 256 });
        const auto got = run (*restored, input, 2, { 256 });
        EXPECT_TRUE (bitIdentical (expected[0], got[0])) << factor;
    }
}

// A project from before the quality existed, or one whose quality is
// damaged, opens at 1x; one that is not a Velthorn state changes nothing.
TEST (PluginStateQuality, AStateWithoutAUsableQualityOpensAt1x)
{
    struct Case
    {
        const char* name;
        const char* qualityElement;   // inserted into a readable state
        int expected;
    };

    const Case cases[] {
        { "none: an older project", "", 1 },
        { "8", "<parameter id=\"quality\" value=\"8\"/>", 8 },
        { "2.0", "<parameter id=\"quality\" value=\"2.0\"/>", 2 },
        { "3", "<parameter id=\"quality\" value=\"3\"/>", 1 },
        { "16", "<parameter id=\"quality\" value=\"16\"/>", 1 },
        { "loud", "<parameter id=\"quality\" value=\"loud\"/>", 1 },
        { "nan", "<parameter id=\"quality\" value=\"nan\"/>", 1 },
        { "no value", "<parameter id=\"quality\"/>", 1 },
    };

    for (const auto& c : cases)
    {
        auto processor = makeProcessor (2, 2, 48000.0, 64);
        setQuality (*processor, 4);

        const auto state = stateFrom (juce::String ("<VelthornState version=\"1\"><parameter id=\"mast\" value=\"0.25\"/>")
                                      + c.qualityElement + "</VelthornState>");
        processor->setStateInformation (state.getData(), static_cast<int> (state.getSize()));

        EXPECT_EQ (processor->getQualityParameter().getFactor(), c.expected) << c.name;
        EXPECT_EQ (processor->getHostParameters().engineValue (Table::positionForId ("mast")), 0.25f) << c.name;
        EXPECT_EQ (processor->getLatencySamples(), AudioMidiHandler::latencyForOversampling (c.expected)) << c.name;
    }

    auto processor = makeProcessor (2, 2, 48000.0, 64);
    setQuality (*processor, 4);
    const auto foreign = stateFrom ("<SomethingElse><parameter id=\"quality\" value=\"8\"/></SomethingElse>");
    processor->setStateInformation (foreign.getData(), static_cast<int> (foreign.getSize()));
    EXPECT_EQ (processor->getQualityParameter().getFactor(), 4);
}

// The quality is one more parameter element, which a reader that does not
// know it passes over: the 17 values read as before.
TEST (PluginStateQuality, TheValuesReadTheSameWithTheQualityInTheState)
{
    PluginState::Values values {};
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = Table::entries()[i].isSwitch() ? static_cast<float> (i % 2) : 0.01f * static_cast<float> (i);

    const auto withQuality = PluginState::write (values, 8);
    const auto read = PluginState::read (withQuality.getData(), static_cast<int> (withQuality.getSize()), {});
    ASSERT_TRUE (read.has_value());
    EXPECT_EQ (*read, values);
    EXPECT_EQ (PluginState::readOversampling (withQuality.getData(), static_cast<int> (withQuality.getSize())), 8);

    const auto xml = juce::AudioProcessor::getXmlFromBinary (withQuality.getData(), static_cast<int> (withQuality.getSize()));
    ASSERT_NE (xml, nullptr);
    EXPECT_NE (xml->toString().indexOf ("<parameter id=\"quality\" value=\"8\"/>"), -1) << xml->toString();
}
