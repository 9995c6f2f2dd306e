#pragma once

#include "EffectState.h"

// Driven amplifier: drive gain, quadratic soft clip at 0.5, then a three-band
// tone stack (low shelf 200 Hz, peak 774.5967 Hz over two octaves, high shelf
// 3000 Hz) on the state's ampLowShelf, ampPeak and ampHighShelf. The tone stack
// is redesigned from the arguments on every call; its history is kept.
// Audio thread only.
float processAmp (EffectState& state, float x, float driveDb, float lowDb, float midDb, float highDb);
