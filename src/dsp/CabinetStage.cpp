#include "CabinetStage.h"

#include <cmath>

float processCabinet (EffectState& state, float x)
{
    state.cabHighPass.setHighPass (80.0f, 0.1f);
    state.cabPeak.setPeak (932.0f, 3.0f, -11.0f);
    state.cabLowPass1.setLowPass (3500.0f, 0.28f);
    state.cabLowPass2.setLowPass (3500.0f, 0.28f);

    // The dip runs second, before the two low-passes.
    const float y = state.cabLowPass2.process (state.cabLowPass1.process (state.cabPeak.process (state.cabHighPass.process (x))));

    // +15 dB make-up gain, applied in double and rounded once.
    return static_cast<float> (std::pow (10.0, 0.75) * static_cast<double> (y));
}
