#pragma once

// Fourth-order resonant band-pass with gain: two identical second-order
// band-pass responses in cascade, discretised with the backward difference.
// The voice of the wah and the mid emphasis of the distortion.
//
// Two ways to run the same difference equation, chosen at each design:
// - the documented one: float coefficients c1..c4, b, norm, the history in
//   float, each step evaluated in double and rounded once;
// - where that one cannot be trusted, the same design kept in double and the
//   output history kept in double as well (the float members then hold it
//   rounded). See usesDoubleDesign.
// The history carries over from one to the other, so a sweep that crosses
// between them does not click.
//
// Audio thread only (owned by EffectState).
class FourPoleFilter final
{
public:
    explicit FourPoleFilter (int sampleRate);

    // Writes c1..c4, b and norm, and the coefficients the step uses; the
    // history is untouched.
    void setParameters (float frequency, float gainDb, float damping);

    // Runs one sample through the filter. setParameters must have run first.
    // An output beyond runawayLimit (or NaN) clears the history and gives 0.
    float process (float x);

    // Largest output magnitude taken as sound rather than a runaway filter.
    static constexpr float runawayLimit = 1.0e8f;

    // The float design is used only while c4 stays below this. At 0 Hz the
    // recursion multiplies an error in its own output history by 1 / norm,
    // about c4; with c4 at 2^24, that times float's relative rounding reaches
    // 1, and rounding the history to float can then feed on itself even where
    // the float coefficients are stable (88200 Hz, 150 Hz, damping 0.002 runs
    // to infinity that way).
    static constexpr float largestFloatC4 = 16777216.0f;

    float y0 = 0.0f, y1 = 0.0f, y2 = 0.0f, y3 = 0.0f, y4 = 0.0f;
    float x0 = 0.0f, x1 = 0.0f, x2 = 0.0f;
    float c1 = 0.0f, c2 = 0.0f, c3 = 0.0f, c4 = 0.0f;
    float b = 0.0f;
    float norm = 0.0f;
    int sampleRate;

    // False while the float design is proven stable (every pole strictly
    // inside the unit circle) and c4 is below largestFloatC4: the step is
    // then exactly the documented float arithmetic. True otherwise: the step
    // uses the design in double and the double history.
    bool usesDoubleDesign = false;

    // The coefficients the step multiplies by: c1..c4, b, norm widened, or
    // the design in double.
    double stepC1 = 0.0, stepC2 = 0.0, stepC3 = 0.0, stepC4 = 0.0, stepB = 0.0, stepNorm = 0.0;

    // The output history the step reads, one to four steps back. Under the
    // float design each is exactly the float member (y1..y4); under the
    // double design the float member is this rounded. Whoever sets the float
    // history by hand sets these too.
    double h1 = 0.0, h2 = 0.0, h3 = 0.0, h4 = 0.0;

private:
    void designInDouble (float frequency, float gainDb, float damping);
};
