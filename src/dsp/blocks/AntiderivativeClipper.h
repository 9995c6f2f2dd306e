#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

// SoftClipper with first-order antiderivative anti-aliasing, for the chain
// when it runs oversampled.
//
// A clipper driven hard is close to a square wave, whose harmonics fall only
// 6 dB an octave: even at eight times the device rate the ones folded back
// from far above stay audible. Instead of the clip of each sample, this gives
// the clip's mean over the straight line between the previous input and this
// one, (F(x) - F(x1)) / (x - x1), with F the clip's antiderivative. That mean
// is a box filter applied to the clipped signal before it is sampled, so what
// would fold back is attenuated many times more, at the price of half a
// sample of delay and a gentle treble loss at the oversampled rate.
//
// The clip, with t the threshold: f(x) = x - x|x| / (4t) on [-2t, 2t], +-t
// beyond. Its antiderivative (even, zero at 0):
//   F(x) = x^2 / 2 - |x|^3 / (12t)      for |x| <= 2t
//   F(x) = t|x| - 2t^2 / 3              beyond (continuous at 2t: 4t^2 / 3)
//
// Numerics, in double throughout:
//   - two nearly equal inputs make the quotient a small difference of large
//     numbers divided by a small number; below a relative distance the mean
//     is taken as the clip of the midpoint instead, whose error (the second
//     derivative, 1 / (2t) at most, times the distance squared over 24) is
//     far below float resolution there;
//   - an infinite input counts as the largest float, whose antiderivative is
//     still finite in double, so the quotient never becomes inf / inf;
//   - the mean of values within +-t lies within +-t, and the output is held
//     there against rounding, as the plain clip's is;
//   - a NaN input gives a NaN output, as the plain clip passes it, and the
//     next finite input starts afresh instead of carrying the NaN on.
//
// State: the previous input and its antiderivative. Audio thread only.
class AntiderivativeClipper final
{
public:
    // Any thread, before use. threshold is positive (0.2 for the distortion,
    // 0.5 for the amp).
    explicit AntiderivativeClipper (float threshold) noexcept
        : t (static_cast<double> (threshold)),
          twoT (2.0 * static_cast<double> (threshold)),
          quarterOverT (0.25 / static_cast<double> (threshold)),
          twelfthOverT (1.0 / (12.0 * static_cast<double> (threshold))),
          linearOffset (2.0 * static_cast<double> (threshold) * static_cast<double> (threshold) / 3.0)
    {
    }

    // Audio thread only. Back to silence before the first sample.
    void reset() noexcept
    {
        previousX = 0.0;
        previousF = 0.0;
    }

    // What the clipper remembers between samples, so that a caller can run a
    // stretch of samples again from where it started.
    struct Memory
    {
        double x = 0.0, f = 0.0;
    };

    // Audio thread only.
    Memory memory() const noexcept { return { previousX, previousF }; }
    // Audio thread only.
    void restore (const Memory& m) noexcept
    {
        previousX = m.x;
        previousF = m.f;
    }

    // Audio thread only. One sample.
    inline float process (float input) noexcept
    {
        constexpr double largest = static_cast<double> (std::numeric_limits<float>::max());
        double x = static_cast<double> (input);

        if (std::isnan (x))
        {
            // Nothing to average with: pass it on, as the plain clip does, and
            // let the next sample start from silence rather than from NaN.
            reset();
            return input;
        }

        x = std::clamp (x, -largest, largest);
        const double f = antiderivative (x);
        const double dx = x - previousX;

        // Below this distance the quotient loses more to cancellation than
        // the midpoint rule loses to curvature (see above).
        const double tolerance = 1.0e-7 * (std::fabs (x) + std::fabs (previousX) + t);

        double y;
        if (std::fabs (dx) > tolerance)
            y = (f - previousF) / dx;
        else
            y = clip (0.5 * (x + previousX));

        previousX = x;
        previousF = f;
        return static_cast<float> (std::clamp (y, -t, t));
    }

    // Any thread. F above, for a finite x.
    inline double antiderivative (double x) const noexcept
    {
        const double m = std::fabs (x);
        if (m <= twoT)
            return 0.5 * x * x - m * m * m * twelfthOverT;
        return t * m - linearOffset;
    }

    // Any thread. The clip itself in double, for a finite x.
    inline double clip (double x) const noexcept
    {
        if (x > twoT)
            return t;
        if (x < -twoT)
            return -t;
        return x - x * std::fabs (x) * quarterOverT;
    }

private:
    double t, twoT, quarterOverT, twelfthOverT, linearOffset;
    double previousX = 0.0;
    double previousF = 0.0;
};
