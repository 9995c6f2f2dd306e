#include "SpectrumAnalysis.h"

#include <juce_dsp/juce_dsp.h>

#include <algorithm>
#include <cmath>

namespace spectrum
{
    namespace
    {
        constexpr int fftOrder = 16;
        constexpr int fftSize = 1 << fftOrder;

        // The window's main lobe reaches four bins either side; lines closer
        // than this to a harmonic are taken for its skirt.
        constexpr int harmonicGuardBins = 8;

        // 4-term Blackman-Harris: side lobes 92 dB down, far below the
        // levels measured here.
        double blackmanHarris (int i)
        {
            const double x = juce::MathConstants<double>::twoPi * i / (fftSize - 1);
            return 0.35875 - 0.48829 * std::cos (x) + 0.14128 * std::cos (2.0 * x) - 0.01168 * std::cos (3.0 * x);
        }
    }

    NonHarmonicPartial worstNonHarmonic (const std::vector<float>& signal, double sampleRate, double fundamental,
                                         double highestFrequency)
    {
        jassert (signal.size() >= static_cast<size_t> (fftSize));
        std::vector<float> data (2 * fftSize, 0.0f);
        const size_t start = signal.size() - fftSize;

        for (int i = 0; i < fftSize; ++i)
            data[static_cast<size_t> (i)] = static_cast<float> (signal[start + static_cast<size_t> (i)] * blackmanHarris (i));

        juce::dsp::FFT fft (fftOrder);
        fft.performFrequencyOnlyForwardTransform (data.data(), true);

        const double binWidth = sampleRate / fftSize;
        double strongest = 0.0, worst = 0.0, worstFrequency = 0.0;

        for (int bin = 0; bin <= fftSize / 2; ++bin)
        {
            const double magnitude = data[static_cast<size_t> (bin)];
            strongest = std::max (strongest, magnitude);

            const double frequency = bin * binWidth;
            if (frequency > highestFrequency)
                continue;

            const double harmonic = std::round (frequency / fundamental);
            if (std::abs (frequency - harmonic * fundamental) <= harmonicGuardBins * binWidth)
                continue;

            if (magnitude > worst)
            {
                worst = magnitude;
                worstFrequency = frequency;
            }
        }

        NonHarmonicPartial result;
        result.levelDb = 20.0 * std::log10 (std::max (worst, 1.0e-30) / std::max (strongest, 1.0e-30));
        result.frequency = worstFrequency;
        return result;
    }

    double bandLevelDb (const std::vector<float>& signal, double sampleRate, double low, double high)
    {
        constexpr int order = 13, size = 1 << order;
        juce::dsp::FFT fft (order);
        std::vector<float> data (2 * size);
        double power = 0.0;
        int stretches = 0;

        for (size_t start = 0; start + size <= signal.size(); start += size / 2, ++stretches)
        {
            std::fill (data.begin(), data.end(), 0.0f);
            for (int i = 0; i < size; ++i)
            {
                const double hann = 0.5 - 0.5 * std::cos (juce::MathConstants<double>::twoPi * i / size);
                data[static_cast<size_t> (i)] = static_cast<float> (signal[start + static_cast<size_t> (i)] * hann);
            }
            fft.performFrequencyOnlyForwardTransform (data.data(), true);

            for (int bin = 0; bin <= size / 2; ++bin)
            {
                const double frequency = bin * sampleRate / size;
                if (frequency >= low && frequency < high)
                    power += static_cast<double> (data[static_cast<size_t> (bin)]) * data[static_cast<size_t> (bin)];
            }
        }

        return 10.0 * std::log10 (std::max (power / std::max (stretches, 1), 1.0e-300));
    }

    double rms (const std::vector<float>& samples, size_t begin, size_t end)
    {
        double sum = 0.0;
        for (size_t i = begin; i < end; ++i)
            sum += static_cast<double> (samples[i]) * samples[i];
        return std::sqrt (sum / static_cast<double> (std::max<size_t> (end - begin, 1)));
    }

    int crossCorrelationPeak (const std::vector<float>& a, const std::vector<float>& b, size_t begin, size_t end,
                              int maxLag)
    {
        int bestLag = 0;
        double best = -1.0e300;

        for (int lag = -maxLag; lag <= maxLag; ++lag)
        {
            double sum = 0.0;
            for (size_t i = begin; i < end; ++i)
            {
                const auto j = static_cast<ptrdiff_t> (i) + lag;
                if (j >= 0 && static_cast<size_t> (j) < b.size())
                    sum += static_cast<double> (a[i]) * b[static_cast<size_t> (j)];
            }

            if (sum > best)
            {
                best = sum;
                bestLag = lag;
            }
        }

        return bestLag;
    }
}
