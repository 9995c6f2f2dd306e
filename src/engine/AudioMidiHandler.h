#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

#include "ChainSettings.h"
#include "EffectState.h"
#include "Resampling.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class CachedEffectChain;
class OversampledChain;

// The audio engine: the parameter block shared by the message, MIDI and audio
// threads, the per-device-run EffectState, and the audio callback that sums the
// inputs to mono, runs the chain sample by sample and writes every output.
//
// Every parameter is one relaxed 32-bit atomic: written and read whole, with no
// lock and no ordering between members. No reader relies on two members
// changing together.
class AudioMidiHandler final : public juce::AudioIODeviceCallback,
                               public juce::MidiInputCallback
{
public:
    // Message thread. Sets every member to its initial value; touches no device.
    AudioMidiHandler();
    // Message thread, after the engine has been removed from every callback list.
    ~AudioMidiHandler() override;

    // Audio thread: processes one block.
    void audioDeviceIOCallbackWithContext (const float* const* inputChannelData,
                                           int numInputChannels,
                                           float* const* outputChannelData,
                                           int numOutputChannels,
                                           int numSamples,
                                           const juce::AudioIODeviceCallbackContext& context) override;
    // Message thread (called by the device manager, never during a callback).
    void audioDeviceAboutToStart (juce::AudioIODevice* device) override;
    // Message thread (called by the device manager, never during a callback).
    void audioDeviceStopped() override;

    // MIDI input thread: control changes 0..9 on any channel move switches and
    // parameters; everything else is ignored.
    void handleIncomingMidiMessage (juce::MidiInput* source, const juce::MidiMessage& message) override;

    // Message thread: writes one member of the parameter block by index (see
    // the table in the implementation). A continuous value is clamped into
    // 0..1 (infinities too); a switch is on from 1 and stored as 0 or 1; a
    // NaN, index 16 and indices outside 0..17 change nothing.
    void setParameter (int index, float value);

    // Message thread: prepares for a run at the given rate and announced block
    // size, as audioDeviceAboutToStart does for a real device. For hosts that
    // drive the engine without a juce::AudioIODevice (the file renderer).
    void prepare (double newSampleRate, int maximumBlockSize);

    // Any thread. The chain runs at factor times the device rate: 1 (the
    // default, the chain as documented), 2, 4 or 8; anything else is
    // ignored. A change restarts the chain as a device restart does (delay
    // memory and filters cleared) - at the start of the next block when the
    // engine was prepared for that factor, otherwise when the device next starts.
    void setOversampling (int factor) noexcept;

    // Any thread. The factor asked for last.
    int getOversampling() const noexcept { return oversampling.load (std::memory_order_relaxed); }

    // Any thread. The factor the chain runs at now (1 while no device runs).
    int getRunningOversampling() const noexcept { return runningOversampling.load (std::memory_order_relaxed); }

    // Message thread, before the device starts. When set, every start
    // prepares all four factors, so that a change takes effect at the next
    // block without allocating (the plugin, whose host may change it while
    // playing); otherwise only the factor asked for is prepared.
    void prepareEveryOversampling (bool shouldPrepareAll) noexcept { prepareAllFactors = shouldPrepareAll; }

    // Message thread, before the device starts. The filters the oversampled
    // chain is resampled with (see Resampling): the low-latency ones unless
    // set otherwise.
    void setResampling (Resampling newResampling) noexcept { resampling = newResampling; }

    // Any thread. How many device samples the output lags the input at this
    // factor with these filters (the resampler's delay); 0 at factor 1.
    static int latencyForOversampling (int factor, Resampling resampling = Resampling::lowLatency) noexcept;

    // The parameter block, read directly by the main panel's display timer.
    // The running device's rate in Hz, 0 while none runs. Message thread only.
    double sampleRate = 0.0;

    std::atomic<float> delAm { 0.5f };
    std::atomic<float> delTme { 0.5f };
    std::atomic<float> wahFreq { 1.0f };
    std::atomic<float> wahRes { 0.3f };
    std::atomic<float> wahGain { 0.7f };
    std::atomic<float> distGain { 0.6f };
    std::atomic<float> distFreq { 0.4f };
    std::atomic<float> ampDrv { 0.7f };
    std::atomic<float> ampLo { 0.5f };
    std::atomic<float> ampMid { 0.5f };
    std::atomic<float> ampHi { 0.5f };
    std::atomic<float> mast { 0.6f };
    std::atomic<float> peakLevel { 0.0f };
    std::atomic<int32_t> delOn { 0 };
    std::atomic<int32_t> wahOn { 0 };
    std::atomic<int32_t> distOn { 0 };
    std::atomic<int32_t> ampOn { 1 };
    std::atomic<int32_t> mastOn { 1 };

    // Present only while a device runs; used by the audio thread alone.
    std::unique_ptr<EffectState> effectState;

    // The slots the callback runs, on effectState, with their designs and
    // gains remembered between samples. Made and destroyed together with
    // effectState (declared after it, so it also goes first when the engine
    // is destroyed), so a device restart empties the caches with the filters.
    std::unique_ptr<CachedEffectChain> effectChain;

private:
    // Audio thread: starts the chain afresh at the factor asked for, if it
    // was prepared.
    void switchOversampling (int factor) noexcept;

    void processChunk (const float* const* inputs, int numInputs,
                       float* const* outputs, int numOutputs,
                       int offset, int numSamples, float& peak);

    // Mono scratch, sized when the device starts so the callback never allocates.
    std::vector<float> scratch;

    // The parameter block as read for each sample of the scratch, same size.
    std::vector<ChainSettings> sampleSettings;

    // The chain at 2, 4 and 8 times the rate, each made when the device
    // starts if it may be needed (see prepareEveryOversampling), with its own
    // state; and the one that runs now, or null at factor 1.
    std::unique_ptr<OversampledChain> oversampledChains[3];
    OversampledChain* activeOversampledChain = nullptr;
    std::atomic<int32_t> oversampling { 1 };
    std::atomic<int32_t> runningOversampling { 1 };
    bool prepareAllFactors = false;
    Resampling resampling = Resampling::lowLatency;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AudioMidiHandler)
};
