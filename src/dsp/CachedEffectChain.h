#pragma once

#include "CachedBiquad.h"
#include "CachedDecibelGain.h"
#include "CachedFourPole.h"
#include "EffectState.h"

// The chain's slots with every design and gain remembered between samples.
// Each function takes what the matching function of EffectSlots.h takes, maps
// it the same way and returns the same bits, and leaves the EffectState it
// runs on exactly as the literal slots would leave it (coefficients, history,
// delay memory and position) — but a filter is only redesigned, and a gain
// only recomputed, when its inputs differ from the last sample's by bit
// pattern. The cabinet's designs never change, so it is designed once; the
// tone stack and the wah follow their knobs.
//
// One CachedEffectChain belongs to one EffectState for its whole life: it is
// made right after the state and destroyed with it, so a device restart begins
// with fresh filters and empty caches together. The state's filters must not
// be designed by anything else meanwhile (the caches would no longer describe
// them).
//
// Created and destroyed on the message thread while no audio callback runs;
// used by the audio thread only.
class CachedEffectChain final
{
public:
    // Message thread (with the EffectState it will run on).
    explicit CachedEffectChain (EffectState& state);

    // Audio thread only. The slots, to be called in the chain's order while
    // their switch is on; a slot that is not called leaves its state frozen.
    float processWahSlot (float sample, float wahFreq, float wahRes, float wahGain);
    // Audio thread only.
    float processDistortionSlot (float sample, float distGain, float distFreq);
    // Audio thread only. Amp stage then cabinet.
    float processAmpSlot (float sample, float ampDrv, float ampLo, float ampMid, float ampHi);
    // Audio thread only.
    float processDelaySlot (float sample, float delTme, float delAm);
    // Audio thread only. Output level: 100 * mast - 60 dB.
    float applyOutputLevel (float sample, float mast);

    // Any thread that owns the chain: the state it runs on.
    EffectState& getState() const noexcept { return state; }

private:
    void designCabinet();

    EffectState& state;

    CachedFourPole wah;
    CachedFourPole distortion;
    CachedBiquad lowShelf;
    CachedBiquad midPeak;
    CachedBiquad highShelf;
    CachedBiquad cabHighPass;
    CachedBiquad cabPeak;
    CachedBiquad cabLowPass1;
    CachedBiquad cabLowPass2;
    bool cabinetDesigned = false;

    CachedDecibelGain distortionGain;
    CachedDecibelGain driveGain;
    CachedDecibelGain outputGain;
    const double cabinetMakeUpGain;
};
