#include "SoftClipper.h"

#include "Voicing.h"

#include <cmath>

float SoftClipper (float x, float threshold)
{
    return velthorn::dsp::voicing::softClip (x, threshold);
}
