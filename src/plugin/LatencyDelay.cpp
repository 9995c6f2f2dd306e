#include "LatencyDelay.h"

#include <algorithm>

void LatencyDelay::prepare (int numChannels, int maximumDelay)
{
    // One more place than the longest delay: the oldest sample is read
    // before the newest is written over it.
    lines.assign (static_cast<size_t> (std::max (numChannels, 0)),
                  std::vector<float> (static_cast<size_t> (std::max (maximumDelay, 0) + 1), 0.0f));
    writePosition = 0;
    currentDelay = 0;
}

void LatencyDelay::process (juce::AudioBuffer<float>& buffer, int numChannels, int start, int length, int delay) noexcept
{
    if (lines.empty())
        return;

    const int size = static_cast<int> (lines.front().size());
    delay = std::clamp (delay, 0, size - 1);

    if (delay != currentDelay)
    {
        for (auto& line : lines)
            std::fill (line.begin(), line.end(), 0.0f);
        currentDelay = delay;
    }

    if (delay == 0)
        return;

    const int channels = std::min ({ numChannels, buffer.getNumChannels(), static_cast<int> (lines.size()) });
    int position = writePosition;

    for (int channel = 0; channel < channels; ++channel)
    {
        auto& line = lines[static_cast<size_t> (channel)];
        float* const samples = buffer.getWritePointer (channel, start);
        position = writePosition;

        for (int i = 0; i < length; ++i)
        {
            line[static_cast<size_t> (position)] = samples[i];
            int read = position - delay;
            if (read < 0)
                read += size;
            samples[i] = line[static_cast<size_t> (read)];
            position = position + 1 == size ? 0 : position + 1;
        }
    }

    writePosition = position;
}
