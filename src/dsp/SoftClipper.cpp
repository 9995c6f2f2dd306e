#include "SoftClipper.h"

#include <cmath>

float SoftClipper (float x, float threshold)
{
    // Both comparisons are false for a NaN, which therefore passes through.
    const float limit = 2.0f * threshold;
    if (x > limit)
        x = limit;
    if (x < -limit)
        x = -limit;

    const float m = std::fabs (x);
    return x * (1.0f - m * (0.25f / threshold));
}
