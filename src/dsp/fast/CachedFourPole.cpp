#include "CachedFourPole.h"

CachedFourPole::CachedFourPole (FourPoleFilter& f, FourPoleFilter* otherPhases, int numberOfOtherPhases) noexcept
    : filter (f)
{
    phases[0] = &filter;
    for (int p = 0; p < numberOfOtherPhases && p + 1 < maximumPhases; ++p)
        phases[numPhases++] = otherPhases + p;

    // Describes the filter as it is, designed or not.
    refreshCoefficients();
}

void CachedFourPole::forgetDesign() noexcept
{
    designed = false;
    lastInputs[0] = lastInputs[1] = lastInputs[2] = 0;
    x1Run = x2Run = 0.0;
    for (int p = 0; p < maximumPhases; ++p)
        x1Runs[p] = x2Runs[p] = 0.0;
    phase = 0;
    refreshCoefficients();
}

void CachedFourPole::design (float frequency, float gainDb, float damping)
{
    filter.setParameters (frequency, gainDb, damping);
    refreshCoefficients();

    // The copies take the same design; their history stays their own.
    for (int p = 1; p < numPhases; ++p)
    {
        FourPoleFilter& copy = *phases[p];
        copy.c1 = filter.c1;
        copy.c2 = filter.c2;
        copy.c3 = filter.c3;
        copy.c4 = filter.c4;
        copy.b = filter.b;
        copy.norm = filter.norm;
        copy.usesDoubleDesign = filter.usesDoubleDesign;
        copy.stepC1 = filter.stepC1;
        copy.stepC2 = filter.stepC2;
        copy.stepC3 = filter.stepC3;
        copy.stepC4 = filter.stepC4;
        copy.stepB = filter.stepB;
        copy.stepNorm = filter.stepNorm;
    }
}

void CachedFourPole::refreshCoefficients() noexcept
{
    // The values the literal step multiplies by.
    c1 = filter.stepC1;
    c2 = filter.stepC2;
    c3 = filter.stepC3;
    c4 = filter.stepC4;
    b = filter.stepB;
    norm = filter.stepNorm;
    doubleHistory = filter.usesDoubleDesign;
}
