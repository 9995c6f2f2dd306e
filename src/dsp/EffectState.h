#pragma once

#include "BiquadSection.h"
#include "FourPoleFilter.h"

#include <memory>

// The state the effect slots carry from sample to sample during one run of an
// audio device: created when the device starts, destroyed when it stops, so
// every restart begins with silent delay memory and zeroed filter history.
//
// Created and destroyed on the message thread while no audio callback runs;
// used by the audio thread only.
struct EffectState final
{
    // sampleRate is the device rate truncated toward zero to whole Hz.
    explicit EffectState (int sampleRate);

    int sampleRate;
    int delayWriteIndex = 0;
    std::unique_ptr<float[]> delayBuffer;   // sampleRate floats: one second, all zero at start

    FourPoleFilter wahFilter;
    FourPoleFilter distFilter;
    BiquadSection cabHighPass;
    BiquadSection cabLowPass1;
    BiquadSection cabLowPass2;
    BiquadSection cabPeak;
    BiquadSection ampLowShelf;
    BiquadSection ampPeak;
    BiquadSection ampHighShelf;
};
