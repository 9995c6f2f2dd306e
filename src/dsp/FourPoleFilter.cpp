#include "FourPoleFilter.h"

#include "DspMaths.h"

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
}

float FourPoleFilter::process (float x)
{
    x0 = x;

    // Backward differences of the output with the newest output taken as 0.
    // They are a step of their own, in float like the rest of the audio
    // arithmetic; only the difference equation below is evaluated in double.
    const float d1 = -y1;
    const float d2 = y2 - 2.0f * y1;
    const float d3 = 3.0f * y2 - 3.0f * y1 - y3;
    const float d4 = y4 - 4.0f * y3 + 6.0f * y2 - 4.0f * y1;

    // The difference equation solved for the newest output, in double, rounded once.
    const double sum = static_cast<double> (b) * (static_cast<double> (x0) - 2.0 * static_cast<double> (x1)
                                                  + static_cast<double> (x2))
                     - static_cast<double> (c1) * static_cast<double> (d1)
                     - static_cast<double> (c2) * static_cast<double> (d2)
                     - static_cast<double> (c3) * static_cast<double> (d3)
                     - static_cast<double> (c4) * static_cast<double> (d4);
    y0 = static_cast<float> (static_cast<double> (norm) * sum);

    // With its four poles packed close to z = 1 (low frequency, little
    // damping), the float-rounded coefficients can put a pole outside the unit
    // circle, and the output then grows until it overflows. An infinite or
    // NaN value would stay in this history, and in every filter and the delay
    // memory after it, until the device restarts. Runaway output is therefore
    // dropped and the filter starts again from silence. The limit is far
    // above anything a stable design produces from audio input, so every
    // stable setting keeps its exact output.
    if (! (std::fabs (y0) <= runawayLimit))
    {
        y0 = y1 = y2 = y3 = y4 = 0.0f;
        x0 = x1 = x2 = 0.0f;
        return 0.0f;
    }

    y4 = y3;
    y3 = y2;
    y2 = y1;
    y1 = y0;
    x2 = x1;
    x1 = x0;
    return y0;
}
