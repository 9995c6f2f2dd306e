#pragma once

#include "EffectState.h"

// Wah: the dry sample plus the output of wahFilter, a resonant four-pole
// band-pass centred on frequency (Hz) with gainDb of gain and the given
// damping. The filter is redesigned on every call, keeping its history, so
// moving the frequency sweeps the peak smoothly.
// Audio thread only.
float processWah (EffectState& state, float x, float frequency, float gainDb, float damping);
