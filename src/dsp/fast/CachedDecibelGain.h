#pragma once

#include "DspMaths.h"
#include "FloatBits.h"

#include <cstdint>

// The factor 10 ^ (gainDb / 20) as DspMaths' decibelsToGain forms it (a
// double), remembered for the last gainDb by bit pattern, so the power is only
// taken when the gain actually moves.
//
// Audio thread only.
class CachedDecibelGain final
{
public:
    // Audio thread only.
    inline double gainFor (float gainDb) noexcept
    {
        const std::uint32_t key = velthorn::dsp::bitsOf (gainDb);
        if (! valid || key != lastInput)
        {
            valid = true;
            lastInput = key;
            gain = velthorn::dsp::decibelsToGain (gainDb);
        }
        return gain;
    }

    // Audio thread only. Nothing remembered, as when made.
    void forget() noexcept
    {
        gain = 0.0;
        lastInput = 0;
        valid = false;
    }

private:
    double gain = 0.0;
    std::uint32_t lastInput = 0;
    bool valid = false;
};
