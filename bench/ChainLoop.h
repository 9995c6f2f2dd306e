#pragma once

#include "BenchScenarios.h"
#include "CachedEffectChain.h"
#include "EffectSlots.h"
#include "EffectState.h"

#include <atomic>
#include <vector>

// The chain as the audio callback runs it, without the mix-down and fan-out,
// the parameter block read afresh for every sample (relaxed atomics).
//
// runChain is the callback's literal per-sample body: the slots whose switch
// is on in the chain's order, then the output level. It drives either the
// literal slots or the cached chain's slot functions, so the two compare the
// slots and nothing else. runChainInBlocks is what the engine does now: the
// parameter block read for each sample of the block, then the cached chain's
// pipelined processBlock.
namespace velthorn::bench
{
    // The literal slots: every design computed afresh for every sample.
    struct LiteralSlots final
    {
        EffectState& state;

        float wah (float s, float f, float r, float g) { return processWahSlot (state, s, f, r, g); }
        float distortion (float s, float g, float f) { return processDistortionSlot (state, s, g, f); }
        float amp (float s, float d, float l, float m, float h) { return processAmpSlot (state, s, d, l, m, h); }
        float delay (float s, float t, float a) { return processDelaySlot (state, s, t, a); }
        float output (float s, float mast) { return applyOutputLevel (s, mast); }
    };

    // The cached chain the engine runs.
    struct CachedSlots final
    {
        CachedEffectChain& chain;

        float wah (float s, float f, float r, float g) { return chain.processWahSlot (s, f, r, g); }
        float distortion (float s, float g, float f) { return chain.processDistortionSlot (s, g, f); }
        float amp (float s, float d, float l, float m, float h) { return chain.processAmpSlot (s, d, l, m, h); }
        float delay (float s, float t, float a) { return chain.processDelaySlot (s, t, a); }
        float output (float s, float mast) { return chain.applyOutputLevel (s, mast); }
    };

    // Runs n samples of mono in place. Motion (if any) moves the parameters
    // before every sample, as another thread writing the block would.
    template <typename Slots, typename Motion>
    inline void runChain (ParameterBlock& p, Slots& slots, Motion& motion, float* mono, int n)
    {
        constexpr auto relaxed = std::memory_order_relaxed;

        for (int j = 0; j < n; ++j)
        {
            motion.step (p);

            if (p.mastOn.load (relaxed) != 0)
            {
                float s = mono[j];
                if (p.wahOn.load (relaxed) != 0)
                    s = slots.wah (s, p.wahFreq.load (relaxed), p.wahRes.load (relaxed), p.wahGain.load (relaxed));
                if (p.distOn.load (relaxed) != 0)
                    s = slots.distortion (s, p.distGain.load (relaxed), p.distFreq.load (relaxed));
                if (p.ampOn.load (relaxed) != 0)
                    s = slots.amp (s, p.ampDrv.load (relaxed), p.ampLo.load (relaxed), p.ampMid.load (relaxed),
                                   p.ampHi.load (relaxed));
                if (p.delOn.load (relaxed) != 0)
                    s = slots.delay (s, p.delTme.load (relaxed), p.delAm.load (relaxed));
                mono[j] = slots.output (s, p.mast.load (relaxed));
            }
        }
    }

    template <typename Motion>
    inline void runChainInBlocks (ParameterBlock& p, CachedEffectChain& chain, std::vector<ChainSettings>& settings,
                                  Motion& motion, float* mono, int n)
    {
        constexpr auto relaxed = std::memory_order_relaxed;

        for (int j = 0; j < n; ++j)
        {
            motion.step (p);

            ChainSettings& s = settings[static_cast<size_t> (j)];
            s.mastOn = p.mastOn.load (relaxed);
            s.wahOn = p.wahOn.load (relaxed);
            s.wahFreq = p.wahFreq.load (relaxed);
            s.wahRes = p.wahRes.load (relaxed);
            s.wahGain = p.wahGain.load (relaxed);
            s.distOn = p.distOn.load (relaxed);
            s.distGain = p.distGain.load (relaxed);
            s.distFreq = p.distFreq.load (relaxed);
            s.ampOn = p.ampOn.load (relaxed);
            s.ampDrv = p.ampDrv.load (relaxed);
            s.ampLo = p.ampLo.load (relaxed);
            s.ampMid = p.ampMid.load (relaxed);
            s.ampHi = p.ampHi.load (relaxed);
            s.delOn = p.delOn.load (relaxed);
            s.delTme = p.delTme.load (relaxed);
            s.delAm = p.delAm.load (relaxed);
            s.mast = p.mast.load (relaxed);
        }

        chain.processBlock (mono, settings.data(), n);
    }
}
