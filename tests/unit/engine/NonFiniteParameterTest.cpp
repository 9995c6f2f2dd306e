// Values no control delivers, given to setParameter for each of the 17
// parameters: NaN, infinities and values far outside 0..1, as a host's broken
// automation or a caller's bug would give. A NaN must leave the parameter as
// it was; anything else is clamped into the range (a switch is on from 1).
// Either way the output stays finite, and once a sound value arrives the
// engine plays exactly as one that never saw the bad value.

#include "EngineHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

namespace
{
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float infinity = std::numeric_limits<float>::infinity();
    constexpr float largest = std::numeric_limits<float>::max();

    struct Parameter
    {
        int index;
        const char* name;
        bool isSwitch;
    };

    const Parameter parameters[] = {
        { 0, "delTme", false },   { 1, "delAm", false },    { 2, "delOn", true },     { 3, "wahFreq", false },
        { 4, "wahRes", false },   { 5, "wahGain", false },  { 6, "wahOn", true },     { 7, "distGain", false },
        { 8, "distFreq", false }, { 9, "distOn", true },    { 10, "ampDrv", false },  { 11, "ampLo", false },
        { 12, "ampMid", false },  { 13, "ampHi", false },   { 14, "ampOn", true },    { 15, "mast", false },
        { 17, "mastOn", true },
    };

    struct BadValue
    {
        const char* name;
        float value;
        std::optional<float> storedAs;   // none: the parameter keeps its value
    };

    const BadValue badValues[] = {
        { "NaN", nan, std::nullopt },
        { "negative NaN", -nan, std::nullopt },
        { "+Inf", infinity, 1.0f },
        { "-Inf", -infinity, 0.0f },
        { "the largest float", largest, 1.0f },
        { "the lowest float", -largest, 0.0f },
        { "1e30", 1.0e30f, 1.0f },
        { "-3", -3.0f, 0.0f },
        { "1.5", 1.5f, 1.0f },
    };

    // The value the engine holds for an index, a switch as 0 or 1 (or
    // whatever integer it stored).
    float storedValue (const AudioMidiHandler& e, int index)
    {
        switch (index)
        {
            case 0: return e.snapshot().controls.delTme;
            case 1: return e.snapshot().controls.delAm;
            case 2: return static_cast<float> (e.snapshot().controls.delOn);
            case 3: return e.snapshot().controls.wahFreq;
            case 4: return e.snapshot().controls.wahRes;
            case 5: return e.snapshot().controls.wahGain;
            case 6: return static_cast<float> (e.snapshot().controls.wahOn);
            case 7: return e.snapshot().controls.distGain;
            case 8: return e.snapshot().controls.distFreq;
            case 9: return static_cast<float> (e.snapshot().controls.distOn);
            case 10: return e.snapshot().controls.ampDrv;
            case 11: return e.snapshot().controls.ampLo;
            case 12: return e.snapshot().controls.ampMid;
            case 13: return e.snapshot().controls.ampHi;
            case 14: return static_cast<float> (e.snapshot().controls.ampOn);
            case 15: return e.snapshot().controls.mast;
            case 17: return static_cast<float> (e.snapshot().controls.mastOn);
            default: return nan;
        }
    }

    // Every slot on with a short echo loop, so whatever reaches a filter's
    // or the delay's memory comes back quickly and keeps coming back.
    void configure (AudioMidiHandler& e)
    {
        for (int index : { 2, 6, 9, 14, 17 })
            e.setParameter (index, 1.0f);

        const float knobs[][2] = { { 0, 0.01f }, { 1, 0.6f }, { 3, 0.4f }, { 4, 0.3f }, { 5, 0.7f },
                                   { 7, 0.5f }, { 8, 0.4f }, { 10, 0.6f }, { 11, 0.4f }, { 12, 0.6f },
                                   { 13, 0.5f }, { 15, 0.55f } };
        for (const auto& knob : knobs)
            e.setParameter (static_cast<int> (knob[0]), knob[1]);
    }

    ::testing::AssertionResult finiteAndEqual (const std::vector<std::vector<float>>& actual,
                                               const std::vector<std::vector<float>>& expected)
    {
        for (size_t channel = 0; channel < actual.size(); ++channel)
            for (size_t j = 0; j < actual[channel].size(); ++j)
            {
                const float a = actual[channel][j], e = expected[channel][j];

                if (! std::isfinite (a))
                    return ::testing::AssertionFailure() << "sample " << j << " of output " << channel << " is " << a;

                if (a != e)
                    return ::testing::AssertionFailure() << "sample " << j << " of output " << channel << " is " << a
                                                         << ", an engine given the stored value plays " << e;
            }

        return ::testing::AssertionSuccess();
    }
}

TEST (EngineParameters, ANaNChangesNothingAndOtherBadValuesAreClampedForEveryParameter)
{
    constexpr int blockLength = 1500;

    for (const auto& parameter : parameters)
        for (const auto& bad : badValues)
        {
            const auto where = std::string (parameter.name) + " set to " + bad.name;

            // `hit` gets the bad value; `twin` gets what the engine should
            // make of it, or nothing for a NaN.
            EngineHarness hit (48000.0, 256), twin (48000.0, 256);
            configure (hit.engine);
            configure (twin.engine);

            const auto before = hit.run ({ noise (blockLength, 1), noise (blockLength, 2) });
            ASSERT_TRUE (finiteAndEqual (before, twin.run ({ noise (blockLength, 1), noise (blockLength, 2) }))) << where;

            const float kept = storedValue (hit.engine, parameter.index);
            hit.engine.setParameter (parameter.index, bad.value);

            if (bad.storedAs.has_value())
                twin.engine.setParameter (parameter.index, *bad.storedAs);

            EXPECT_EQ (storedValue (hit.engine, parameter.index), bad.storedAs.value_or (kept)) << where;

            const auto during = hit.run ({ noise (blockLength, 3), noise (blockLength, 4) });
            EXPECT_TRUE (finiteAndEqual (during, twin.run ({ noise (blockLength, 3), noise (blockLength, 4) }))) << where;

            // A sound value afterwards: the engine plays as if nothing had happened.
            const float recovery = parameter.isSwitch ? 1.0f : 0.45f;
            hit.engine.setParameter (parameter.index, recovery);
            twin.engine.setParameter (parameter.index, recovery);

            const auto after = hit.run ({ noise (blockLength, 5), noise (blockLength, 6) });
            EXPECT_TRUE (finiteAndEqual (after, twin.run ({ noise (blockLength, 5), noise (blockLength, 6) }))) << where;
        }
}
