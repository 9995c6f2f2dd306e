#include "CachedFourPole.h"

CachedFourPole::CachedFourPole (FourPoleFilter& f) noexcept : filter (f)
{
    // Describes the filter as it is, designed or not.
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
