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
    // Widening a float to double is exact: these are the values the literal
    // step converts to on every sample.
    c1 = filter.c1;
    c2 = filter.c2;
    c3 = filter.c3;
    c4 = filter.c4;
    b = filter.b;
    norm = filter.norm;
}
