#pragma once

#include "AntiderivativeClipper.h"
#include "AntiderivativeClipperPair.h"
#include "CachedBiquad.h"
#include "CachedDecibelGain.h"
#include "CachedFourPole.h"
#include "ChainSettings.h"
#include "EffectState.h"

#include <vector>

// The chain's slots with every design and gain remembered between samples.
// Each function takes what the matching function of EffectSlots.h takes, maps
// it the same way and returns the same bits, and leaves the EffectState it
// runs on exactly as the literal slots would leave it (coefficients, history,
// delay memory and position) — but a filter is only redesigned, and a gain
// only recomputed, when its inputs differ from the last sample's by bit
// pattern. The cabinet's designs never change, so it is designed once; the
// tone stack and the wah follow their knobs.
//
// processBlock runs a whole block with the same result. A sample's path
// through the chain is one long chain of dependent operations (every biquad
// sum starts from b0/a0 times its input, so none of it can start early), and
// one sample at a time leaves the processor waiting on it. The block is
// therefore software-pipelined: stage k (the wah, the distortion, each of the
// seven biquads, the delay, the output level) works on sample t - k while
// stage k - 1 works on sample t - k + 1. Every stage still sees its own
// samples in order with each sample's own parameters and switches, and no two
// stages share state, so the results are those of the sample-by-sample order.
// A piece in which no control moved (the usual case) runs a pipeline made for
// the slots that are on, with no test per sample. Where two NaNs meet, the
// sign and payload of the result depend on operand order, which this code
// does not share with the literal code; a piece that produced a NaN is
// therefore undone and run again sample by sample by the slot functions,
// which hand such operations to the literal code.
//
// On a state made for oversampling (see EffectState) the chain runs
// oversampled: the distortion's and the amp's clip take the mean of the clip
// between successive inputs (AntiderivativeClipper), and where both slots
// run, of the two clips and the drive between them taken as one curve
// (AntiderivativeClipperPair); the wah's and the distortion's four-pole
// filters run as their device-rate copies in turn (CachedFourPole).
// Everything else is the same; on a device-rate state the chain is the
// documented one, bit for bit.
//
// One CachedEffectChain belongs to one EffectState for its whole life: it is
// made right after the state and destroyed with it, so a device restart begins
// with fresh filters and empty caches together (restart does both in place). The state's filters must not
// be designed by anything else meanwhile (the caches would no longer describe
// them).
//
// Created and destroyed on the message thread while no audio callback runs;
// used by the audio thread only.
class CachedEffectChain final
{
public:
    // Message thread (with the EffectState it will run on). processBlock takes
    // up to maximumBlockSize samples at a time; longer blocks run in pieces.
    // A state made for oversampling makes an oversampled chain (see above).
    explicit CachedEffectChain (EffectState& state, int maximumBlockSize = 512);

    // Audio thread (or whichever thread owns the chain). The state and the
    // chain as they were made: fresh filters, silent delay memory at position
    // 0, every cache empty, the clips at rest. What a device restart gives,
    // without allocating.
    void restart() noexcept;

    // Any thread.
    bool isOversampled() const noexcept { return oversampled; }

    // Audio thread only. Runs samples[0 .. n-1] in place through the chain,
    // sample j with settings[j]: while mastOn is 0 the sample is left as it
    // is, else each slot whose switch is on runs in the chain's order, then
    // the output level. The same bits, and the same state afterwards, as
    // calling the slot functions below sample by sample. Allocates nothing.
    void processBlock (float* samples, const ChainSettings* settings, int n);

    // Audio thread only. The slots, to be called in the chain's order while
    // their switch is on; a slot that is not called leaves its state frozen.
    float processWahSlot (float sample, float wahFreq, float wahRes, float wahGain);
    // Audio thread only.
    float processDistortionSlot (float sample, float distGain, float distFreq);
    // Audio thread only. Amp stage then cabinet.
    float processAmpSlot (float sample, float ampDrv, float ampLo, float ampMid, float ampHi);
    // Audio thread only.
    float processDelaySlot (float sample, float delTme, float delAm);
    // Audio thread only. Output level: 100 * mast - 60 dB.
    float applyOutputLevel (float sample, float mast);

    // Any thread that owns the chain: the state it runs on.
    EffectState& getState() const noexcept { return state; }

private:
    void designCabinet();
    // The distortion slot up to its clip: the emphasised signal.
    float emphasiseForDistortion (float sample, float distGain, float distFreq);
    // The amp slot; afterDistortion: the sample is the distortion's
    // emphasised signal, clipped here with the amp's clip (anti-aliased only).
    float runAmpSlot (float sample, float ampDrv, float ampLo, float ampMid, float ampHi, bool afterDistortion);
    void processPiece (float* samples, const ChainSettings* settings, int n);
    void processSampleBySample (float* samples, const ChainSettings* settings, int n);

    // What one run of the pipeline keeps at hand, held locally so that it
    // can live in registers.
    struct Run
    {
        float* samples;
        const ChainSettings* settings;
        double* ampLine;
        float* delayBuffer;
        int* overwrittenPositions;
        float* overwrittenValues;
        int delayWriteIndex;
        int overwrites;
        bool sawNaN;
        double delayAmount;   // a uniform piece's delAm
    };

    // uniform: every sample of the piece has the same settings, with mastOn
    // on and the slots of slotMask (wah 1, distortion 2, amp 4, delay 8) on;
    // the designs are then made before the piece and nothing is checked per
    // sample. checked: the prologue and epilogue, where some stages are idle.
    // oversampled: the clips of the distortion and the amp anti-aliased, the
    // four-pole filters run as copies in turn.
    template <bool checked, bool uniform, unsigned slotMask, bool oversampled>
    void pipelineStep (Run& run, int t, int n);

    template <bool uniform, unsigned slotMask, bool oversampled>
    void runPipeline (float* samples, const ChainSettings* settings, int n);

    template <bool oversampled>
    void runUniformPipeline (unsigned slotMask, float* samples, const ChainSettings* settings, int n);
    void designFor (const ChainSettings& settings);

    // The history of every filter and the delay position, kept so a piece
    // can be run again from where it started.
    struct Histories
    {
        float biquads[7][6];
        // The biquads' output histories as they read them (in double when
        // oversampled), in the order of the sections above.
        double biquadOutputHistories[7][2];
        // Per four-pole filter (the wah's, the distortion's) and copy.
        float fourPoles[2][CachedFourPole::maximumPhases][8];
        double fourPoleHistories[2][CachedFourPole::maximumPhases][4];
        int fourPolePhases[2];
        AntiderivativeClipper::Memory clippers[2];
        AntiderivativeClipperPair::Memory clipperPair;
        int delayWriteIndex;
    };

    Histories saveHistories() const noexcept;
    void restoreHistories (const Histories& saved) noexcept;

    EffectState& state;

    CachedFourPole wah;
    CachedFourPole distortion;
    CachedBiquad lowShelf;
    CachedBiquad midPeak;
    CachedBiquad highShelf;
    CachedBiquad cabHighPass;
    CachedBiquad cabPeak;
    CachedBiquad cabLowPass1;
    CachedBiquad cabLowPass2;
    bool cabinetDesigned = false;

    CachedDecibelGain distortionGain;
    CachedDecibelGain driveGain;
    CachedDecibelGain outputGain;
    const double cabinetMakeUpGain;

    const bool oversampled;
    AntiderivativeClipper distortionClipper { 0.2f };
    AntiderivativeClipper ampClipper { 0.5f };
    AntiderivativeClipperPair clipperPair;

    // The raw parameters the pipelined stages last mapped, with what they
    // mapped them to, so that a still knob costs one comparison. Bit
    // patterns, like every key here. The slot functions design the same
    // filters from their own arguments, so they clear these keys.
    // Held in 64 bits so that noKey matches no float.
    static constexpr std::uint64_t noKey = ~std::uint64_t { 0 };
    std::uint64_t wahKey[3] = { noKey, noKey, noKey }, distortionKey[2] = { noKey, noKey };
    std::uint64_t driveKey = noKey, lowKey = noKey, midKey = noKey, highKey = noKey, mastKey = noKey, delayKey = noKey;
    bool keysValid = false;
    double distortionFactor = 0.0, driveFactor = 0.0;
    float outputFactor = 0.0f;
    int delayWrapAfter = 0;   // the largest position the delay may step to before going back to 0

    // For running a piece again: its input, and every delay element it overwrote.
    const int capacity;
    std::vector<float> pieceInput;
    std::vector<double> ampLine;   // the amp's samples between its pipeline stages
    std::vector<int> overwrittenPositions;
    std::vector<float> overwrittenValues;
    int overwrites = 0;
    bool sawNaN = false;
};
