#pragma once

#include "EffectState.h"

// Fixed speaker-cabinet voicing after the amp: high-pass 80 Hz (q 0.1), a
// -11 dB dip at 932 Hz over three octaves, two low-passes at 3500 Hz (q 0.28),
// then +15 dB of make-up gain. Runs on cabHighPass, cabPeak, cabLowPass1 and
// cabLowPass2, redesigning all four on every call without touching history.
// Audio thread only.
float processCabinet (EffectState& state, float x);
