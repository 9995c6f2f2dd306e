#pragma once

// Second-order recursive filter section: five Audio EQ Cookbook designs and a
// direct-form-I step. A design writes the six coefficients only and never
// touches the history, so a section redesigned on every sample keeps filtering
// continuously. Coefficients are stored as designed (not normalised); the step
// divides by a0 itself.
//
// Audio thread only (owned by EffectState).
class BiquadSection final
{
public:
    explicit BiquadSection (int sampleRate);

    void setLowPass (float frequency, float q);
    void setHighPass (float frequency, float q);
    void setPeak (float frequency, float bandwidth, float gainDb);
    void setLowShelf (float frequency, float slope, float gainDb);
    void setHighShelf (float frequency, float slope, float gainDb);

    // Runs one sample through the section. A design must have run first:
    // with all-zero coefficients the step would divide by zero.
    float process (float x);

    float a0 = 0.0f, a1 = 0.0f, a2 = 0.0f;
    float b0 = 0.0f, b1 = 0.0f, b2 = 0.0f;
    float y0 = 0.0f, y1 = 0.0f, y2 = 0.0f;
    float x0 = 0.0f, x1 = 0.0f, x2 = 0.0f;
    int sampleRate;
};
