#pragma once

#include <cstdint>

// One sample's parameters and switches, as the audio callback read them from
// the parameter block for that sample: the continuous values as stored
// (normalised, meant to lie in 0..1) and the switches as integers, non-zero
// meaning on. The initial values are the engine's.
struct ChainSettings final
{
    float delTme = 0.5f, delAm = 0.5f;
    float wahFreq = 1.0f, wahRes = 0.3f, wahGain = 0.7f;
    float distGain = 0.6f, distFreq = 0.4f;
    float ampDrv = 0.7f, ampLo = 0.5f, ampMid = 0.5f, ampHi = 0.5f;
    float mast = 0.6f;
    std::int32_t delOn = 0, wahOn = 0, distOn = 0, ampOn = 1, mastOn = 1;
};
