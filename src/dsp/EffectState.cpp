#include "EffectState.h"

EffectState::EffectState (int rate)
    : sampleRate (rate),
      // value-initialised: one second of silence
      delayBuffer (new float[static_cast<size_t> (rate > 0 ? rate : 0)]()),
      wahFilter (rate),
      distFilter (rate),
      cabHighPass (rate),
      cabLowPass1 (rate),
      cabLowPass2 (rate),
      cabPeak (rate),
      ampLowShelf (rate),
      ampPeak (rate),
      ampHighShelf (rate)
{
}
