#include "DistortionStage.h"

#include "Voicing.h"

#include "DspMaths.h"
#include "SoftClipper.h"

float processDistortion (EffectState& state, float x, float gainDb, float frequency)
{
    using namespace velthorn::dsp::voicing;
    state.distFilter.setParameters (frequency, distortionEmphasisGainDb, distortionEmphasisDamping);

    const float driven = velthorn::dsp::applyGainDb (x, gainDb);
    const float emphasised = state.distFilter.process (driven) + driven;
    return SoftClipper (emphasised, distortionClipThreshold);
}
