#include "EffectState.h"

#include <algorithm>

namespace
{
    int chainRate (int deviceRate, int oversampling)
    {
        return deviceRate * std::max (oversampling, 1);
    }
}

EffectState::EffectState (int deviceRate, int factor)
    : sampleRate (chainRate (deviceRate, factor)),
      oversampling (std::max (factor, 1)),
      // value-initialised: one second of silence
      delayBuffer (new float[static_cast<size_t> (std::max (sampleRate, 0))]()),
      wahFilter (deviceRate),
      distFilter (deviceRate),
      cabHighPass (sampleRate),
      cabLowPass1 (sampleRate),
      cabLowPass2 (sampleRate),
      cabPeak (sampleRate),
      ampLowShelf (sampleRate),
      ampPeak (sampleRate),
      ampHighShelf (sampleRate),
      wahPhases (static_cast<size_t> (oversampling - 1), FourPoleFilter (deviceRate)),
      distPhases (static_cast<size_t> (oversampling - 1), FourPoleFilter (deviceRate))
{
}

void EffectState::restart() noexcept
{
    delayWriteIndex = 0;
    std::fill_n (delayBuffer.get(), std::max (sampleRate, 0), 0.0f);

    const int deviceRate = wahFilter.sampleRate;
    wahFilter = FourPoleFilter (deviceRate);
    distFilter = FourPoleFilter (deviceRate);
    for (auto* phases : { &wahPhases, &distPhases })
        for (auto& phase : *phases)
            phase = FourPoleFilter (deviceRate);

    cabHighPass = BiquadSection (sampleRate);
    cabLowPass1 = BiquadSection (sampleRate);
    cabLowPass2 = BiquadSection (sampleRate);
    cabPeak = BiquadSection (sampleRate);
    ampLowShelf = BiquadSection (sampleRate);
    ampPeak = BiquadSection (sampleRate);
    ampHighShelf = BiquadSection (sampleRate);
}
