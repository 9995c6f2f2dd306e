#include "WahStage.h"

float processWah (EffectState& state, float x, float frequency, float gainDb, float damping)
{
    state.wahFilter.setParameters (frequency, gainDb, damping);
    return x + state.wahFilter.process (x);
}
