#include "BiquadSection.h"

// Placeholder until the filter designs land: passes samples through.
BiquadSection::BiquadSection (int rate) : sampleRate (rate) {}
void BiquadSection::setLowPass (float, float) {}
void BiquadSection::setHighPass (float, float) {}
void BiquadSection::setPeak (float, float, float) {}
void BiquadSection::setLowShelf (float, float, float) {}
void BiquadSection::setHighShelf (float, float, float) {}
float BiquadSection::process (float x) { return x; }
