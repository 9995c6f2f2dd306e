#include "FourPoleFilter.h"

#include "DspMaths.h"
#include "FourPoleStability.h"

#include <cmath>

FourPoleFilter::FourPoleFilter (int rate) : sampleRate (rate) {}

void FourPoleFilter::setParameters (float frequency, float gainDb, float damping)
{
    const float gain = static_cast<float> (velthorn::dsp::decibelsToGain (gainDb));
    const float w = static_cast<float> (velthorn::dsp::twoPi * static_cast<double> (frequency));
    const float f = static_cast<float> (1.0 / static_cast<double> (w));

    // k = sampleRate / w is never formed: its powers are built as powers of f
    // and powers of the rate (as a float), each in double, and multiplied.
    // Every coefficient is then rounded to float once.
    const double f1 = f;
    const double f2 = f1 * f1;
    const double f3 = f2 * f1;
    const double f4 = f3 * f1;
    const double s1 = static_cast<double> (static_cast<float> (sampleRate));
    const double s2 = s1 * s1;
    const double s3 = s2 * s1;
    const double s4 = s3 * s1;
    const double d = damping;

    c1 = static_cast<float> ((4.0 * d * f1) * s1);
    c2 = static_cast<float> (((4.0 * d * d + 2.0) * f2) * s2);
    c3 = static_cast<float> ((4.0 * d * f3) * s3);
    c4 = static_cast<float> (f4 * s4);
    b = static_cast<float> ((static_cast<double> (gain) * f2) * s2);
    norm = static_cast<float> (1.0 / (1.0 + static_cast<double> (c1) + static_cast<double> (c2)
                                      + static_cast<double> (c3) + static_cast<double> (c4)));

    // With its four poles packed close to z = 1 (low frequency, little
    // damping, high rate), the float-rounded coefficients can put a pole on
    // or outside the unit circle, and the output then grows until it
    // overflows. The decision is made here, once per design, not per sample.
    if (c4 < largestFloatC4 && fourPoleRecursionIsStable (c1, c2, c3, c4, norm))
    {
        usesDoubleDesign = false;
        stepC1 = c1;
        stepC2 = c2;
        stepC3 = c3;
        stepC4 = c4;
        stepB = b;
        stepNorm = norm;
    }
    else
    {
        designInDouble (frequency, gainDb, damping);
    }
}

// The same design with nothing rounded to float: the backward difference of a
// stable prototype has every pole inside the unit circle, and in double the
// rounding of norm moves the constant term by about c4 * 2^-53, a millionth
// of it at the most extreme reachable setting.
void FourPoleFilter::designInDouble (float frequency, float gainDb, float damping)
{
    const double gain = velthorn::dsp::decibelsToGain (gainDb);
    const double w = velthorn::dsp::twoPi * static_cast<double> (frequency);
    const double f1 = 1.0 / w;
    const double f2 = f1 * f1;
    const double f3 = f2 * f1;
    const double f4 = f3 * f1;
    const double s1 = static_cast<double> (sampleRate);
    const double s2 = s1 * s1;
    const double s3 = s2 * s1;
    const double s4 = s3 * s1;
    const double d = damping;

    usesDoubleDesign = true;
    stepC1 = (4.0 * d * f1) * s1;
    stepC2 = ((4.0 * d * d + 2.0) * f2) * s2;
    stepC3 = (4.0 * d * f3) * s3;
    stepC4 = f4 * s4;
    stepB = (gain * f2) * s2;
    stepNorm = 1.0 / (1.0 + stepC1 + stepC2 + stepC3 + stepC4);
}

float FourPoleFilter::process (float x)
{
    x0 = x;

    // The backward differences of the output with the newest output taken as
    // 0, as part of the double expression of the step. Taken in float they
    // are rounded near z = 1, where c4 (10^5 to 10^10) multiplies that
    // rounding, and that alone can make a stable design grow without bound.
    // h1..h4 are the float history widened under the float design.
    const double d1 = -h1;
    const double d2 = h2 - 2.0 * h1;
    const double d3 = 3.0 * h2 - 3.0 * h1 - h3;
    const double d4 = h4 - 4.0 * h3 + 6.0 * h2 - 4.0 * h1;

    // The difference equation solved for the newest output, rounded once.
    const double sum = stepB * (static_cast<double> (x0) - 2.0 * static_cast<double> (x1) + static_cast<double> (x2))
                     - stepC1 * d1
                     - stepC2 * d2
                     - stepC3 * d3
                     - stepC4 * d4;
    const double y = stepNorm * sum;
    y0 = static_cast<float> (y);

    // The last resort: an infinite or NaN value would stay in this history,
    // and in every filter and the delay memory after it, until the device
    // restarts. Output beyond the limit is therefore dropped and the filter
    // starts again from silence. No reachable setting comes near it.
    if (! (std::fabs (y0) <= runawayLimit))
    {
        y0 = y1 = y2 = y3 = y4 = 0.0f;
        x0 = x1 = x2 = 0.0f;
        h1 = h2 = h3 = h4 = 0.0;
        return 0.0f;
    }

    y4 = y3;
    y3 = y2;
    y2 = y1;
    y1 = y0;
    h4 = h3;
    h3 = h2;
    h2 = h1;
    h1 = usesDoubleDesign ? y : static_cast<double> (y0);
    x2 = x1;
    x1 = x0;
    return y0;
}
