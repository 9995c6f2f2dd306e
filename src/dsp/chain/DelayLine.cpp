#include "DelayLine.h"

float processDelay (EffectState& state, float x, float delayTime, float amount)
{
    float t = delayTime;
    if (1.0f < t)
        t = 1.0f;

    float& stored = state.delayBuffer[static_cast<size_t> (state.delayWriteIndex)];
    const float d = stored;
    const float out = x + d;
    stored = static_cast<float> ((static_cast<double> (d) + static_cast<double> (x)) * static_cast<double> (amount));

    ++state.delayWriteIndex;

    // The loop-length test is made after the increment, in float. A NaN time
    // makes it false for every index, so the buffer's end is tested as well:
    // for any other time the first test has already wrapped by then.
    const float lastPosition = static_cast<float> (state.sampleRate) * t - 1.0f;
    if (static_cast<float> (state.delayWriteIndex) > lastPosition || state.delayWriteIndex >= state.sampleRate)
        state.delayWriteIndex = 0;

    return out;
}
