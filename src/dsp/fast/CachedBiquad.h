#pragma once

#include "BiquadSection.h"
#include "FloatBits.h"

#include <cmath>
#include <cstdint>

// A BiquadSection with its last design remembered. A design is a pure function
// of its kind and its three inputs (the section's rate never changes), so a
// design call whose kind and inputs have the same bit patterns as the last one
// would write the same six coefficients again: it is skipped. The five
// quotients b0/a0 ... a2/a0 that the literal step forms on every sample are
// formed once per design instead, as the same doubles, and the step below uses
// them in the same order, so every output and every history value is
// bit-for-bit what BiquadSection::process gives (NaNs included, see process).
//
// Works on a section it does not own (one of EffectState's), whose history and
// coefficients it keeps exactly as the literal path would; nothing else may
// design that section while this object is in use, or the remembered design
// would no longer describe it.
//
// The inline step is only to be compiled in the DSP library and its tests, which
// build without contraction of multiply-add pairs.
//
// Oversampled, the section keeps its output history in double (see
// keepOutputHistoryInDouble): rounding it to float on every step is noise
// that the recursion amplifies near 0 Hz by about 1 / ((1 - p1) (1 - p2)),
// with p1, p2 its poles, and at eight times the rate the cabinet's high-pass
// has a pole 1.3e-4 from z = 1. Its output still leaves as a float, and the
// section's float members still hold the history, rounded.
//
// Audio thread only.
class CachedBiquad final
{
public:
    // Whichever thread makes the section's owner (the message thread, in the engine).
    explicit CachedBiquad (BiquadSection& section) noexcept;

    // The section's designs, each run only when it differs from the last one.
    // The comparison is inline; the design itself is out of line.
    // Audio thread only.
    inline void setLowPass (float frequency, float q)
    {
        if (changes (Design::lowPass, frequency, q, 0.0f))
            designLowPass (frequency, q);
    }

    // Audio thread only.
    inline void setHighPass (float frequency, float q)
    {
        if (changes (Design::highPass, frequency, q, 0.0f))
            designHighPass (frequency, q);
    }

    // Audio thread only.
    inline void setPeak (float frequency, float bandwidth, float gainDb)
    {
        if (changes (Design::peak, frequency, bandwidth, gainDb))
            designPeak (frequency, bandwidth, gainDb);
    }

    // Audio thread only.
    inline void setLowShelf (float frequency, float slope, float gainDb)
    {
        if (changes (Design::lowShelf, frequency, slope, gainDb))
            designLowShelf (frequency, slope, gainDb);
    }

    // Audio thread only.
    inline void setHighShelf (float frequency, float slope, float gainDb)
    {
        if (changes (Design::highShelf, frequency, slope, gainDb))
            designHighShelf (frequency, slope, gainDb);
    }

    // One step of the section, exactly as BiquadSection::process. When the
    // output is NaN the step is left to BiquadSection::process itself: which
    // of two NaN operands a commutative operation passes on depends on the
    // operand order the compiler chose, so only the literal code gives the
    // literal NaN. A result that is not NaN never saw a NaN operand and has
    // the same bits whatever the order.
    // Audio thread only.
    inline float process (float x) noexcept
    {
        BiquadSection& s = section;

        if (outputHistoryInDouble)
        {
            const double exact = b0Quotient * static_cast<double> (x)
                               + b1Quotient * static_cast<double> (s.x1)
                               + b2Quotient * static_cast<double> (s.x2)
                               - a1Quotient * y1Exact
                               - a2Quotient * y2Exact;
            const float rounded = static_cast<float> (exact);
            s.x0 = x;
            s.y0 = rounded;
            s.x2 = s.x1;
            s.y2 = s.y1;
            s.x1 = x;
            s.y1 = rounded;
            y2Exact = y1Exact;
            y1Exact = exact;
            return rounded;
        }

        const double y = b0Quotient * static_cast<double> (x)
                       + b1Quotient * static_cast<double> (s.x1)
                       + b2Quotient * static_cast<double> (s.x2)
                       - a1Quotient * static_cast<double> (s.y1)
                       - a2Quotient * static_cast<double> (s.y2);
        const float out = static_cast<float> (y);

        if (std::isnan (out))
            return s.process (x);

        s.x0 = x;
        s.y0 = out;
        s.x2 = s.x1;
        s.y2 = s.y1;
        s.x1 = x;
        s.y1 = out;
        return out;
    }

    // For a run of steps with the history held as doubles (the pipelined
    // chain). Widening a float is exact, so each step computes what process
    // does. The two newest inputs (and outputs) sit in a pair of slots that
    // take turns instead of being shifted: after m steps the newer one is in
    // slot m & 1. beginRun widens the section's history, endRun writes it back
    // as floats (relying on x0 == x1 and y0 == y1, which every step leaves).
    // No NaN hand-over here: the caller runs again whatever gave a NaN.
    // Audio thread only.
    inline void beginRun() noexcept
    {
        xRun[0] = section.x1;
        xRun[1] = section.x2;
        yRun[0] = outputHistoryInDouble ? y1Exact : section.y1;
        yRun[1] = outputHistoryInDouble ? y2Exact : section.y2;
        runSteps = 0;
    }

    // One step from a float value widened to double; returns the float
    // output widened again. newer is the slot of the newest values, the
    // number of steps taken in this run so far, modulo 2. exactHistory: the
    // section keeps its output history in double (oversampled).
    // Audio thread only.
    template <bool exactHistory = false>
    inline double stepInRun (double x, int newer) noexcept
    {
        const int older = newer ^ 1;
        const double y = b0Quotient * x + b1Quotient * xRun[newer] + b2Quotient * xRun[older]
                       - a1Quotient * yRun[newer] - a2Quotient * yRun[older];
        const double rounded = static_cast<double> (static_cast<float> (y));
        xRun[older] = x;
        yRun[older] = exactHistory ? y : rounded;
        return rounded;
    }

    // The same, counting the steps itself.
    // Audio thread only.
    template <bool exactHistory = false>
    inline double stepInRun (double x) noexcept
    {
        const double y = stepInRun<exactHistory> (x, runSteps & 1);
        ++runSteps;
        return y;
    }

    // steps: how many steps the run took (when the caller counted them).
    // Audio thread only.
    inline void endRun (int steps) noexcept
    {
        const int newer = steps & 1;
        section.x0 = section.x1 = static_cast<float> (xRun[newer]);
        section.x2 = static_cast<float> (xRun[newer ^ 1]);
        section.y0 = section.y1 = static_cast<float> (yRun[newer]);
        section.y2 = static_cast<float> (yRun[newer ^ 1]);
        y1Exact = yRun[newer];
        y2Exact = yRun[newer ^ 1];
    }

    // Audio thread only.
    inline void endRun() noexcept { endRun (runSteps); }

    // The thread that uses the object.
    BiquadSection& getSection() const noexcept { return section; }

    // Audio thread only. After the section was made anew (a restart): no
    // design remembered, the quotients describing the section as it is now.
    void forgetDesign() noexcept;

    // Whichever thread makes the chain, before the first step: the output
    // history in double from now on (the oversampled chain), or as floats.
    void keepOutputHistoryInDouble (bool exact) noexcept { outputHistoryInDouble = exact; }

    // The thread that uses the object. The output history, one and two
    // steps back, as the next step reads it.
    double getOutputHistory (int stepsBack) const noexcept
    {
        if (outputHistoryInDouble)
            return stepsBack == 1 ? y1Exact : y2Exact;
        return stepsBack == 1 ? section.y1 : section.y2;
    }
    void setOutputHistory (double newer, double older) noexcept
    {
        y1Exact = newer;
        y2Exact = older;
    }

private:
    enum class Design : std::uint8_t
    {
        none,
        lowPass,
        highPass,
        peak,
        lowShelf,
        highShelf
    };

    // True (and the new inputs remembered) when a design differs from the last one.
    inline bool changes (Design design, float first, float second, float third) noexcept
    {
        using velthorn::dsp::bitsOf;
        const std::uint32_t k0 = bitsOf (first), k1 = bitsOf (second), k2 = bitsOf (third);

        if (design == lastDesign && k0 == lastInputs[0] && k1 == lastInputs[1] && k2 == lastInputs[2])
            return false;

        lastDesign = design;
        lastInputs[0] = k0;
        lastInputs[1] = k1;
        lastInputs[2] = k2;
        return true;
    }

    void designLowPass (float frequency, float q);
    void designHighPass (float frequency, float q);
    void designPeak (float frequency, float bandwidth, float gainDb);
    void designLowShelf (float frequency, float slope, float gainDb);
    void designHighShelf (float frequency, float slope, float gainDb);
    void refreshQuotients() noexcept;

    BiquadSection& section;
    double b0Quotient = 0.0, b1Quotient = 0.0, b2Quotient = 0.0, a1Quotient = 0.0, a2Quotient = 0.0;
    double xRun[2] = {}, yRun[2] = {};
    int runSteps = 0;
    bool outputHistoryInDouble = false;
    double y1Exact = 0.0, y2Exact = 0.0;   // the output history, when kept in double
    Design lastDesign = Design::none;
    std::uint32_t lastInputs[3] = {};
};
