#include "CabinetStage.h"

#include "Voicing.h"

#include <cmath>

float processCabinet (EffectState& state, float x)
{
    using namespace velthorn::dsp::voicing;
    state.cabHighPass.setHighPass (cabinetHighPassHz, cabinetHighPassQ);
    state.cabPeak.setPeak (cabinetDipHz, cabinetDipOctaves, cabinetDipDb);
    state.cabLowPass1.setLowPass (cabinetLowPassHz, cabinetLowPassQ);
    state.cabLowPass2.setLowPass (cabinetLowPassHz, cabinetLowPassQ);

    // The dip runs second, before the two low-passes.
    const float y = state.cabLowPass2.process (state.cabLowPass1.process (state.cabPeak.process (state.cabHighPass.process (x))));

    return static_cast<float> (cabinetMakeUpGain() * static_cast<double> (y));
}
