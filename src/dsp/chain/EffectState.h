#pragma once

#include "BiquadSection.h"
#include "FourPoleFilter.h"

#include <memory>
#include <vector>

// The state the effect slots carry from sample to sample during one run of an
// audio device: created when the device starts, destroyed when it stops, so
// every restart begins with silent delay memory and zeroed filter history.
//
// Oversampled, the chain runs at a multiple of the device rate: the delay
// memory holds one second at that rate and the biquads are designed at it.
// The wah's and the distortion's four-pole filters are not: designed by
// backward difference, they would sound different at another rate (their
// resonance sharper, their phase earlier). They stay the device-rate filters,
// one copy for each of the samples a device sample becomes, which the chain
// steps in turn (see CachedFourPole), so together they give the device-rate
// response at the higher rate.
//
// Created and destroyed on the message thread while no audio callback runs;
// used by the audio thread only.
struct EffectState final
{
    // deviceRate is the device rate truncated toward zero to whole Hz;
    // oversampling the factor the chain runs at (1, 2, 4 or 8).
    explicit EffectState (int deviceRate, int oversampling = 1);

    // The thread that uses the state (the audio thread, between blocks). As
    // made: silent delay memory at position 0, every filter fresh. Allocates
    // nothing.
    void restart() noexcept;

    int sampleRate;     // the rate the chain runs at: the device rate times oversampling
    int oversampling;
    int delayWriteIndex = 0;
    std::unique_ptr<float[]> delayBuffer;   // sampleRate floats: one second, all zero at start

    FourPoleFilter wahFilter;     // at the device rate
    FourPoleFilter distFilter;    // at the device rate
    BiquadSection cabHighPass;
    BiquadSection cabLowPass1;
    BiquadSection cabLowPass2;
    BiquadSection cabPeak;
    BiquadSection ampLowShelf;
    BiquadSection ampPeak;
    BiquadSection ampHighShelf;

    // Oversampled: the copies of wahFilter and distFilter for the second to
    // the last of the samples each device sample becomes (oversampling - 1
    // of each; none at factor 1).
    std::vector<FourPoleFilter> wahPhases;
    std::vector<FourPoleFilter> distPhases;
};
