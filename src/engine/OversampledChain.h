#pragma once

#include <juce_dsp/juce_dsp.h>

#include "CachedEffectChain.h"
#include "ChainSettings.h"
#include "EffectState.h"
#include "Resampling.h"

#include <memory>
#include <vector>

// The effect chain run at 2, 4 or 8 times the device rate, for a sound
// without the aliasing of the clips. The mono block is upsampled, runs
// through a chain of its own on a state made for that factor (biquads
// designed at the higher rate, one second of delay memory at it, the
// four-pole filters as device-rate copies in turn; see EffectState), with
// the clips anti-aliased, and is downsampled again.
//
// Each device sample's settings apply to the `factor` samples it becomes, so
// a change at device sample j (a knob, a MIDI event) acts from oversampled
// sample factor * j on.
//
// Resampling (see Resampling): either the framework's polyphase IIR
// half-band filters at their maximum quality, with the fractional part of
// their delay at low frequencies topped up to a whole number of device
// samples; or its linear-phase FIR equiripple half-band filters, whose delay
// is the same at every frequency and is made a whole number of device
// samples by a delay of a few samples at the high rate (a pure delay, so
// still the same at every frequency). Either way latencyFor says how late
// the output is, so a host or the renderer can line it up with the input.
//
// Made on the message thread when the device starts; used by the audio
// thread only; allocates nothing after construction.
class OversampledChain final
{
public:
    // The factors the chain runs at besides 1.
    static constexpr int factors[] { 2, 4, 8 };

    // Any thread. Whether the engine runs at this factor (1, 2, 4 or 8).
    static bool isSupportedFactor (int factor) noexcept;

    // Any thread once the first call has returned (the engine's constructor
    // makes it): the delay the resampling at this factor adds, in device
    // samples, the same at every rate. 0 for factor 1 and anything unsupported.
    static int latencyFor (int factor, Resampling resampling = Resampling::lowLatency) noexcept;

    // Message thread. A chain at factor (2, 4 or 8) times deviceRate (whole
    // Hz, as the device-rate chain uses it), for blocks of up to
    // maximumBlockSize device samples, starting from silence.
    OversampledChain (int factor, int deviceRate, int maximumBlockSize,
                      Resampling resampling = Resampling::lowLatency);
    // Message thread, while no block runs.
    ~OversampledChain();

    // Audio thread. Runs samples[0 .. n-1] (device rate, n at most the
    // maximum block size) in place, sample j with settings[j]: upsampled,
    // through the chain, downsampled. The result lags the input by
    // latencyFor (factor, resampling) samples.
    void process (float* samples, const ChainSettings* settings, int n) noexcept;

    // Audio thread (between blocks). As made: silent resampler, fresh
    // filters, silent delay memory. What a device restart gives.
    void restart() noexcept;

    // Any thread.
    int getFactor() const noexcept { return factor; }

    // The thread that runs the chain: the state it runs on, at factor times
    // the device rate.
    EffectState& getState() noexcept { return state; }

private:
    // The settings of this many device samples are spread at a time.
    static constexpr int settingsPiece = 64;

    // Audio thread: delays the chain's output at the high rate by
    // alignment.size() samples.
    void align (float* high, int count) noexcept;

    const int factor;
    juce::dsp::Oversampling<float> resampler;
    EffectState state;
    CachedEffectChain chain;
    std::vector<ChainSettings> spreadSettings;

    // The linear-phase filters' delay is a whole number of high-rate samples
    // but not always of device samples; this many high-rate samples more
    // make it one (none for the IIR filters, whose own compensation does it).
    std::vector<float> alignment;
    size_t alignmentPosition = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OversampledChain)
};
