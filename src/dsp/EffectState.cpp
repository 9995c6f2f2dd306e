#include "EffectState.h"

#include <algorithm>

EffectState::EffectState (int rate, bool fourPolesOnlyInDouble)
    : sampleRate (rate),
      fourPolesInDouble (fourPolesOnlyInDouble),
      // value-initialised: one second of silence
      delayBuffer (new float[static_cast<size_t> (rate > 0 ? rate : 0)]()),
      wahFilter (rate, fourPolesOnlyInDouble),
      distFilter (rate, fourPolesOnlyInDouble),
      cabHighPass (rate),
      cabLowPass1 (rate),
      cabLowPass2 (rate),
      cabPeak (rate),
      ampLowShelf (rate),
      ampPeak (rate),
      ampHighShelf (rate)
{
}

void EffectState::restart() noexcept
{
    delayWriteIndex = 0;
    std::fill_n (delayBuffer.get(), sampleRate > 0 ? sampleRate : 0, 0.0f);

    wahFilter = FourPoleFilter (sampleRate, fourPolesInDouble);
    distFilter = FourPoleFilter (sampleRate, fourPolesInDouble);
    cabHighPass = BiquadSection (sampleRate);
    cabLowPass1 = BiquadSection (sampleRate);
    cabLowPass2 = BiquadSection (sampleRate);
    cabPeak = BiquadSection (sampleRate);
    ampLowShelf = BiquadSection (sampleRate);
    ampPeak = BiquadSection (sampleRate);
    ampHighShelf = BiquadSection (sampleRate);
}
