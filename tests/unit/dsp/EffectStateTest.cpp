#include "EffectState.h"
#include "EffectStateBits.h"

#include <gtest/gtest.h>

#include <vector>

TEST (EffectState, StartsWithOneSecondOfSilenceAndZeroedFilters)
{
    EffectState state (44100);
    EXPECT_EQ (state.sampleRate, 44100);
    EXPECT_EQ (state.delayWriteIndex, 0);
    for (int i = 0; i < 44100; ++i)
        ASSERT_EQ (state.delayBuffer[i], 0.0f) << i;

    for (const BiquadSection* section : { &state.cabHighPass, &state.cabLowPass1, &state.cabLowPass2, &state.cabPeak,
                                          &state.ampLowShelf, &state.ampPeak, &state.ampHighShelf })
    {
        EXPECT_EQ (section->sampleRate, 44100);
        for (float v : { section->a0, section->a1, section->a2, section->b0, section->b1, section->b2,
                         section->y0, section->y1, section->y2, section->x0, section->x1, section->x2 })
            EXPECT_EQ (v, 0.0f);
    }

    for (const FourPoleFilter* filter : { &state.wahFilter, &state.distFilter })
    {
        EXPECT_EQ (filter->sampleRate, 44100);
        for (float v : { filter->y0, filter->y1, filter->y2, filter->y3, filter->y4, filter->x0, filter->x1,
                         filter->x2, filter->c1, filter->c2, filter->c3, filter->c4, filter->b, filter->norm })
            EXPECT_EQ (v, 0.0f);
    }
}

TEST (EffectState, OversampledTheDelayAndTheBiquadsRunFasterAndTheFourPolesAreCopies)
{
    EffectState state (44100, 4);
    EXPECT_EQ (state.sampleRate, 4 * 44100);
    EXPECT_EQ (state.oversampling, 4);
    for (int i = 0; i < 4 * 44100; ++i)
        ASSERT_EQ (state.delayBuffer[i], 0.0f) << i;

    for (const BiquadSection* section : { &state.cabHighPass, &state.cabLowPass1, &state.cabLowPass2, &state.cabPeak,
                                          &state.ampLowShelf, &state.ampPeak, &state.ampHighShelf })
        EXPECT_EQ (section->sampleRate, 4 * 44100);

    ASSERT_EQ (state.wahPhases.size(), 3u);
    ASSERT_EQ (state.distPhases.size(), 3u);
    for (const auto* phases : { &state.wahPhases, &state.distPhases })
        for (const auto& filter : *phases)
            EXPECT_EQ (filter.sampleRate, 44100);
    EXPECT_EQ (state.wahFilter.sampleRate, 44100);
    EXPECT_EQ (state.distFilter.sampleRate, 44100);

    EXPECT_TRUE (EffectState (48000).wahPhases.empty());
}

TEST (EffectState, RestartGivesTheStateAsMade)
{
    for (const int oversampling : { 1, 2, 8 })
    {
        EffectState used (48000, oversampling);
        const EffectState fresh (48000, oversampling);

        // Run every filter and the delay, so that nothing is as made.
        std::vector<FourPoleFilter*> fourPoles { &used.wahFilter, &used.distFilter };
        for (auto* phases : { &used.wahPhases, &used.distPhases })
            for (auto& filter : *phases)
                fourPoles.push_back (&filter);
        for (auto* filter : fourPoles)
        {
            filter->setParameters (800.0f, 10.0f, 0.2f);
            filter->process (0.3f);
        }
        for (BiquadSection* section : { &used.cabHighPass, &used.cabLowPass1, &used.cabLowPass2, &used.cabPeak,
                                        &used.ampLowShelf, &used.ampPeak, &used.ampHighShelf })
        {
            section->setPeak (1000.0f, 1.0f, 6.0f);
            section->process (0.5f);
        }
        used.delayBuffer[12345] = 0.25f;
        used.delayWriteIndex = 777;

        used.restart();

        EXPECT_EQ (effect_state_bits::firstDifference (fresh, used), "") << oversampling;
    }
}
