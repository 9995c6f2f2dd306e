#pragma once

#include "EffectState.h"

// Feedback echo over the state's one-second delayBuffer: returns x plus the
// value stored one loop length ago and stores that sum scaled by amount, so
// each echo is amount times the previous one. The loop spans
// floor (sampleRate * delayTime) positions (at least one); delayTime above 1
// counts as 1. The index never leaves the buffer, whatever delayTime is.
// Audio thread only.
float processDelay (EffectState& state, float x, float delayTime, float amount);
