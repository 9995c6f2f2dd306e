#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

// The distortion's clip, the amp's drive and the amp's clip in a row, as one
// curve with first-order antiderivative anti-aliasing, for the oversampled
// chain when both slots run.
//
// Anti-aliasing the two clips one after the other is not enough: the first
// one's output is only known at the samples, and the second, with up to
// 40 dB of drive in front of it, reads the time of each edge from straight
// lines drawn between them, wrong by up to a tenth of a sample. That timing
// error folds back as strongly as the clips' own harmonics did. Nothing
// lies between the two clips but the drive gain, so together they are one
// curve of the distortion's emphasised signal, and that curve is averaged
// between successive inputs as AntiderivativeClipper averages one clip.
//
// With c1 the distortion's clip (threshold 0.2), c2 the amp's (threshold
// 0.5) and G the drive factor, the curve is h(x) = c2 (G c1 (x)), odd and
// rising. For x >= 0, with u = c1 (x) = x - 1.25 x^2 up to x = 0.4:
//   h = G u - (G u)^2 / 2   while G u <= 1,
// constant from the first x where c1 or c2 reaches its limit (xb below)
// on. Its antiderivative H is even, a polynomial of degree 5 up to xb and a
// straight line beyond.
//
// The numerics are AntiderivativeClipper's: double throughout, the midpoint
// for nearly equal inputs, infinities as the largest float, the output held
// within the curve's range, NaN passed on and forgotten. The drive may move
// from sample to sample; the previous input's antiderivative is then taken
// again with the new drive, so the quotient always compares one curve.
//
// Audio thread only.
class AntiderivativeClipperPair final
{
public:
    // Audio thread only. Back to silence before the first sample.
    void reset() noexcept
    {
        previousX = 0.0;
        previousH = 0.0;
    }

    struct Memory
    {
        double x = 0.0, h = 0.0, drive = 0.0;
    };

    // Audio thread only. What the pair remembers between samples.
    Memory memory() const noexcept { return { previousX, previousH, drive }; }
    // Audio thread only.
    void restore (const Memory& m) noexcept
    {
        previousX = m.x;
        previousH = m.h;
        setDrive (m.drive);
    }

    // Audio thread only. One sample: x is the distortion's emphasised signal,
    // driveFactor the amp's drive as a factor (10 ^ (dB / 20)).
    inline float process (float input, double driveFactor) noexcept
    {
        constexpr double largest = static_cast<double> (std::numeric_limits<float>::max());

        if (driveFactor != drive)
        {
            setDrive (driveFactor);
            previousH = antiderivative (previousX);
        }

        double x = static_cast<double> (input);
        if (std::isnan (x) || std::isnan (drive))
        {
            reset();
            return std::numeric_limits<float>::quiet_NaN();
        }

        x = std::clamp (x, -largest, largest);
        const double h = antiderivative (x);
        const double dx = x - previousX;
        const double tolerance = 1.0e-7 * (std::fabs (x) + std::fabs (previousX) + 1.0);

        double y;
        if (std::fabs (dx) > tolerance)
            y = (h - previousH) / dx;
        else
            y = curve (0.5 * (x + previousX));

        previousX = x;
        previousH = h;
        return static_cast<float> (std::clamp (y, -ceiling, ceiling));
    }

    // Any thread. h above, for a finite x, at the drive last set.
    inline double curve (double x) const noexcept
    {
        const double m = std::min (std::fabs (x), knee);
        const double u = m - 1.25 * m * m;
        const double w = drive * u;
        const double value = m >= knee ? ceiling : w - 0.5 * w * w;
        return x < 0.0 ? -value : value;
    }

    // Any thread. H above, for a finite x, at the drive last set.
    inline double antiderivative (double x) const noexcept
    {
        const double m = std::fabs (x);
        if (m <= knee)
            return polynomial (m);
        return kneeArea + ceiling * (m - knee);
    }

private:
    // The polynomial part of H: the integral of G u - G^2 u^2 / 2 from 0 to m.
    inline double polynomial (double m) const noexcept
    {
        const double m2 = m * m, m3 = m2 * m, m4 = m3 * m, m5 = m4 * m;
        const double ofU = 0.5 * m2 - (1.25 / 3.0) * m3;
        const double ofU2 = m3 / 3.0 - 0.625 * m4 + 0.3125 * m5;
        return drive * ofU - 0.5 * drive * drive * ofU2;
    }

    // Where the curve stops rising (xb) and its value there.
    void setDrive (double driveFactor) noexcept
    {
        drive = driveFactor;

        if (! (drive > 0.0) || ! std::isfinite (drive))
        {
            // Nothing to clip with; only reached with a drive no control
            // gives (NaN is caught in process).
            knee = 0.4;
            ceiling = 0.0;
            kneeArea = 0.0;
            return;
        }

        // c2 reaches its limit where G u = 1, if that happens before c1
        // reaches its own at x = 0.4 (u = 0.2), i.e. if G > 5.
        if (drive > 5.0)
            knee = (1.0 - std::sqrt (1.0 - 5.0 / drive)) / 2.5;
        else
            knee = 0.4;

        const double u = knee - 1.25 * knee * knee;
        const double w = drive * u;
        ceiling = drive > 5.0 ? 0.5 : w - 0.5 * w * w;
        kneeArea = polynomial (knee);
    }

    double drive = std::numeric_limits<double>::quiet_NaN();
    double knee = 0.4, ceiling = 0.0, kneeArea = 0.0;
    double previousX = 0.0;
    double previousH = 0.0;
};
