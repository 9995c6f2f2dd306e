#include "BiquadSection.h"

#include "DspMaths.h"

#include <cmath>

namespace
{
    using velthorn::dsp::normalisedAngularFrequency;

    // Everything a design needs from its frequency: w0 (rounded to float) and
    // its cosine and sine, taken with the float overloads.
    struct Angle
    {
        float w0, cs, sn;
    };

    Angle angleFor (float frequency, int sampleRate)
    {
        const float w0 = normalisedAngularFrequency (frequency, sampleRate);
        return { w0, std::cos (w0), std::sin (w0) };
    }

    // Shelf and peak amplitude A = 10 ^ (gainDb / 40), formed in double, rounded once.
    float amplitudeFor (float gainDb)
    {
        return static_cast<float> (std::pow (10.0, static_cast<double> (gainDb) / 40.0));
    }

    // The shelves' alpha = (sn / 2) * sqrt ((A + 1/A) (1/slope - 1) + 2); the
    // square root and alpha are each formed in double and rounded to float.
    float shelfAlpha (float sn, float A, float slope)
    {
        const double a = A;
        const float root = static_cast<float> (std::sqrt ((a + 1.0 / a) * (1.0 / static_cast<double> (slope) - 1.0) + 2.0));
        return static_cast<float> (static_cast<double> (sn) / 2.0 * static_cast<double> (root));
    }

    float toFloat (double v) { return static_cast<float> (v); }
}

BiquadSection::BiquadSection (int rate) : sampleRate (rate) {}

void BiquadSection::setLowPass (float frequency, float q)
{
    const Angle angle = angleFor (frequency, sampleRate);
    const float alpha = toFloat (static_cast<double> (angle.sn) / (2.0 * static_cast<double> (q)));
    const double cs = angle.cs, al = alpha;

    b0 = toFloat ((1.0 - cs) / 2.0);
    b1 = toFloat (1.0 - cs);
    b2 = toFloat ((1.0 - cs) / 2.0);
    a0 = toFloat (1.0 + al);
    a1 = toFloat (-2.0 * cs);
    a2 = toFloat (1.0 - al);
}

void BiquadSection::setHighPass (float frequency, float q)
{
    const Angle angle = angleFor (frequency, sampleRate);
    const float alpha = toFloat (static_cast<double> (angle.sn) / (2.0 * static_cast<double> (q)));
    const double cs = angle.cs, al = alpha;

    b0 = toFloat ((1.0 + cs) / 2.0);
    b1 = toFloat (-(1.0 + cs));
    b2 = toFloat ((1.0 + cs) / 2.0);
    a0 = toFloat (1.0 + al);
    a1 = toFloat (-2.0 * cs);
    a2 = toFloat (1.0 - al);
}

void BiquadSection::setPeak (float frequency, float bandwidth, float gainDb)
{
    const Angle angle = angleFor (frequency, sampleRate);
    const float A = amplitudeFor (gainDb);
    const double sn = angle.sn;
    // The w0 / sn factor keeps the bandwidth right after the bilinear warping.
    const float alpha = toFloat (sn * std::sinh (static_cast<double> (velthorn::dsp::ln2) / 2.0
                                                 * static_cast<double> (bandwidth)
                                                 * static_cast<double> (angle.w0) / sn));
    const double cs = angle.cs, al = alpha, a = A;

    b0 = toFloat (1.0 + al * a);
    b1 = toFloat (-2.0 * cs);
    b2 = toFloat (1.0 - al * a);
    a0 = toFloat (1.0 + al / a);
    a1 = toFloat (-2.0 * cs);
    a2 = toFloat (1.0 - al / a);
}

void BiquadSection::setLowShelf (float frequency, float slope, float gainDb)
{
    const Angle angle = angleFor (frequency, sampleRate);
    const float A = amplitudeFor (gainDb);
    const float alpha = shelfAlpha (angle.sn, A, slope);
    const float r = toFloat (std::sqrt (static_cast<double> (A)));
    const double cs = angle.cs, al = alpha, a = A, rt = r;

    b0 = toFloat (a * ((a + 1.0) - (a - 1.0) * cs + 2.0 * rt * al));
    b1 = toFloat (2.0 * a * ((a - 1.0) - (a + 1.0) * cs));
    b2 = toFloat (a * ((a + 1.0) - (a - 1.0) * cs - 2.0 * rt * al));
    a0 = toFloat ((a + 1.0) + (a - 1.0) * cs + 2.0 * rt * al);
    a1 = toFloat (-2.0 * ((a - 1.0) + (a + 1.0) * cs));
    a2 = toFloat ((a + 1.0) + (a - 1.0) * cs - 2.0 * rt * al);
}

void BiquadSection::setHighShelf (float frequency, float slope, float gainDb)
{
    const Angle angle = angleFor (frequency, sampleRate);
    const float A = amplitudeFor (gainDb);
    const float alpha = shelfAlpha (angle.sn, A, slope);
    const float r = toFloat (std::sqrt (static_cast<double> (A)));
    const double cs = angle.cs, al = alpha, a = A, rt = r;

    b0 = toFloat (a * ((a + 1.0) + (a - 1.0) * cs + 2.0 * rt * al));
    b1 = toFloat (-2.0 * a * ((a - 1.0) + (a + 1.0) * cs));
    b2 = toFloat (a * ((a + 1.0) + (a - 1.0) * cs - 2.0 * rt * al));
    a0 = toFloat ((a + 1.0) - (a - 1.0) * cs + 2.0 * rt * al);
    a1 = toFloat (2.0 * ((a - 1.0) - (a + 1.0) * cs));
    a2 = toFloat ((a + 1.0) - (a - 1.0) * cs - 2.0 * rt * al);
}

float BiquadSection::process (float x)
{
    x0 = x;

    // Normalised by a0 on every step, in double, summed left to right and
    // rounded once.
    const double n = a0;
    const double y = static_cast<double> (b0) / n * static_cast<double> (x0)
                   + static_cast<double> (b1) / n * static_cast<double> (x1)
                   + static_cast<double> (b2) / n * static_cast<double> (x2)
                   - static_cast<double> (a1) / n * static_cast<double> (y1)
                   - static_cast<double> (a2) / n * static_cast<double> (y2);
    y0 = static_cast<float> (y);

    x2 = x1;
    y2 = y1;
    x1 = x0;
    y1 = y0;
    return y0;
}
