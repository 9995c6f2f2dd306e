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

    // Polyphase IIR half-band stages at the framework's maximum quality, the
    // total delay made a whole number of device samples.
    constexpr auto filterType = Resampler::filterHalfBandPolyphaseIIR;
    constexpr bool maximumQuality = true;
    constexpr bool wholeSampleLatency = true;

    int measureLatency (int factor)
    {
        Resampler resampler (1, stagesFor (factor), filterType, maximumQuality, wholeSampleLatency);
        resampler.initProcessing (1);
        return static_cast<int> (std::lround (resampler.getLatencyInSamples()));
    }
}

bool OversampledChain::isSupportedFactor (int factor) noexcept
{
    return factor == 1 || std::find (std::begin (factors), std::end (factors), factor) != std::end (factors);
}

int OversampledChain::latencyFor (int factor) noexcept
{
    // The designs do not depend on the rate, so neither does their delay.
    static const std::array<int, 3> latencies { measureLatency (2), measureLatency (4), measureLatency (8) };

    for (size_t i = 0; i < latencies.size(); ++i)
        if (factors[i] == factor)
            return latencies[i];

    return 0;
}

OversampledChain::OversampledChain (int oversamplingFactor, int deviceRate, int maximumBlockSize)
    : factor (oversamplingFactor),
      resampler (1, stagesFor (oversamplingFactor), filterType, maximumQuality, wholeSampleLatency),
      state (deviceRate, oversamplingFactor),
      chain (state, settingsPiece * oversamplingFactor),
      spreadSettings (static_cast<size_t> (settingsPiece * oversamplingFactor))
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

    resampler.processSamplesDown (block);

    // A sample beyond the float range (a huge input, or a loud echo fed back
    // for good) would stay in the resampler's recursive filters for the rest
    // of the run; they start again from silence instead.
    for (int j = 0; j < n; ++j)
    {
        if (! std::isfinite (samples[j]))
        {
            resampler.reset();
            break;
        }
    }
}

void OversampledChain::restart() noexcept
{
    resampler.reset();
    chain.restart();
}
