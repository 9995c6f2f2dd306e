#pragma once

#include <cmath>

// What no input within +-1 can drive a four-pole design beyond.
namespace four_pole_bound
{
    // Sum of |h[n]| for n < samples, h the impulse response of the design in
    // double at gain 0 dB (the gain only scales it), computed in double from
    // k = rate / (2 pi f) directly. For an input within +-1 and a start from
    // rest, no output of that design in the first `samples` can exceed it.
    inline double impulseResponseSum (int rate, float frequency, float damping, long samples)
    {
        const double k = rate / (6.283185307179586 * frequency);
        const double z = damping;
        const double c1 = 4.0 * z * k, c2 = (4.0 * z * z + 2.0) * k * k, c3 = 4.0 * z * k * k * k, c4 = k * k * k * k;
        const double b = k * k;
        const double norm = 1.0 / (1.0 + c1 + c2 + c3 + c4);

        double y1 = 0.0, y2 = 0.0, y3 = 0.0, y4 = 0.0, x1 = 0.0, x2 = 0.0, sum = 0.0;
        for (long n = 0; n < samples; ++n)
        {
            const double x = n == 0 ? 1.0 : 0.0;
            const double y = norm * (b * (x - 2.0 * x1 + x2) + c1 * y1 - c2 * (y2 - 2.0 * y1)
                                     - c3 * (3.0 * y2 - 3.0 * y1 - y3) - c4 * (y4 - 4.0 * y3 + 6.0 * y2 - 4.0 * y1));
            sum += std::fabs (y);
            y4 = y3;
            y3 = y2;
            y2 = y1;
            y1 = y;
            x2 = x1;
            x1 = x;
        }
        return sum;
    }
}
