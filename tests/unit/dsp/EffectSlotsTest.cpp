#include "AmpStage.h"
#include "CabinetStage.h"
#include "DelayLine.h"
#include "DistortionStage.h"
#include "EffectSlots.h"
#include "WahStage.h"

#include "DesignExpectations.h"

#include <gtest/gtest.h>

#include <random>

namespace
{
    void expectSameDesign (const FourPoleFilter& actual, const FourPoleFilter& expected)
    {
        EXPECT_EQ (actual.c1, expected.c1);
        EXPECT_EQ (actual.c2, expected.c2);
        EXPECT_EQ (actual.c3, expected.c3);
        EXPECT_EQ (actual.c4, expected.c4);
        EXPECT_EQ (actual.b, expected.b);
        EXPECT_EQ (actual.norm, expected.norm);
    }
}

TEST (WahSlot, FirstOutputAtTheInitialSettings)
{
    EffectState state (44100);
    EXPECT_NEAR (processWahSlot (state, 1.0f, 1.0f, 0.3f, 0.7f), 1.13380, 0.000005);
}

TEST (WahSlot, MapsFrequencyWithAFloorAndGainInDouble)
{
    struct Case
    {
        float wahFreq, wahGain, frequency, gainDb;
    };

    // wahGain 0.7 gives 15.999999 dB: 80 * 0.7f - 40 rounded once, where float
    // arithmetic would round 56 first and give exactly 16.
    for (const Case& c : { Case { 1.0f, 0.7f, 1150.0f, 15.999999f }, Case { 0.0f, 0.0f, 150.0f, -40.0f },
                           Case { 0.5f, 1.0f, 650.0f, 40.0f }, Case { -0.1f, 0.5f, 100.0f, 0.0f },
                           Case { -0.3f, 0.5f, 100.0f, 0.0f } })
    {
        EffectState state (44100);
        processWahSlot (state, 0.5f, c.wahFreq, 0.3f, c.wahGain);

        FourPoleFilter expected (44100);
        expected.setParameters (c.frequency, c.gainDb, 0.3f);
        SCOPED_TRACE (c.wahFreq);
        expectSameDesign (state.wahFilter, expected);
    }
}

TEST (WahSlot, ConstantInputSettlesToTheDryValue)
{
    EffectState state (44100);
    float out = 0.0f;
    for (int n = 0; n < 44100; ++n)
        out = processWahSlot (state, 0.5f, 1.0f, 0.3f, 0.7f);
    EXPECT_FLOAT_EQ (out, 0.5f);
}

TEST (DistortionSlot, FirstSmallInputAtTheInitialSettings)
{
    EffectState state (44100);
    EXPECT_NEAR (processDistortionSlot (state, 0.0001f, 0.6f, 0.4f), 0.0389115, 0.00000005);

    FourPoleFilter expected (44100);
    expected.setParameters (900.0f, 35.0f, 0.75f);
    expectSameDesign (state.distFilter, expected);
}

TEST (DistortionSlot, MapsGainAndFrequency)
{
    struct Case
    {
        float distGain, distFreq, gainDb, frequency;
    };

    for (const Case& c : { Case { 0.6f, 0.4f, 48.0f, 900.0f }, Case { 0.0f, 0.0f, 0.0f, 300.0f },
                           Case { 1.0f, 1.0f, 80.0f, 1800.0f }, Case { 0.25f, 0.5f, 20.0f, 1050.0f } })
    {
        EffectState viaSlot (44100), direct (44100);
        std::mt19937 rng (3u);
        std::uniform_real_distribution<float> dist (-0.01f, 0.01f);
        for (int n = 0; n < 64; ++n)
        {
            const float x = dist (rng);
            ASSERT_EQ (processDistortionSlot (viaSlot, x, c.distGain, c.distFreq),
                       processDistortion (direct, x, c.gainDb, c.frequency))
                << c.distGain << " " << n;
        }
    }
}

TEST (AmpSlot, MapsDriveAndToneAndRunsTheCabinetAfterTheAmp)
{
    struct Case
    {
        float ampDrv, ampLo, ampMid, ampHi;
        float driveDb, lowDb, midDb, highDb;
    };

    // ampLo 0.7 gives 7.9999995 dB: 40 * 0.7f - 20 rounded once; float
    // arithmetic would round 28 first and give exactly 8.
    for (const Case& c : { Case { 0.7f, 0.5f, 0.5f, 0.5f, 28.0f, 0.0f, 0.0f, 0.0f },
                           Case { 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, -20.0f, -20.0f, -20.0f },
                           Case { 1.0f, 1.0f, 1.0f, 1.0f, 40.0f, 20.0f, 20.0f, 20.0f },
                           Case { 0.25f, 0.7f, 0.375f, 0.625f, 10.0f, 7.9999995f, -5.0f, 5.0f } })
    {
        EffectState viaSlot (44100), direct (44100);
        std::mt19937 rng (17u);
        std::uniform_real_distribution<float> dist (-0.05f, 0.05f);
        for (int n = 0; n < 64; ++n)
        {
            const float x = dist (rng);
            const float expected = processCabinet (direct, processAmp (direct, x, c.driveDb, c.lowDb, c.midDb, c.highDb));
            ASSERT_EQ (processAmpSlot (viaSlot, x, c.ampDrv, c.ampLo, c.ampMid, c.ampHi), expected) << c.ampDrv << " " << n;
        }
        SCOPED_TRACE (c.ampLo);
        expectSameDesign (viaSlot.ampLowShelf, direct.ampLowShelf);
        expectSameDesign (viaSlot.ampPeak, direct.ampPeak);
        expectSameDesign (viaSlot.ampHighShelf, direct.ampHighShelf);
    }
}

TEST (DelaySlot, PassesTimeAndAmountUnchanged)
{
    EffectState viaSlot (44100), direct (44100);
    std::mt19937 rng (23u);
    std::uniform_real_distribution<float> dist (-1.0f, 1.0f);
    for (int n = 0; n < 5000; ++n)
    {
        const float x = dist (rng);
        ASSERT_EQ (processDelaySlot (viaSlot, x, 0.05f, 0.6f), processDelay (direct, x, 0.05f, 0.6f)) << n;
    }
    EXPECT_EQ (viaSlot.delayWriteIndex, direct.delayWriteIndex);
}

TEST (DelaySlot, ImpulseAtTheInitialSettings)
{
    EffectState state (44100);
    EXPECT_EQ (processDelaySlot (state, 1.0f, 0.5f, 0.5f), 1.0f);
    for (int n = 1; n < 22050; ++n)
        ASSERT_EQ (processDelaySlot (state, 0.0f, 0.5f, 0.5f), 0.0f) << n;
    EXPECT_EQ (processDelaySlot (state, 0.0f, 0.5f, 0.5f), 0.5f);
}
