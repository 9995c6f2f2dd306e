#pragma once

#include <cstdint>
#include <cstring>

namespace velthorn::dsp
{
    // The bit pattern of a float. The cached designs compare their inputs by
    // this rather than with ==: 0.0 and -0.0 are equal to == but can give
    // coefficients of different sign, and a NaN is unequal to itself, so ==
    // would redesign on every sample for a NaN and reuse a design across a
    // sign change of zero. The bit pattern is exactly what the design sees.
    // Any thread (pure function).
    inline std::uint32_t bitsOf (float value) noexcept
    {
        std::uint32_t bits;
        std::memcpy (&bits, &value, sizeof bits);
        return bits;
    }
}
