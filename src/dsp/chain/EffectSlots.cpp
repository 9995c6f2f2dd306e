#include "EffectSlots.h"

#include "AmpStage.h"
#include "CabinetStage.h"
#include "DelayLine.h"
#include "DistortionStage.h"
#include "ParameterMapping.h"
#include "WahStage.h"

#include <cmath>

// The mappings from normalised parameters to Hz and dB are in ParameterMapping.
using namespace ParameterMapping;

float processWahSlot (EffectState& state, float sample, float wahFreq, float wahRes, float wahGain)
{
    const float frequency = wahFrequencyHz (wahFreq);
    const float gainDb = ParameterMapping::wahGain (wahGain);
    return processWah (state, sample, frequency, gainDb, wahRes);
}

float processDistortionSlot (EffectState& state, float sample, float distGain, float distFreq)
{
    const float gainDb = distortionGain (distGain);
    const float frequency = distortionFrequency (distFreq);
    return processDistortion (state, sample, gainDb, frequency);
}

float processAmpSlot (EffectState& state, float sample, float ampDrv, float ampLo, float ampMid, float ampHi)
{
    const float driveDb = ampDrive (ampDrv);
    const float lowDb = tone (ampLo);
    const float midDb = tone (ampMid);
    const float highDb = tone (ampHi);

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
    const float levelDb = outputLevel (mast);
    const float gain = static_cast<float> (std::pow (10.0, static_cast<double> (levelDb) / 20.0));
    return gain * sample;
}
