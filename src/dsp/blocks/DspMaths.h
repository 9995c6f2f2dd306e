#pragma once

#include <cmath>

// Small numeric helpers shared by the filter designs and the stages. They fix
// where a value is formed in double and where it is rounded to float, so the
// designs and any later cached variant of them round in exactly the same places.
namespace velthorn::dsp
{
    // 2 pi as the designs use it (a double; never rounded to float on its own).
    constexpr double twoPi = 6.283185307179586;

    // ln 2 rounded to float, as the peaking design's bandwidth term uses it.
    constexpr float ln2 = 0.693147180559945309f;

    // Normalised angular frequency 2 pi f / sampleRate: formed in double, rounded once.
    // Any thread (pure function).
    inline float normalisedAngularFrequency (float frequency, int sampleRate)
    {
        return static_cast<float> (twoPi * static_cast<double> (frequency) / static_cast<double> (sampleRate));
    }

    // The linear factor 10 ^ (gainDb / 20), left in double so that a caller can
    // multiply a sample by it before the single rounding to float.
    // Any thread (pure function).
    inline double decibelsToGain (float gainDb)
    {
        return std::pow (10.0, static_cast<double> (gainDb) / 20.0);
    }

    // x raised by gainDb: 10 ^ (gainDb / 20) * x evaluated in double, rounded once.
    // Any thread (pure function).
    inline float applyGainDb (float x, float gainDb)
    {
        return static_cast<float> (decibelsToGain (gainDb) * static_cast<double> (x));
    }
}
