#pragma once

#include <cstddef>
#include <vector>

// What the aliasing measurements read from a steady tone's spectrum.
namespace spectrum
{
    struct NonHarmonicPartial
    {
        double levelDb = 0.0;       // relative to the strongest partial
        double frequency = 0.0;     // Hz
    };

    // Any thread. The loudest spectral line below `highestFrequency` that is
    // not a harmonic of `fundamental` (DC counts as the 0th), relative to
    // the loudest line of all, over the last 65536 samples of `signal` at
    // `sampleRate` (Blackman-Harris window; lines within a few bins of a
    // harmonic count as that harmonic).
    NonHarmonicPartial worstNonHarmonic (const std::vector<float>& signal, double sampleRate, double fundamental,
                                         double highestFrequency = 20000.0);

    // Any thread. The power of `signal` between low and high Hz, in dB
    // (averaged over Hann-windowed stretches of 8192 samples).
    double bandLevelDb (const std::vector<float>& signal, double sampleRate, double low, double high);

    // Any thread. Root mean square of samples[begin .. end).
    double rms (const std::vector<float>& samples, std::size_t begin, std::size_t end);

    // Any thread. The lag (samples b is later than a) in -maxLag..maxLag at
    // which the cross-correlation of a and b over [begin, end) of a peaks.
    int crossCorrelationPeak (const std::vector<float>& a, const std::vector<float>& b, std::size_t begin, std::size_t end,
                              int maxLag);
}
