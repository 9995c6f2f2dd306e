#pragma once

#include <cmath>

// Quadratic soft clip y = x - x|x| / (4t) on [-2t, 2t], constant +-t beyond.
// Slope 1 at zero, output never above t in magnitude; a NaN passes through,
// since both comparisons are false for it. Inline so the optimised chain
// runs the very same code as the literal stages.
// Any thread (pure function).
inline float SoftClipper (float x, float threshold)
{
    const float limit = 2.0f * threshold;
    if (x > limit)
        x = limit;
    if (x < -limit)
        x = -limit;

    const float m = std::fabs (x);
    return x * (1.0f - m * (0.25f / threshold));
}
