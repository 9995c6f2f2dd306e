#pragma once

#include "FloatBits.h"
#include "FourPoleFilter.h"

#include <cmath>
#include <cstdint>

// A FourPoleFilter with its last design remembered. The design is a pure
// function of frequency, gain and damping (the rate never changes), so a
// design call whose three inputs have the same bit patterns as the last one is
// skipped. The step below is FourPoleFilter::process written out inline, with
// the coefficients the literal step multiplies by (the float design widened,
// or the design in double where the filter chose it); it keeps the runaway
// guard: an output beyond runawayLimit, or a NaN, clears the history and
// gives 0.
//
// Works on a filter it does not own (one of EffectState's); nothing else may
// design that filter while this object is in use.
//
// Oversampled, it runs copies of the filter (EffectState's phases) besides
// it, all of one design: successive samples go to the filter, then to each
// copy in turn, and back. Each copy so filters the signal as sampled at the
// filter's own rate, a fraction of a sample later than the one before, and
// together they give the filter's response at the higher rate.
//
// The inline step is only to be compiled in the DSP library and its tests, which
// build without contraction of multiply-add pairs.
//
// Audio thread only.
class CachedFourPole final
{
public:
    // Whichever thread makes the filter's owner (the message thread, in the
    // engine). otherPhases: numberOfOtherPhases copies (up to maximumPhases - 1)
    // stepped after the filter, in turn; none at the device rate.
    explicit CachedFourPole (FourPoleFilter& filter, FourPoleFilter* otherPhases = nullptr,
                             int numberOfOtherPhases = 0) noexcept;

    // The most copies the filter runs as, the filter included.
    static constexpr int maximumPhases = 8;

    // The filter's design, run only when its inputs differ from the last ones.
    // Audio thread only.
    inline void setParameters (float frequency, float gainDb, float damping)
    {
        using velthorn::dsp::bitsOf;
        const std::uint32_t k0 = bitsOf (frequency), k1 = bitsOf (gainDb), k2 = bitsOf (damping);

        if (designed && k0 == lastInputs[0] && k1 == lastInputs[1] && k2 == lastInputs[2])
            return;

        designed = true;
        lastInputs[0] = k0;
        lastInputs[1] = k1;
        lastInputs[2] = k2;
        design (frequency, gainDb, damping);
    }

    // One step of the filter, exactly as FourPoleFilter::process. A NaN
    // never leaves it (the guard turns it into a restart from silence), so
    // its bits cannot depend on operand order.
    // Audio thread only.
    inline float process (float x) noexcept
    {
        FourPoleFilter& f = *phases[phase];
        phase = phase + 1 == numPhases ? 0 : phase + 1;
        f.x0 = x;

        const double d1 = -f.h1;
        const double d2 = f.h2 - 2.0 * f.h1;
        const double d3 = 3.0 * f.h2 - 3.0 * f.h1 - f.h3;
        const double d4 = f.h4 - 4.0 * f.h3 + 6.0 * f.h2 - 4.0 * f.h1;

        const double sum = b * (static_cast<double> (f.x0) - 2.0 * static_cast<double> (f.x1) + static_cast<double> (f.x2))
                         - c1 * d1
                         - c2 * d2
                         - c3 * d3
                         - c4 * d4;
        const double y = norm * sum;
        f.y0 = static_cast<float> (y);

        if (! (std::fabs (f.y0) <= FourPoleFilter::runawayLimit))
        {
            f.y0 = f.y1 = f.y2 = f.y3 = f.y4 = 0.0f;
            f.x0 = f.x1 = f.x2 = 0.0f;
            f.h1 = f.h2 = f.h3 = f.h4 = 0.0;
            return 0.0f;
        }

        f.y4 = f.y3;
        f.y3 = f.y2;
        f.y2 = f.y1;
        f.y1 = f.y0;
        f.h4 = f.h3;
        f.h3 = f.h2;
        f.h2 = f.h1;
        f.h1 = doubleHistory ? y : static_cast<double> (f.y0);
        f.x2 = f.x1;
        f.x1 = f.x0;
        return f.y0;
    }

    // For a run of steps (the pipelined chain): the input history is held as
    // doubles (widening a float is exact), the step reads and writes only the
    // double output history, and endRun writes the float members back: the
    // newest output and input (relying on y0 == y1 and x0 == x1 as every
    // step, and the guard, leave them) and the float output history, which
    // is the double one rounded (exact under the float design). Computes
    // what process does.
    // Audio thread only.
    inline void beginRun() noexcept
    {
        x1Run = filter.x1;
        x2Run = filter.x2;

        for (int p = 0; p < numPhases; ++p)
        {
            x1Runs[p] = phases[p]->x1;
            x2Runs[p] = phases[p]->x2;
        }
    }

    // Audio thread only. A step of the filter alone (at the device rate).
    inline float stepInRun (float x) noexcept
    {
        return stepOf (filter, x1Run, x2Run, x);
    }

    // Audio thread only. A step of the copy whose turn it is (oversampled).
    inline float stepPhaseInRun (float x) noexcept
    {
        const int p = phase;
        phase = p + 1 == numPhases ? 0 : p + 1;
        return stepOf (*phases[p], x1Runs[p], x2Runs[p], x);
    }

    // Audio thread only. After steps of the filter alone.
    inline void endRun() noexcept
    {
        endRunOf (filter, x1Run, x2Run);
    }

    // Audio thread only. After steps of the copies in turn.
    inline void endPhaseRun() noexcept
    {
        for (int p = 0; p < numPhases; ++p)
            endRunOf (*phases[p], x1Runs[p], x2Runs[p]);
    }

    // The thread that uses the object.
    FourPoleFilter& getFilter() const noexcept { return filter; }

    // The thread that uses the object. How many copies run, the filter
    // included, and which one takes the next sample.
    int getNumPhases() const noexcept { return numPhases; }
    int getPhase() const noexcept { return phase; }
    void setPhase (int nextPhase) noexcept { phase = nextPhase; }
    FourPoleFilter& getPhaseFilter (int p) const noexcept { return *phases[p]; }

    // Audio thread only. After the filter was made anew (a restart): no
    // design remembered, the coefficients describing the filter as it is now,
    // the first copy's turn.
    void forgetDesign() noexcept;

private:
    inline float stepOf (FourPoleFilter& f, double& x1, double& x2, float x) noexcept
    {
        const double d1 = -f.h1;
        const double d2 = f.h2 - 2.0 * f.h1;
        const double d3 = 3.0 * f.h2 - 3.0 * f.h1 - f.h3;
        const double d4 = f.h4 - 4.0 * f.h3 + 6.0 * f.h2 - 4.0 * f.h1;

        const double in = x;
        const double sum = b * (in - 2.0 * x1 + x2)
                         - c1 * d1
                         - c2 * d2
                         - c3 * d3
                         - c4 * d4;
        const double exact = norm * sum;
        const float y = static_cast<float> (exact);

        if (! (std::fabs (y) <= FourPoleFilter::runawayLimit))
        {
            f.h1 = f.h2 = f.h3 = f.h4 = 0.0;
            x1 = x2 = 0.0;
            return 0.0f;
        }

        f.h4 = f.h3;
        f.h3 = f.h2;
        f.h2 = f.h1;
        f.h1 = doubleHistory ? exact : static_cast<double> (y);
        x2 = x1;
        x1 = in;
        return y;
    }

    static inline void endRunOf (FourPoleFilter& f, double x1, double x2) noexcept
    {
        f.y1 = static_cast<float> (f.h1);
        f.y2 = static_cast<float> (f.h2);
        f.y3 = static_cast<float> (f.h3);
        f.y4 = static_cast<float> (f.h4);
        f.y0 = f.y1;
        f.x0 = f.x1 = static_cast<float> (x1);
        f.x2 = static_cast<float> (x2);
    }

    void design (float frequency, float gainDb, float damping);
    void refreshCoefficients() noexcept;

    FourPoleFilter& filter;
    FourPoleFilter* phases[maximumPhases] {};
    int numPhases = 1;
    int phase = 0;
    double x1Runs[maximumPhases] {}, x2Runs[maximumPhases] {};
    double c1 = 0.0, c2 = 0.0, c3 = 0.0, c4 = 0.0, b = 0.0, norm = 0.0;
    bool doubleHistory = false;
    double x1Run = 0.0, x2Run = 0.0;
    bool designed = false;
    std::uint32_t lastInputs[3] = {};
};
