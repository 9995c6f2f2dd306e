#include "CachedFourPole.h"

CachedFourPole::CachedFourPole (FourPoleFilter& f) noexcept : filter (f)
{
    // Describes the filter as it is, designed or not.
    refreshCoefficients();
}

void CachedFourPole::forgetDesign() noexcept
{
    designed = false;
    lastInputs[0] = lastInputs[1] = lastInputs[2] = 0;
    x1Run = x2Run = 0.0;
    refreshCoefficients();
}

void CachedFourPole::design (float frequency, float gainDb, float damping)
{
    filter.setParameters (frequency, gainDb, damping);
    refreshCoefficients();
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
