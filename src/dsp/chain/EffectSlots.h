#pragma once

#include "EffectState.h"

// The chain's slots as the audio callback runs them: each takes the sample and
// the slot's parameters as stored in the engine (normalised 0..1), maps them to
// physical units and returns the slot's output. Each is called only while its
// switch is on; a slot that is not called leaves its state frozen.
//
// Audio thread only.
float processWahSlot (EffectState& state, float sample, float wahFreq, float wahRes, float wahGain);
float processDistortionSlot (EffectState& state, float sample, float distGain, float distFreq);
float processAmpSlot (EffectState& state, float sample, float ampDrv, float ampLo, float ampMid, float ampHi);
float processDelaySlot (EffectState& state, float sample, float delTme, float delAm);

// Output level: 100 * mast - 60 dB; mast 0.6 is 0 dB, 1 is +40 dB.
float applyOutputLevel (float sample, float mast);
