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
    // sampleRate is the device rate truncated toward zero to whole Hz (or a
    // multiple of it, for the chain run oversampled). fourPolesInDouble: the
    // wah's and the distortion's filters always use their design in double
    // (see FourPoleFilter), as they must at a multiple of the device rate.
    explicit EffectState (int sampleRate, bool fourPolesInDouble = false);

    // The thread that uses the state (the audio thread, between blocks). As
    // made, at the same rate: silent delay memory at position 0, every
    // filter fresh. Allocates nothing.
    void restart() noexcept;

    int sampleRate;
    bool fourPolesInDouble;
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
