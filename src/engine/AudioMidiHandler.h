#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include "ChainSettings.h"
#include "ControlTable.h"
#include "EffectState.h"
#include "Resampling.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class CachedEffectChain;
class OversampledChain;

// What the display shows of the engine: every control's value as stored (the
// continuous ones in 0..1, the switches 0 or 1), and the largest output
// sample of the last block.
struct EngineSnapshot final
{
    ChainSettings controls;
    float peakLevel = 0.0f;
};

// The audio engine: the controls shared by the message, MIDI and audio
// threads, the state of one run (from prepare to release), and the block
// processing that sums the inputs to mono, runs the chain sample by sample
// and writes every output. It knows no device and no host: the app's device
// callback, the plugin and the renderer each drive it through this interface.
//
// Every control is one relaxed 32-bit atomic, in the order of the control
// table: written and read whole, with no lock and no ordering between
// controls. No reader relies on two controls changing together.
class AudioMidiHandler final
{
public:
    // Message thread. Every control at its default; nothing prepared.
    AudioMidiHandler();
    // Message thread, once nothing calls the engine any more.
    ~AudioMidiHandler();

    // Message thread, while no block runs: a fresh run at this rate (Hz,
    // truncated to whole Hz for the chain) for blocks of up to
    // maximumBlockSize samples (512 when 0 or less is announced): silent
    // delay memory, fresh filters. The only place the engine allocates.
    void prepare (double sampleRate, int maximumBlockSize);

    // Message thread, while no block runs: ends the run and frees its state;
    // blocks are silent until the next prepare.
    void release();

    // Audio thread. Processes one block: the inputs (null pointers are
    // silent) summed to mono, through the chain, to every output (null
    // pointers skipped). A block longer than prepared runs in chunks, with
    // the same result. Allocates nothing, takes no lock, never waits.
    void process (const float* const* inputs, int numInputs,
                  float* const* outputs, int numOutputs, int numSamples) noexcept;

    // Audio thread. As above, with the block's MIDI: each event acts from
    // its sample position on (clamped into the block); events of more than
    // three bytes are never control changes and are skipped.
    void process (const float* const* inputs, int numInputs,
                  float* const* outputs, int numOutputs, int numSamples,
                  const juce::MidiBuffer& midi) noexcept;

    // Any thread: writes one control by its engine index (the table's
    // engineIndex). A continuous value is clamped into 0..1 (infinities
    // too); a switch is on from 1 and stored as 0 or 1; a NaN, index 16 and
    // indices outside 0..17 change nothing.
    void setParameter (int index, float value) noexcept;

    // Any thread (the app's MIDI input thread): one MIDI message, acting
    // now. Control changes 0..9 on any channel move switches and controls
    // (see the table); everything else, and anything under three bytes, is
    // ignored.
    void handleMidi (const juce::uint8* data, int numBytes) noexcept;

    // Any thread: the same, for a message the framework holds.
    void handleMidi (const juce::MidiMessage& message) noexcept
    {
        handleMidi (message.getRawData(), message.getRawDataSize());
    }

    // Any thread: every control's value and the output peak, for the display.
    EngineSnapshot snapshot() const noexcept;

    // Any thread: the value of the control at a table position, as stored
    // (0..1, or 0 or 1 for a switch).
    float controlValue (std::size_t position) const noexcept;

    // Message thread: the rate of the run prepared, 0 while none is.
    double getSampleRate() const noexcept { return sampleRate; }

    // Any thread. The chain runs at factor times the device rate: 1 (the
    // default, the chain as documented), 2, 4 or 8; anything else is
    // ignored. A change restarts the chain as a device restart does (delay
    // memory and filters cleared) - at the start of the next block when the
    // engine was prepared for that factor, otherwise at the next prepare.
    void setOversampling (int factor) noexcept;

    // Any thread. The factor asked for last.
    int getOversampling() const noexcept { return oversampling.load (std::memory_order_relaxed); }

    // Any thread. The factor the chain runs at now (1 while nothing is prepared).
    int getRunningOversampling() const noexcept { return runningOversampling.load (std::memory_order_relaxed); }

    // Message thread, before prepare. When set, every prepare makes all four
    // factors ready, so that a change takes effect at the next block without
    // allocating (the plugin, whose host may change it while playing);
    // otherwise only the factor asked for is prepared.
    void prepareEveryOversampling (bool shouldPrepareAll) noexcept { prepareAllFactors = shouldPrepareAll; }

    // Message thread, before the device starts. The filters the oversampled
    // chain is resampled with (see Resampling): the low-latency ones unless
    // set otherwise.
    void setResampling (Resampling newResampling) noexcept { resampling = newResampling; }

    // Any thread. How many device samples the output lags the input at this
    // factor with these filters (the resampler's delay); 0 at factor 1.
    static int latencyForOversampling (int factor, Resampling resampling = Resampling::lowLatency) noexcept;

private:
    // The unit tests look at the state of a run through this.
    friend struct EngineProbe;

    // Audio thread: starts the chain afresh at the factor asked for, if it
    // was prepared.
    void switchOversampling (int factor) noexcept;

    // Audio thread: runs part of a block, in scratch-sized chunks.
    void processPiece (const float* const* inputs, int numInputs,
                       float* const* outputs, int numOutputs,
                       int offset, int numSamples, float& peak) noexcept;

    void processChunk (const float* const* inputs, int numInputs,
                       float* const* outputs, int numOutputs,
                       int offset, int numSamples, float& peak) noexcept;

    // Every control, by its position in the table, as the 32 bits its
    // ChainSettings member holds: a knob's float, a switch's integer 0 or 1.
    // The per-sample copy is then a plain move of each word.
    std::array<std::atomic<std::uint32_t>, velthorn::controls::numControls> values;
    std::atomic<float> peakLevel { 0.0f };

    // The rate of the run prepared, 0 while none is. Message thread only.
    double sampleRate = 0.0;

    // Present only while a run is prepared; used by the audio thread alone.
    std::unique_ptr<EffectState> effectState;

    // The slots the blocks run, on effectState, with their designs and
    // gains remembered between samples. Made and destroyed together with
    // effectState (declared after it, so it also goes first when the engine
    // is destroyed), so a restart empties the caches with the filters.
    std::unique_ptr<CachedEffectChain> effectChain;

    // Mono scratch, sized by prepare so a block never allocates.
    std::vector<float> scratch;

    // The controls as read for each sample of the scratch, same size.
    std::vector<ChainSettings> sampleSettings;

    // The chain at 2, 4 and 8 times the rate, each made by prepare if it
    // may be needed (see prepareEveryOversampling), with its own state; and
    // the one that runs now, or null at factor 1.
    std::unique_ptr<OversampledChain> oversampledChains[3];
    OversampledChain* activeOversampledChain = nullptr;
    std::atomic<int32_t> oversampling { 1 };
    std::atomic<int32_t> runningOversampling { 1 };
    bool prepareAllFactors = false;
    Resampling resampling = Resampling::lowLatency;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AudioMidiHandler)
};
