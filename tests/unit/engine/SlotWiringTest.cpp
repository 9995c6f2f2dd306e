#include "EffectSlots.h"
#include "EngineHarness.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace
{
    struct Slot
    {
        const char* name;
        int switchIndex;
        std::function<float (EffectState&, float)> run;   // the slot at the engine's default parameters
    };

    // Defaults of the parameter block, with a short delay so echoes show up quickly.
    const std::vector<Slot>& slots()
    {
        static const std::vector<Slot> table {
            { "wah", 6, [] (EffectState& s, float x) { return processWahSlot (s, x, 1.0f, 0.3f, 0.7f); } },
            { "distortion", 9, [] (EffectState& s, float x) { return processDistortionSlot (s, x, 0.6f, 0.4f); } },
            { "amp", 14, [] (EffectState& s, float x) { return processAmpSlot (s, x, 0.7f, 0.5f, 0.5f, 0.5f); } },
            { "delay", 2, [] (EffectState& s, float x) { return processDelaySlot (s, x, 0.005f, 0.5f); } },
        };
        return table;
    }

    void onlySlot (AudioMidiHandler& engine, int switchIndex)
    {
        for (int index : { 2, 6, 9, 14 })
            engine.setParameter (index, index == switchIndex ? 1.0f : 0.0f);
        engine.setParameter (0, 0.005f);
    }

    // On for 300 samples, off for 500, on again for 700.
    bool slotOnAt (size_t j) { return j < 300 || j >= 800; }
}

TEST (SlotWiring, ASwitchedOffSlotIsFrozenAndResumesWhereItStopped)
{
    const auto in = noise (1500, 21);

    for (const auto& slot : slots())
    {
        EngineHarness h;
        onlySlot (h.engine, slot.switchIndex);

        // The reference runs the slot on its own state only for the samples
        // where the switch is on: exactly what freezing means.
        EffectState reference (44100);

        for (size_t j = 0; j < in.size(); ++j)
        {
            h.engine.setParameter (slot.switchIndex, slotOnAt (j) ? 1.0f : 0.0f);
            const float got = h.step (in[j]);
            const float dry = slotOnAt (j) ? slot.run (reference, in[j]) : in[j];
            ASSERT_EQ (got, applyOutputLevel (dry, 0.6f)) << slot.name << " at sample " << j;
        }
    }
}

TEST (SlotWiring, TheMasterSwitchFreezesEverySlot)
{
    const auto in = noise (1500, 22);
    EngineHarness h;
    for (int index : { 2, 6, 9, 14 })
        h.engine.setParameter (index, 1.0f);
    h.engine.setParameter (0, 0.005f);

    EffectState reference (44100);
    for (size_t j = 0; j < in.size(); ++j)
    {
        h.engine.setParameter (17, slotOnAt (j) ? 1.0f : 0.0f);
        const float got = h.step (in[j]);

        float expected = in[j];
        if (slotOnAt (j))
        {
            for (const auto& slot : slots())   // wah, distortion, amp, delay: the chain's order
                expected = slot.run (reference, expected);
            expected = applyOutputLevel (expected, 0.6f);
        }
        ASSERT_EQ (got, expected) << "sample " << j;
    }
}

TEST (SlotWiring, TheDelayReplaysEchoesStoredBeforeItWasSwitchedOff)
{
    EngineHarness h (1000.0, 64);
    onlySlot (h.engine, 2);
    h.engine.setParameter (0, 0.1f);   // 100-sample loop
    h.engine.setParameter (1, 0.5f);

    h.step (1.0f);
    for (int j = 1; j < 40; ++j)
        h.step (0.0f);

    h.engine.setParameter (2, 0.0f);
    for (int j = 0; j < 1000; ++j)
        ASSERT_EQ (h.step (0.0f), 0.0f);

    h.engine.setParameter (2, 1.0f);
    std::vector<float> out;
    for (int j = 0; j < 100; ++j)
        out.push_back (h.step (0.0f));

    // 40 positions were used before the pause, so the echo is 60 samples on.
    EXPECT_FLOAT_EQ (out[60], 0.5f * 1.0000002f);
    for (int j = 0; j < 100; ++j)
        if (j != 60)
            EXPECT_EQ (out[static_cast<size_t> (j)], 0.0f) << j;
}

TEST (SlotWiring, ConstantInputSettles)
{
    struct Case { const char* name; int switchIndex; float settlesTo; };
    const float input = 0.01f;
    const Case cases[] = {
        { "wah decays to the dry value", 6, applyOutputLevel (input, 0.6f) },
        { "amp and cabinet decay to silence", 14, 0.0f },
    };

    for (const auto& c : cases)
    {
        EngineHarness h;
        onlySlot (h.engine, c.switchIndex);
        const auto out = h.run ({ std::vector<float> (3 * 44100, input) }, 1)[0];
        EXPECT_NEAR (out.back(), c.settlesTo, 1.0e-6f) << c.name;
        EXPECT_NE (out.front(), out.back()) << c.name << ": the slot must do something first";
    }
}
