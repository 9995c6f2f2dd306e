#include "OversampledChain.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace
{
    using Resampler = juce::dsp::Oversampling<float>;

    // The framework counts its factor in halvings: 2 ^ stages.
    size_t stagesFor (int factor) noexcept
    {
        return factor == 2 ? 1u : factor == 4 ? 2u : 3u;
    }

    Resampler::FilterType filterTypeFor (Resampling resampling) noexcept
    {
        return resampling == Resampling::linearPhase ? Resampler::filterHalfBandFIREquiripple
                                                     : Resampler::filterHalfBandPolyphaseIIR;
    }

    // Half-band stages at the framework's maximum quality. The IIR filters'
    // delay is made a whole number of device samples by the framework's own
    // fractional delay. The FIR filters' is not: that delay is an allpass
    // whose delay varies with frequency, which would undo their linear
    // phase. Their delay is a whole number of high-rate samples instead (each
    // stage's two filters have even orders), topped up by alignmentFor.
    constexpr bool maximumQuality = true;

    bool usesFrameworkCompensation (Resampling resampling) noexcept
    {
        return resampling == Resampling::lowLatency;
    }

    struct Delay
    {
        int deviceSamples;    // the whole delay, alignment included
        int alignment;        // high-rate samples added to make it whole
    };

    Delay measureDelay (int factor, Resampling resampling)
    {
        Resampler resampler (1, stagesFor (factor), filterTypeFor (resampling), maximumQuality,
                             usesFrameworkCompensation (resampling));
        resampler.initProcessing (1);
        const auto latency = static_cast<double> (resampler.getLatencyInSamples());

        if (usesFrameworkCompensation (resampling))
            return { static_cast<int> (std::lround (latency)), 0 };

        const auto highRateSamples = std::lround (latency * factor);
        jassert (std::abs (latency * factor - static_cast<double> (highRateSamples)) < 1.0e-3);
        const auto alignment = static_cast<int> ((factor - highRateSamples % factor) % factor);
        return { static_cast<int> ((highRateSamples + alignment) / factor), alignment };
    }

    // Every factor's delay, for both filter kinds, measured once.
    const Delay& delayFor (int factor, Resampling resampling)
    {
        static const std::array<std::array<Delay, 3>, 2> delays {
            std::array<Delay, 3> { measureDelay (2, Resampling::lowLatency), measureDelay (4, Resampling::lowLatency),
                                   measureDelay (8, Resampling::lowLatency) },
            std::array<Delay, 3> { measureDelay (2, Resampling::linearPhase), measureDelay (4, Resampling::linearPhase),
                                   measureDelay (8, Resampling::linearPhase) }
        };

        const auto& row = delays[resampling == Resampling::linearPhase ? 1 : 0];
        return row[factor == 2 ? 0 : factor == 4 ? 1 : 2];
    }
}

bool OversampledChain::isSupportedFactor (int factor) noexcept
{
    return factor == 1 || std::find (std::begin (factors), std::end (factors), factor) != std::end (factors);
}

int OversampledChain::latencyFor (int factor, Resampling resampling) noexcept
{
    // The designs do not depend on the rate, so neither does their delay.
    if (factor != 2 && factor != 4 && factor != 8)
        return 0;

    return delayFor (factor, resampling).deviceSamples;
}

OversampledChain::OversampledChain (int oversamplingFactor, int deviceRate, int maximumBlockSize, Resampling resampling)
    : factor (oversamplingFactor),
      resampler (1, stagesFor (oversamplingFactor), filterTypeFor (resampling), maximumQuality,
                 usesFrameworkCompensation (resampling)),
      state (deviceRate, oversamplingFactor),
      chain (state, settingsPiece * oversamplingFactor),
      spreadSettings (static_cast<size_t> (settingsPiece * oversamplingFactor)),
      alignment (static_cast<size_t> (delayFor (oversamplingFactor, resampling).alignment), 0.0f)
{
    jassert (oversamplingFactor == 2 || oversamplingFactor == 4 || oversamplingFactor == 8);
    resampler.initProcessing (static_cast<size_t> (std::max (maximumBlockSize, 1)));
}

OversampledChain::~OversampledChain() = default;

void OversampledChain::process (float* samples, const ChainSettings* settings, int n) noexcept
{
    if (n <= 0)
        return;

    float* channels[] { samples };
    juce::dsp::AudioBlock<float> block (channels, 1, static_cast<size_t> (n));
    const auto upsampled = resampler.processSamplesUp (block);
    float* const high = upsampled.getChannelPointer (0);

    // Each device sample's settings for each of the samples it became.
    for (int start = 0; start < n; start += settingsPiece)
    {
        const int count = std::min (settingsPiece, n - start);
        auto spread = spreadSettings.begin();

        for (int j = 0; j < count; ++j, spread += factor)
            std::fill_n (spread, factor, settings[start + j]);

        chain.processBlock (high + static_cast<ptrdiff_t> (start) * factor, spreadSettings.data(), count * factor);
    }

    align (high, n * factor);
    resampler.processSamplesDown (block);

    // A sample beyond the float range (a huge input, or a loud echo fed back
    // for good) would stay in the resampler's recursive filters for the rest
    // of the run; they start again from silence instead.
    for (int j = 0; j < n; ++j)
    {
        if (! std::isfinite (samples[j]))
        {
            resampler.reset();
            std::fill (alignment.begin(), alignment.end(), 0.0f);
            break;
        }
    }
}

void OversampledChain::align (float* high, int count) noexcept
{
    if (alignment.empty())
        return;

    for (int i = 0; i < count; ++i)
    {
        std::swap (high[i], alignment[alignmentPosition]);
        alignmentPosition = alignmentPosition + 1 == alignment.size() ? 0 : alignmentPosition + 1;
    }
}

void OversampledChain::restart() noexcept
{
    resampler.reset();
    chain.restart();
    std::fill (alignment.begin(), alignment.end(), 0.0f);
    alignmentPosition = 0;
}
