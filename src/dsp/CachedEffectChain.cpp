#include "CachedEffectChain.h"

#include "EffectSlots.h"

#include <cmath>
#include <cstddef>

// The mappings, the soft clip and the delay step are written out here as the
// literal slots and stages write them (same operations, same order, same
// precision), so that they inline into the slots. The equivalence tests render
// both side by side and compare every bit.
//
// NaNs need one more rule. When both operands of a commutative operation are
// NaN, the result carries the sign and payload of whichever the compiler put
// first, and that choice differs between this code and the literal code. A
// result that is not NaN never met a NaN, so its bits are fixed; wherever two
// NaNs can meet here, a NaN result is therefore handed to the literal code
// itself (on state that has not been touched yet), which gives the literal
// bits. That only happens once a parameter or a sample is already NaN.
namespace
{
    inline float mapped (float value, double scale, double offset) noexcept
    {
        return static_cast<float> (scale * static_cast<double> (value) + offset);
    }

    // Never given a NaN (the slots hand those to the literal code first): with
    // x and |x| both NaN in the last product, the sign would be the compiler's choice.
    inline float softClip (float x, float threshold) noexcept
    {
        const float limit = 2.0f * threshold;
        if (x > limit)
            x = limit;
        if (x < -limit)
            x = -limit;

        const float m = std::fabs (x);
        return x * (1.0f - m * (0.25f / threshold));
    }
}

CachedEffectChain::CachedEffectChain (EffectState& s)
    : state (s),
      wah (s.wahFilter),
      distortion (s.distFilter),
      lowShelf (s.ampLowShelf),
      midPeak (s.ampPeak),
      highShelf (s.ampHighShelf),
      cabHighPass (s.cabHighPass),
      cabPeak (s.cabPeak),
      cabLowPass1 (s.cabLowPass1),
      cabLowPass2 (s.cabLowPass2),
      // +15 dB, written as the cabinet stage writes it.
      cabinetMakeUpGain (std::pow (10.0, 0.75))
{
}

float CachedEffectChain::processWahSlot (float sample, float wahFreq, float wahRes, float wahGain)
{
    float frequency = mapped (wahFreq, 1000.0, 150.0);
    if (frequency < 100.0f)
        frequency = 100.0f;

    const float gainDb = mapped (wahGain, 80.0, -40.0);

    wah.setParameters (frequency, gainDb, wahRes);

    // The filter never returns NaN, so at most the sample is NaN in the sum.
    return sample + wah.process (sample);
}

float CachedEffectChain::processDistortionSlot (float sample, float distGain, float distFreq)
{
    const float gainDb = static_cast<float> (80.0 * static_cast<double> (distGain));
    const float frequency = mapped (distFreq, 1500.0, 300.0);

    distortion.setParameters (frequency, 35.0f, 0.75f);

    const float driven = static_cast<float> (distortionGain.gainFor (gainDb) * static_cast<double> (sample));
    if (std::isnan (driven))   // gain and sample may both be NaN; nothing has run yet
        return ::processDistortionSlot (state, sample, distGain, distFreq);

    // The filter never returns NaN and driven is not NaN, so neither is the sum.
    const float emphasised = distortion.process (driven) + driven;
    return softClip (emphasised, 0.2f);
}

float CachedEffectChain::processAmpSlot (float sample, float ampDrv, float ampLo, float ampMid, float ampHi)
{
    const float driveDb = static_cast<float> (40.0 * static_cast<double> (ampDrv));
    const float lowDb = mapped (ampLo, 40.0, -20.0);
    const float midDb = mapped (ampMid, 40.0, -20.0);
    const float highDb = mapped (ampHi, 40.0, -20.0);

    // Amp: tone stack designs (skipped while the knobs rest), drive, clip, tone stack.
    lowShelf.setLowShelf (200.0f, 1.0f, lowDb);
    midPeak.setPeak (774.5967f, 2.0f, midDb);
    highShelf.setHighShelf (3000.0f, 1.0f, highDb);

    const float driven = static_cast<float> (driveGain.gainFor (driveDb) * static_cast<double> (sample));
    if (std::isnan (driven))   // gain and sample may both be NaN; nothing has run yet
        return ::processAmpSlot (state, sample, ampDrv, ampLo, ampMid, ampHi);

    const float clipped = softClip (driven, 0.5f);
    const float amplified = highShelf.process (midPeak.process (lowShelf.process (clipped)));

    // Cabinet: a fixed voicing, designed the first time the slot runs.
    if (! cabinetDesigned)
        designCabinet();

    const float y = cabLowPass2.process (cabLowPass1.process (cabPeak.process (cabHighPass.process (amplified))));
    return static_cast<float> (cabinetMakeUpGain * static_cast<double> (y));
}

void CachedEffectChain::designCabinet()
{
    cabHighPass.setHighPass (80.0f, 0.1f);
    cabPeak.setPeak (932.0f, 3.0f, -11.0f);
    cabLowPass1.setLowPass (3500.0f, 0.28f);
    cabLowPass2.setLowPass (3500.0f, 0.28f);
    cabinetDesigned = true;
}

float CachedEffectChain::processDelaySlot (float sample, float delTme, float delAm)
{
    float t = delTme;
    if (1.0f < t)
        t = 1.0f;

    float& stored = state.delayBuffer[static_cast<std::size_t> (state.delayWriteIndex)];
    const float d = stored;
    const float out = sample + d;
    const float echo = static_cast<float> ((static_cast<double> (d) + static_cast<double> (sample)) * static_cast<double> (delAm));

    // Sample, stored value and amount may each be NaN: the literal step decides.
    if (std::isnan (out) || std::isnan (echo))
        return ::processDelaySlot (state, sample, delTme, delAm);

    stored = echo;
    ++state.delayWriteIndex;

    // The loop-length test after the increment, in float, and the buffer's end
    // for a NaN time, for which the first test never wraps.
    const float lastPosition = static_cast<float> (state.sampleRate) * t - 1.0f;
    if (static_cast<float> (state.delayWriteIndex) > lastPosition || state.delayWriteIndex >= state.sampleRate)
        state.delayWriteIndex = 0;

    return out;
}

float CachedEffectChain::applyOutputLevel (float sample, float mast)
{
    const float levelDb = static_cast<float> (100.0 * static_cast<double> (mast) - 60.0);
    const float gain = static_cast<float> (outputGain.gainFor (levelDb));
    const float out = gain * sample;

    // Gain and sample may both be NaN: the literal level decides.
    if (std::isnan (out))
        return ::applyOutputLevel (sample, mast);

    return out;
}
