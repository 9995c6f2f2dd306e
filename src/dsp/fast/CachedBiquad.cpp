#include "CachedBiquad.h"

CachedBiquad::CachedBiquad (BiquadSection& s) noexcept : section (s)
{
    // Describes the section as it is, designed or not, so that a step before
    // the first design computes what the literal step would.
    refreshQuotients();
}

void CachedBiquad::forgetDesign() noexcept
{
    lastDesign = Design::none;
    lastInputs[0] = lastInputs[1] = lastInputs[2] = 0;
    xRun[0] = xRun[1] = yRun[0] = yRun[1] = 0.0;
    y1Exact = y2Exact = 0.0;
    runSteps = 0;
    refreshQuotients();
}

void CachedBiquad::designLowPass (float frequency, float q)
{
    section.setLowPass (frequency, q);
    refreshQuotients();
}

void CachedBiquad::designHighPass (float frequency, float q)
{
    section.setHighPass (frequency, q);
    refreshQuotients();
}

void CachedBiquad::designPeak (float frequency, float bandwidth, float gainDb)
{
    section.setPeak (frequency, bandwidth, gainDb);
    refreshQuotients();
}

void CachedBiquad::designLowShelf (float frequency, float slope, float gainDb)
{
    section.setLowShelf (frequency, slope, gainDb);
    refreshQuotients();
}

void CachedBiquad::designHighShelf (float frequency, float slope, float gainDb)
{
    section.setHighShelf (frequency, slope, gainDb);
    refreshQuotients();
}

void CachedBiquad::refreshQuotients() noexcept
{
    // The same divisions, in the same precision, as the literal step.
    const double n = section.a0;
    b0Quotient = static_cast<double> (section.b0) / n;
    b1Quotient = static_cast<double> (section.b1) / n;
    b2Quotient = static_cast<double> (section.b2) / n;
    a1Quotient = static_cast<double> (section.a1) / n;
    a2Quotient = static_cast<double> (section.a2) / n;
}
