#include "EffectSlots.h"

#include <cmath>

// Placeholder slots: pass the sample through until the stages land.
float processWahSlot (EffectState&, float sample, float, float, float) { return sample; }
float processDistortionSlot (EffectState&, float sample, float, float) { return sample; }
float processAmpSlot (EffectState&, float sample, float, float, float, float) { return sample; }
float processDelaySlot (EffectState&, float sample, float, float) { return sample; }

float applyOutputLevel (float sample, float mast)
{
    // Evaluated in double and rounded, so mast 0.6 gives 1.0000002 (0 dB to
    // single precision) rather than the 1.0000005 a float product would give.
    const float levelDb = static_cast<float> (100.0 * static_cast<double> (mast) - 60.0);
    const float gain = static_cast<float> (std::pow (10.0, static_cast<double> (levelDb) / 20.0));
    return gain * sample;
}
