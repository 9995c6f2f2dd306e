#pragma once

#include "EffectState.h"

// High-gain overdrive: the sample raised by gainDb, plus a resonant band-pass
// copy of it from distFilter (35 dB, damping 0.75, centred on frequency in Hz),
// hard-limited by the soft clipper at 0.2, so the output never exceeds 0.2 in
// magnitude. distFilter is redesigned on every call; its history is kept.
// Audio thread only.
float processDistortion (EffectState& state, float x, float gainDb, float frequency);
