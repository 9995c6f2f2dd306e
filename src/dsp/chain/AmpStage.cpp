#include "AmpStage.h"

#include "Voicing.h"

#include "DspMaths.h"
#include "SoftClipper.h"

float processAmp (EffectState& state, float x, float driveDb, float lowDb, float midDb, float highDb)
{
    using namespace velthorn::dsp::voicing;
    state.ampLowShelf.setLowShelf (ampLowShelfHz, ampLowShelfSlope, lowDb);
    state.ampPeak.setPeak (ampMidHz, ampMidOctaves, midDb);
    state.ampHighShelf.setHighShelf (ampHighShelfHz, ampHighShelfSlope, highDb);

    const float driven = velthorn::dsp::applyGainDb (x, driveDb);
    const float clipped = SoftClipper (driven, ampClipThreshold);
    return state.ampHighShelf.process (state.ampPeak.process (state.ampLowShelf.process (clipped)));
}
