#pragma once

// Fourth-order resonant band-pass with gain: two identical second-order
// band-pass responses in cascade, discretised with the backward difference.
// The voice of the wah and the mid emphasis of the distortion.
//
// Audio thread only (owned by EffectState).
class FourPoleFilter final
{
public:
    explicit FourPoleFilter (int sampleRate);

    // Writes c1..c4, b and norm only; the history is untouched.
    void setParameters (float frequency, float gainDb, float damping);

    // Runs one sample through the filter. setParameters must have run first.
    // An output beyond runawayLimit (or NaN) clears the history and gives 0.
    float process (float x);

    // Largest output magnitude taken as sound rather than a runaway filter.
    static constexpr float runawayLimit = 1.0e8f;

    float y0 = 0.0f, y1 = 0.0f, y2 = 0.0f, y3 = 0.0f, y4 = 0.0f;
    float x0 = 0.0f, x1 = 0.0f, x2 = 0.0f;
    float c1 = 0.0f, c2 = 0.0f, c3 = 0.0f, c4 = 0.0f;
    float b = 0.0f;
    float norm = 0.0f;
    int sampleRate;
};
