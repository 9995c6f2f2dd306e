#include "TestSignal.h"

#include <cmath>
#include <cstdint>

namespace e2e
{
    StereoBuffer makeTestSignal (size_t numFrames, double sampleRate)
    {
        auto signal = StereoBuffer::silence (numFrames);

        // xorshift32: the same sequence on every machine and every run.
        uint32_t state = 0x2545f491u;
        const auto nextNoise = [&state]
        {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            return static_cast<float> (static_cast<double> (state) / 4294967296.0 - 0.5);
        };

        constexpr double startHz = 40.0, endHz = 8000.0, level = 0.45;
        const double seconds = static_cast<double> (numFrames) / sampleRate;
        const double growth = std::log (endHz / startHz) / seconds;
        constexpr double twoPi = 6.283185307179586;

        for (size_t i = 0; i < numFrames; ++i)
        {
            const double t = static_cast<double> (i) / sampleRate;
            // Phase of a sweep whose frequency rises as startHz * e^(growth t).
            const double phase = twoPi * startHz * (std::exp (growth * t) - 1.0) / growth;

            signal.left[i] = nextNoise();
            signal.right[i] = static_cast<float> (level * std::sin (phase));
        }

        if (numFrames > 0)
        {
            signal.left[0] = 0.5f;
            signal.right[0] = 0.25f;
        }

        return signal;
    }

    StereoBuffer makeSineTone (size_t numFrames, double sampleRate, double frequencyHz, float amplitude)
    {
        auto tone = StereoBuffer::silence (numFrames);
        constexpr double twoPi = 6.283185307179586;

        for (size_t i = 0; i < numFrames; ++i)
        {
            const auto sample = static_cast<float> (amplitude * std::sin (twoPi * frequencyHz * static_cast<double> (i) / sampleRate));
            tone.left[i] = sample;
            tone.right[i] = sample;
        }

        return tone;
    }
}
