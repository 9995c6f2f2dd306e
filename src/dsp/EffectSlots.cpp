#include "EffectSlots.h"

#include "AmpStage.h"
#include "CabinetStage.h"
#include "DelayLine.h"
#include "DistortionStage.h"
#include "WahStage.h"

#include <cmath>

// Each mapping from a normalised parameter to Hz or dB is evaluated in double
// and rounded once: wahGain 0.7 therefore gives 15.999999 dB, not the 16 that
// float arithmetic would give.
namespace
{
    float mapped (float value, double scale, double offset)
    {
        return static_cast<float> (scale * static_cast<double> (value) + offset);
    }
}

float processWahSlot (EffectState& state, float sample, float wahFreq, float wahRes, float wahGain)
{
    float frequency = mapped (wahFreq, 1000.0, 150.0);
    if (frequency < 100.0f)
        frequency = 100.0f;

    const float gainDb = mapped (wahGain, 80.0, -40.0);
    return processWah (state, sample, frequency, gainDb, wahRes);
}

float processDistortionSlot (EffectState& state, float sample, float distGain, float distFreq)
{
    const float gainDb = static_cast<float> (80.0 * static_cast<double> (distGain));
    const float frequency = mapped (distFreq, 1500.0, 300.0);
    return processDistortion (state, sample, gainDb, frequency);
}

float processAmpSlot (EffectState& state, float sample, float ampDrv, float ampLo, float ampMid, float ampHi)
{
    const float driveDb = static_cast<float> (40.0 * static_cast<double> (ampDrv));
    const float lowDb = mapped (ampLo, 40.0, -20.0);
    const float midDb = mapped (ampMid, 40.0, -20.0);
    const float highDb = mapped (ampHi, 40.0, -20.0);

    const float amplified = processAmp (state, sample, driveDb, lowDb, midDb, highDb);
    return processCabinet (state, amplified);
}

float processDelaySlot (EffectState& state, float sample, float delTme, float delAm)
{
    return processDelay (state, sample, delTme, delAm);
}

float applyOutputLevel (float sample, float mast)
{
    // Evaluated in double and rounded, so mast 0.6 gives 1.0000002 (0 dB to
    // single precision) rather than the 1.0000005 a float product would give.
    const float levelDb = static_cast<float> (100.0 * static_cast<double> (mast) - 60.0);
    const float gain = static_cast<float> (std::pow (10.0, static_cast<double> (levelDb) / 20.0));
    return gain * sample;
}
