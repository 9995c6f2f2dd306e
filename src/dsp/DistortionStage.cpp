#include "DistortionStage.h"

#include "DspMaths.h"
#include "SoftClipper.h"

float processDistortion (EffectState& state, float x, float gainDb, float frequency)
{
    state.distFilter.setParameters (frequency, 35.0f, 0.75f);

    const float driven = velthorn::dsp::applyGainDb (x, gainDb);
    const float emphasised = state.distFilter.process (driven) + driven;
    return SoftClipper (emphasised, 0.2f);
}
