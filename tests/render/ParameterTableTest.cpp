#include "ParameterTable.h"

#include "AudioMidiHandler.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>

namespace
{
    // Every member of the engine's parameter block, by its own name, read as
    // a float. Written out here rather than taken from the table under test.
    const std::map<std::string, std::function<float (const AudioMidiHandler&)>>& engineMembers()
    {
        static const std::map<std::string, std::function<float (const AudioMidiHandler&)>> members {
            { "delTme",   [] (const AudioMidiHandler& e) { return e.snapshot().controls.delTme; } },
            { "delAm",    [] (const AudioMidiHandler& e) { return e.snapshot().controls.delAm; } },
            { "delOn",    [] (const AudioMidiHandler& e) { return static_cast<float> (e.snapshot().controls.delOn); } },
            { "wahFreq",  [] (const AudioMidiHandler& e) { return e.snapshot().controls.wahFreq; } },
            { "wahRes",   [] (const AudioMidiHandler& e) { return e.snapshot().controls.wahRes; } },
            { "wahGain",  [] (const AudioMidiHandler& e) { return e.snapshot().controls.wahGain; } },
            { "wahOn",    [] (const AudioMidiHandler& e) { return static_cast<float> (e.snapshot().controls.wahOn); } },
            { "distGain", [] (const AudioMidiHandler& e) { return e.snapshot().controls.distGain; } },
            { "distFreq", [] (const AudioMidiHandler& e) { return e.snapshot().controls.distFreq; } },
            { "distOn",   [] (const AudioMidiHandler& e) { return static_cast<float> (e.snapshot().controls.distOn); } },
            { "ampDrv",   [] (const AudioMidiHandler& e) { return e.snapshot().controls.ampDrv; } },
            { "ampLo",    [] (const AudioMidiHandler& e) { return e.snapshot().controls.ampLo; } },
            { "ampMid",   [] (const AudioMidiHandler& e) { return e.snapshot().controls.ampMid; } },
            { "ampHi",    [] (const AudioMidiHandler& e) { return e.snapshot().controls.ampHi; } },
            { "ampOn",    [] (const AudioMidiHandler& e) { return static_cast<float> (e.snapshot().controls.ampOn); } },
            { "mast",     [] (const AudioMidiHandler& e) { return e.snapshot().controls.mast; } },
            { "mastOn",   [] (const AudioMidiHandler& e) { return static_cast<float> (e.snapshot().controls.mastOn); } },
        };

        return members;
    }

    TEST (ParameterTable, NamesEveryEngineParameterOnceAndNothingElse)
    {
        std::set<std::string> names;
        std::set<int> indices;

        for (const auto& entry : ParameterTable::entries())
        {
            EXPECT_TRUE (names.insert (entry.name).second) << entry.name;
            EXPECT_TRUE (indices.insert (entry.index).second) << entry.index;
            EXPECT_EQ (engineMembers().count (entry.name), 1u) << entry.name;
        }

        EXPECT_EQ (names.size(), engineMembers().size());
        EXPECT_EQ (indices.count (16), 0u);
    }

    TEST (ParameterTable, EachIndexWritesTheMemberOfThatNameAndNoOther)
    {
        for (const auto& entry : ParameterTable::entries())
        {
            AudioMidiHandler engine;
            std::map<std::string, float> before;

            for (const auto& [name, read] : engineMembers())
                before[name] = read (engine);

            // A value no member starts with: 1 turns a switch on, or off
            // when it starts on, so use 0 for those.
            const bool isSwitch = entry.kind == ParameterTable::Kind::onOff;
            const float value = isSwitch ? (before[entry.name] == 0.0f ? 1.0f : 0.0f) : 0.123f;
            engine.setParameter (entry.index, value);

            for (const auto& [name, read] : engineMembers())
            {
                if (name == entry.name)
                    EXPECT_EQ (read (engine), value) << name;
                else
                    EXPECT_EQ (read (engine), before[name]) << entry.name << " also changed " << name;
            }
        }
    }

    TEST (ParameterTable, SwitchesAreTheOnesStoredAsIntegers)
    {
        const std::set<std::string> switches { "delOn", "wahOn", "distOn", "ampOn", "mastOn" };

        for (const auto& entry : ParameterTable::entries())
            EXPECT_EQ (entry.kind == ParameterTable::Kind::onOff, switches.count (entry.name) == 1) << entry.name;
    }

    TEST (ParameterTable, FindIsExactAndCaseSensitive)
    {
        ASSERT_NE (ParameterTable::find ("distGain"), nullptr);
        EXPECT_EQ (ParameterTable::find ("distGain")->index, 7);
        EXPECT_EQ (ParameterTable::find ("distgain"), nullptr);
        EXPECT_EQ (ParameterTable::find ("distGain "), nullptr);
        EXPECT_EQ (ParameterTable::find (""), nullptr);
        EXPECT_EQ (ParameterTable::find ("peakLevel"), nullptr);
    }

    struct ValueCase
    {
        ParameterTable::Kind kind;
        double value;
        bool allowed;
    };

    void PrintTo (const ValueCase& c, std::ostream* os)
    {
        *os << (c.kind == ParameterTable::Kind::onOff ? "switch " : "continuous ") << c.value;
    }

    class ParameterValues : public ::testing::TestWithParam<ValueCase>
    {
    };

    TEST_P (ParameterValues, AreCheckedByKind)
    {
        EXPECT_EQ (ParameterTable::isAllowed (GetParam().kind, GetParam().value), GetParam().allowed) << GetParam().value;
    }

    using Kind = ParameterTable::Kind;

    INSTANTIATE_TEST_SUITE_P (
        Table, ParameterValues,
        ::testing::Values (ValueCase { Kind::continuous, 0.0, true },
                           ValueCase { Kind::continuous, 0.5, true },
                           ValueCase { Kind::continuous, 1.0, true },
                           ValueCase { Kind::continuous, -0.0001, false },
                           ValueCase { Kind::continuous, 1.0001, false },
                           ValueCase { Kind::continuous, std::numeric_limits<double>::quiet_NaN(), false },
                           ValueCase { Kind::continuous, std::numeric_limits<double>::infinity(), false },
                           ValueCase { Kind::onOff, 0.0, true },
                           ValueCase { Kind::onOff, 1.0, true },
                           ValueCase { Kind::onOff, 0.5, false },
                           ValueCase { Kind::onOff, 0.99, false },
                           ValueCase { Kind::onOff, 2.0, false },
                           ValueCase { Kind::onOff, -1.0, false }));
}
