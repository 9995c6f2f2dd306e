#include "AmpStage.h"

#include "DspMaths.h"
#include "SoftClipper.h"

float processAmp (EffectState& state, float x, float driveDb, float lowDb, float midDb, float highDb)
{
    state.ampLowShelf.setLowShelf (200.0f, 1.0f, lowDb);
    // The geometric mean of the two shelf corners, sqrt (200 * 3000), as a float.
    state.ampPeak.setPeak (774.5967f, 2.0f, midDb);
    state.ampHighShelf.setHighShelf (3000.0f, 1.0f, highDb);

    const float driven = velthorn::dsp::applyGainDb (x, driveDb);
    const float clipped = SoftClipper (driven, 0.5f);
    return state.ampHighShelf.process (state.ampPeak.process (state.ampLowShelf.process (clipped)));
}
