#pragma once

#include <cmath>

// The chain's fixed voicing: the filter corners, widths and gains the stages
// are built with, and the quadratic soft clip. The literal stages and the
// cached chain both read them from here, so the two can only differ in how
// they compute, never in what.
//
// Any thread (constants and a pure function).
namespace velthorn::dsp::voicing
{
    // Distortion: the emphasis filter's peak gain (dB) and damping, and the clip's threshold.
    inline constexpr float distortionEmphasisGainDb = 35.0f;
    inline constexpr float distortionEmphasisDamping = 0.75f;
    inline constexpr float distortionClipThreshold = 0.2f;

    // Amp: the clip's threshold and the three-band tone stack.
    inline constexpr float ampClipThreshold = 0.5f;
    inline constexpr float ampLowShelfHz = 200.0f, ampLowShelfSlope = 1.0f;
    // The geometric mean of the two shelf corners, sqrt (200 * 3000), as a float.
    inline constexpr float ampMidHz = 774.5967f, ampMidOctaves = 2.0f;
    inline constexpr float ampHighShelfHz = 3000.0f, ampHighShelfSlope = 1.0f;

    // Cabinet: a high-pass, a dip, two low-passes, then the make-up gain.
    inline constexpr float cabinetHighPassHz = 80.0f, cabinetHighPassQ = 0.1f;
    inline constexpr float cabinetDipHz = 932.0f, cabinetDipOctaves = 3.0f, cabinetDipDb = -11.0f;
    inline constexpr float cabinetLowPassHz = 3500.0f, cabinetLowPassQ = 0.28f;

    // +15 dB, applied in double and rounded once.
    inline double cabinetMakeUpGain() noexcept
    {
        return std::pow (10.0, 0.75);
    }

    // Quadratic soft clip y = x - x|x| / (4t) on [-2t, 2t], constant +-t
    // beyond. Slope 1 at zero, output never above t in magnitude; a NaN
    // passes through (both comparisons are false for it).
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
