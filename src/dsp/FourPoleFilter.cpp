#include "FourPoleFilter.h"

// Placeholder until the filter design lands.
FourPoleFilter::FourPoleFilter (int rate) : sampleRate (rate) {}
void FourPoleFilter::setParameters (float, float, float) {}
float FourPoleFilter::process (float) { return 0.0f; }
