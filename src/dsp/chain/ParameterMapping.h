#pragma once

// How the chain turns a stored parameter (normalised 0..1) into the physical
// value a stage works with. Each mapping is evaluated in double and rounded
// once to float: wahGain 0.7 therefore gives 15.999999 dB, not the 16 that
// float arithmetic would give. The audio chains and the plugin's value texts
// both read these, so what a host shows is what the chain does.
//
// Any thread.
struct LinearMapping final
{
    double scale;
    double offset;

    float operator() (float value) const noexcept
    {
        return static_cast<float> (scale * static_cast<double> (value) + offset);
    }
};

namespace ParameterMapping
{
    // Wah centre frequency in Hz: 150 to 1150, never below the floor.
    inline constexpr LinearMapping wahFrequency { 1000.0, 150.0 };
    inline constexpr float wahMinimumFrequency = 100.0f;

    inline float wahFrequencyHz (float wahFreq) noexcept
    {
        float frequency = wahFrequency (wahFreq);
        if (frequency < wahMinimumFrequency)
            frequency = wahMinimumFrequency;

        return frequency;
    }

    // Wah gain in dB: -40 to +40.
    inline constexpr LinearMapping wahGain { 80.0, -40.0 };

    // Distortion gain in dB: 0 to +80.
    inline constexpr LinearMapping distortionGain { 80.0, 0.0 };

    // Distortion emphasis frequency in Hz: 300 to 1800.
    inline constexpr LinearMapping distortionFrequency { 1500.0, 300.0 };

    // Amp drive in dB: 0 to +40.
    inline constexpr LinearMapping ampDrive { 40.0, 0.0 };

    // Low, mid and high tone controls in dB: -20 to +20.
    inline constexpr LinearMapping tone { 40.0, -20.0 };

    // Output level in dB: mast 0.6 is 0 dB, 1 is +40 dB.
    inline constexpr LinearMapping outputLevel { 100.0, -60.0 };

    // The echo loop's length in seconds; the delay memory holds one second.
    inline constexpr float maximumDelayTime = 1.0f;
}
