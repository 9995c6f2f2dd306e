#include "CachedEffectChain.h"

#include "Voicing.h"

#include "EffectSlots.h"
#include "ParameterMapping.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <iterator>

// The mappings, the soft clip and the delay step are written out here as the
// literal slots and stages write them (same operations, same order, same
// precision), so that they inline into the slots. The equivalence tests render
// both side by side and compare every bit.
//
// NaNs need one more rule. When both operands of a commutative operation are
// NaN, the result carries the sign and payload of whichever the compiler put
// first, and that choice differs between this code and the literal code. A
// result that is not NaN never met a NaN, so its bits are fixed; wherever two
// NaNs can meet here, a NaN result is therefore handed to the literal code
// itself (on state that has not been touched yet), which gives the literal
// bits. That only happens once a parameter or a sample is already NaN.
namespace
{
    // The pipeline's stages: wah, distortion, three for the tone stack, four
    // for the cabinet, delay, output level.
    constexpr int pipelineStages = 11;

    // The delay line wraps after a step when (float) next > sampleRate * time
    // - 1 (the time capped at one second, compared in float) or when next
    // reaches the buffer's end. next is a whole number far below 2^24, so
    // (float) next is exact and the float test is next > floor (last): both
    // tests together are next > the number returned here.
    inline int delayWrapAfterFor (float delTme, int sampleRate) noexcept
    {
        float time = delTme;
        if (1.0f < time)
            time = 1.0f;
        const float last = static_cast<float> (sampleRate) * time - 1.0f;

        if (std::isnan (last))   // the float test never holds
            return sampleRate - 1;
        if (last < 0.0f)         // it always holds (next is at least 1)
            return 0;
        return std::min (static_cast<int> (std::floor (last)), sampleRate - 1);
    }

    // The output level's factor: 100 * mast - 60 dB, each step rounded to float.
    inline float outputFactorFor (float mast) noexcept
    {
        const float levelDb = ParameterMapping::outputLevel (mast);
        return static_cast<float> (velthorn::dsp::decibelsToGain (levelDb));
    }

    // True when settings[1 .. n-1] all have the bits of settings[0]. The
    // differences are gathered word by word and looked at every 16 samples,
    // so the loop stays short and a moving control stops it early.
    bool sameSettingsThroughout (const ChainSettings* settings, int n) noexcept
    {
        constexpr std::size_t words = sizeof (ChainSettings) / sizeof (std::uint32_t);
        static_assert (sizeof (ChainSettings) == words * sizeof (std::uint32_t), "no padding to compare");

        const auto* const bytes = reinterpret_cast<const unsigned char*> (settings);
        std::uint32_t first[words];
        std::memcpy (first, bytes, sizeof first);

        for (int start = 1; start < n; start += 16)
        {
            std::uint32_t difference[words] = {};
            const int end = std::min (n, start + 16);
            for (int j = start; j < end; ++j)
            {
                for (std::size_t w = 0; w < words; ++w)
                {
                    std::uint32_t v;
                    std::memcpy (&v, bytes + static_cast<std::size_t> (j) * sizeof (ChainSettings) + w * sizeof v, sizeof v);
                    difference[w] |= v ^ first[w];
                }
            }

            std::uint32_t any = 0;
            for (auto d : difference)
                any |= d;
            if (any != 0)
                return false;
        }
        return true;
    }

    // The voicing's clip. Never given a NaN here (the slots hand those to the
    // literal code first): with x and |x| both NaN in the last product, the
    // sign would be the compiler's choice.
    using velthorn::dsp::voicing::softClip;
    namespace voicing = velthorn::dsp::voicing;
}

CachedEffectChain::CachedEffectChain (EffectState& s, int maximumBlockSize)
    : state (s),
      wah (s.wahFilter, s.wahPhases.data(), static_cast<int> (s.wahPhases.size())),
      distortion (s.distFilter, s.distPhases.data(), static_cast<int> (s.distPhases.size())),
      lowShelf (s.ampLowShelf),
      midPeak (s.ampPeak),
      highShelf (s.ampHighShelf),
      cabHighPass (s.cabHighPass),
      cabPeak (s.cabPeak),
      cabLowPass1 (s.cabLowPass1),
      cabLowPass2 (s.cabLowPass2),
      // +15 dB, written as the cabinet stage writes it.
      cabinetMakeUpGain (voicing::cabinetMakeUpGain()),
      oversampled (s.oversampling > 1),
      capacity (maximumBlockSize > 0 ? maximumBlockSize : 512),
      pieceInput (static_cast<std::size_t> (capacity)),
      ampLine (static_cast<std::size_t> (capacity)),
      overwrittenPositions (static_cast<std::size_t> (capacity)),
      overwrittenValues (static_cast<std::size_t> (capacity))
{
    if (oversampled)
        for (auto* section : { &lowShelf, &midPeak, &highShelf, &cabHighPass, &cabPeak, &cabLowPass1, &cabLowPass2 })
            section->keepOutputHistoryInDouble (true);
}

float CachedEffectChain::processWahSlot (float sample, float wahFreq, float wahRes, float wahGain)
{
    keysValid = false;
    const float frequency = ParameterMapping::wahFrequencyHz (wahFreq);

    const float gainDb = ParameterMapping::wahGain (wahGain);

    wah.setParameters (frequency, gainDb, wahRes);

    // The filter never returns NaN, so at most the sample is NaN in the sum.
    return sample + wah.process (sample);
}

float CachedEffectChain::processDistortionSlot (float sample, float distGain, float distFreq)
{
    keysValid = false;
    const float gainDb = ParameterMapping::distortionGain (distGain);
    const float frequency = ParameterMapping::distortionFrequency (distFreq);

    distortion.setParameters (frequency, voicing::distortionEmphasisGainDb, voicing::distortionEmphasisDamping);

    const float driven = static_cast<float> (distortionGain.gainFor (gainDb) * static_cast<double> (sample));
    if (oversampled)   // no literal code to match: a NaN goes through the anti-aliased clip
        return distortionClipper.process (distortion.process (driven) + driven);

    if (std::isnan (driven))   // gain and sample may both be NaN; nothing has run yet
        return ::processDistortionSlot (state, sample, distGain, distFreq);

    // The filter never returns NaN and driven is not NaN, so neither is the sum.
    const float emphasised = distortion.process (driven) + driven;
    return softClip (emphasised, voicing::distortionClipThreshold);
}

float CachedEffectChain::emphasiseForDistortion (float sample, float distGain, float distFreq)
{
    keysValid = false;
    const float gainDb = ParameterMapping::distortionGain (distGain);
    const float frequency = ParameterMapping::distortionFrequency (distFreq);

    distortion.setParameters (frequency, voicing::distortionEmphasisGainDb, voicing::distortionEmphasisDamping);

    const float driven = static_cast<float> (distortionGain.gainFor (gainDb) * static_cast<double> (sample));
    return distortion.process (driven) + driven;
}

float CachedEffectChain::processAmpSlot (float sample, float ampDrv, float ampLo, float ampMid, float ampHi)
{
    return runAmpSlot (sample, ampDrv, ampLo, ampMid, ampHi, false);
}

float CachedEffectChain::runAmpSlot (float sample, float ampDrv, float ampLo, float ampMid, float ampHi,
                                     bool afterDistortion)
{
    keysValid = false;
    const float driveDb = ParameterMapping::ampDrive (ampDrv);
    const float lowDb = ParameterMapping::tone (ampLo);
    const float midDb = ParameterMapping::tone (ampMid);
    const float highDb = ParameterMapping::tone (ampHi);

    // Amp: tone stack designs (skipped while the knobs rest), drive, clip, tone stack.
    lowShelf.setLowShelf (voicing::ampLowShelfHz, voicing::ampLowShelfSlope, lowDb);
    midPeak.setPeak (voicing::ampMidHz, voicing::ampMidOctaves, midDb);
    highShelf.setHighShelf (voicing::ampHighShelfHz, voicing::ampHighShelfSlope, highDb);

    const double driveFactor = driveGain.gainFor (driveDb);
    const float driven = static_cast<float> (driveFactor * static_cast<double> (sample));
    if (std::isnan (driven) && ! oversampled)   // gain and sample may both be NaN; nothing has run yet
        return ::processAmpSlot (state, sample, ampDrv, ampLo, ampMid, ampHi);

    // After the distortion, anti-aliased, the sample is the distortion's
    // emphasised signal, and both clips and the drive are taken together.
    const float clipped = afterDistortion ? clipperPair.process (sample, driveFactor)
                        : oversampled     ? ampClipper.process (driven)
                                          : softClip (driven, voicing::ampClipThreshold);
    const float amplified = highShelf.process (midPeak.process (lowShelf.process (clipped)));

    // Cabinet: a fixed voicing, designed the first time the slot runs.
    if (! cabinetDesigned)
        designCabinet();

    const float y = cabLowPass2.process (cabLowPass1.process (cabPeak.process (cabHighPass.process (amplified))));
    return static_cast<float> (cabinetMakeUpGain * static_cast<double> (y));
}

void CachedEffectChain::designCabinet()
{
    cabHighPass.setHighPass (voicing::cabinetHighPassHz, voicing::cabinetHighPassQ);
    cabPeak.setPeak (voicing::cabinetDipHz, voicing::cabinetDipOctaves, voicing::cabinetDipDb);
    cabLowPass1.setLowPass (voicing::cabinetLowPassHz, voicing::cabinetLowPassQ);
    cabLowPass2.setLowPass (voicing::cabinetLowPassHz, voicing::cabinetLowPassQ);
    cabinetDesigned = true;
}

float CachedEffectChain::processDelaySlot (float sample, float delTme, float delAm)
{
    float t = delTme;
    if (1.0f < t)
        t = 1.0f;

    float& stored = state.delayBuffer[static_cast<std::size_t> (state.delayWriteIndex)];
    const float d = stored;
    const float out = sample + d;
    const float echo = static_cast<float> ((static_cast<double> (d) + static_cast<double> (sample)) * static_cast<double> (delAm));

    // Sample, stored value and amount may each be NaN: the literal step decides.
    if (std::isnan (out) || std::isnan (echo))
        return ::processDelaySlot (state, sample, delTme, delAm);

    stored = echo;
    ++state.delayWriteIndex;

    // The loop-length test after the increment, in float, and the buffer's end
    // for a NaN time, for which the first test never wraps.
    const float lastPosition = static_cast<float> (state.sampleRate) * t - 1.0f;
    if (static_cast<float> (state.delayWriteIndex) > lastPosition || state.delayWriteIndex >= state.sampleRate)
        state.delayWriteIndex = 0;

    return out;
}

float CachedEffectChain::applyOutputLevel (float sample, float mast)
{
    keysValid = false;
    const float levelDb = ParameterMapping::outputLevel (mast);
    const float gain = static_cast<float> (outputGain.gainFor (levelDb));
    const float out = gain * sample;

    // Gain and sample may both be NaN: the literal level decides.
    if (std::isnan (out))
        return ::applyOutputLevel (sample, mast);

    return out;
}

//==============================================================================
void CachedEffectChain::processBlock (float* samples, const ChainSettings* settings, int n)
{
    for (int offset = 0; offset < n; offset += capacity)
        processPiece (samples + offset, settings + offset, std::min (capacity, n - offset));
}

void CachedEffectChain::processPiece (float* samples, const ChainSettings* settings, int n)
{
    if (n <= 0)
        return;

    // Below the pipeline's depth its filling and draining cost more than it
    // saves: such pieces (tiny device blocks) run sample by sample.
    if (n < pipelineStages)
    {
        processSampleBySample (samples, settings, n);
        return;
    }

    // Kept so the piece can run again from its start if a NaN turns up.
    const Histories saved = saveHistories();
    std::copy_n (samples, n, pieceInput.begin());
    overwrites = 0;
    sawNaN = false;

    if (! keysValid)
    {
        // Force every stage to map and design afresh on its first sample.
        for (auto* key : { &wahKey[0], &wahKey[1], &wahKey[2], &distortionKey[0], &distortionKey[1], &driveKey,
                           &lowKey, &midKey, &highKey, &mastKey, &delayKey })
            *key = noKey;
        keysValid = true;
    }

    // Still controls are the usual case: then every sample of the piece has
    // the same settings (compared as bits), and the piece runs a pipeline
    // made for the slots that are on, with no test per sample. It looks for
    // NaNs once, in its output. That finds them all when the delay's amount
    // is finite and not zero (or the delay is off): an echo is NaN only when
    // the delay's output is, which reaches the output level, and every other
    // NaN reaches it too (the four-pole filters swallow their own). Other
    // amounts take the general pipeline, which checks every echo.
    const bool uniform = sameSettingsThroughout (settings, n)
                      && (settings->delOn == 0 || (std::isfinite (settings->delAm) && settings->delAm != 0.0f));

    if (! uniform)
    {
        if (oversampled)
            runPipeline<false, 0, true> (samples, settings, n);
        else
            runPipeline<false, 0, false> (samples, settings, n);
    }
    else if (settings->mastOn != 0)
    {
        const ChainSettings& p = *settings;
        const unsigned slotMask = (p.wahOn != 0 ? 1u : 0u) | (p.distOn != 0 ? 2u : 0u) | (p.ampOn != 0 ? 4u : 0u)
                                | (p.delOn != 0 ? 8u : 0u);
        designFor (p);
        if (oversampled)
            runUniformPipeline<true> (slotMask, samples, settings, n);
        else
            runUniformPipeline<false> (slotMask, samples, settings, n);
    }
    // else: the master switch is off for the whole piece, which stays as it is.

    if (sawNaN)
    {
        // Where NaNs met, their bits are the compiler's choice: undo the
        // piece and run it sample by sample, which hands them to the literal code.
        restoreHistories (saved);
        for (int k = overwrites - 1; k >= 0; --k)
            state.delayBuffer[static_cast<std::size_t> (overwrittenPositions[static_cast<std::size_t> (k)])]
                = overwrittenValues[static_cast<std::size_t> (k)];
        std::copy_n (pieceInput.begin(), n, samples);
        processSampleBySample (samples, settings, n);
    }
}

template <bool uniform, unsigned slotMask, bool oversampled>
void CachedEffectChain::runPipeline (float* samples, const ChainSettings* settings, int n)
{
    CachedBiquad* const biquads[] { &lowShelf, &midPeak, &highShelf, &cabHighPass, &cabPeak, &cabLowPass1, &cabLowPass2 };
    for (auto* b : biquads)
        b->beginRun();
    wah.beginRun();
    distortion.beginRun();

    Run run { samples, settings, ampLine.data(), state.delayBuffer.get(), overwrittenPositions.data(),
              overwrittenValues.data(), state.delayWriteIndex, overwrites, sawNaN,
              static_cast<double> (settings->delAm) };

    // Prologue, the full pipeline, epilogue.
    const int full = std::min (n, pipelineStages - 1);
    int t = 0;
    for (; t < full; ++t)
        pipelineStep<true, uniform, slotMask, oversampled> (run, t, n);
    for (; t < n; ++t)
        pipelineStep<false, uniform, slotMask, oversampled> (run, t, n);
    for (; t < n + pipelineStages - 1; ++t)
        pipelineStep<true, uniform, slotMask, oversampled> (run, t, n);

    state.delayWriteIndex = run.delayWriteIndex;
    overwrites = run.overwrites;
    sawNaN = run.sawNaN;

    if constexpr (uniform)
    {
        // Every sample stepped every stage of the slots that are on.
        if ((slotMask & 8u) != 0)
            overwrites = n;

        // A NaN's magnitude bits are above those of infinity; compared as
        // integers so that the loop runs on vectors.
        std::uint32_t nanFound = 0;
        for (int j = 0; j < n; ++j)
        {
            std::uint32_t bits;
            std::memcpy (&bits, samples + j, sizeof bits);
            nanFound |= (bits & 0x7fffffffu) > 0x7f800000u ? 1u : 0u;
        }
        sawNaN |= nanFound != 0;
    }

    for (auto* b : biquads)
    {
        if constexpr (uniform)
            b->endRun ((slotMask & 4u) != 0 ? n : 0);
        else
            b->endRun();
    }
    if constexpr (oversampled)
    {
        wah.endPhaseRun();
        distortion.endPhaseRun();
    }
    else
    {
        wah.endRun();
        distortion.endRun();
    }
}

template <bool oversampled>
void CachedEffectChain::runUniformPipeline (unsigned slotMask, float* samples, const ChainSettings* settings, int n)
{
    switch (slotMask)
    {
        case 0:  runPipeline<true, 0, oversampled> (samples, settings, n); break;
        case 1:  runPipeline<true, 1, oversampled> (samples, settings, n); break;
        case 2:  runPipeline<true, 2, oversampled> (samples, settings, n); break;
        case 3:  runPipeline<true, 3, oversampled> (samples, settings, n); break;
        case 4:  runPipeline<true, 4, oversampled> (samples, settings, n); break;
        case 5:  runPipeline<true, 5, oversampled> (samples, settings, n); break;
        case 6:  runPipeline<true, 6, oversampled> (samples, settings, n); break;
        case 7:  runPipeline<true, 7, oversampled> (samples, settings, n); break;
        case 8:  runPipeline<true, 8, oversampled> (samples, settings, n); break;
        case 9:  runPipeline<true, 9, oversampled> (samples, settings, n); break;
        case 10: runPipeline<true, 10, oversampled> (samples, settings, n); break;
        case 11: runPipeline<true, 11, oversampled> (samples, settings, n); break;
        case 12: runPipeline<true, 12, oversampled> (samples, settings, n); break;
        case 13: runPipeline<true, 13, oversampled> (samples, settings, n); break;
        case 14: runPipeline<true, 14, oversampled> (samples, settings, n); break;
        default: runPipeline<true, 15, oversampled> (samples, settings, n); break;
    }
}

// The designs and factors of a uniform piece, made before it runs: only for
// the slots that are on, as the slots themselves would make them on their
// first sample (the cabinet included).
void CachedEffectChain::designFor (const ChainSettings& p)
{
    const auto bitsOf = [] (float value) noexcept { return std::uint64_t { velthorn::dsp::bitsOf (value) }; };

    if (p.wahOn != 0)
    {
        const std::uint64_t k0 = bitsOf (p.wahFreq), k1 = bitsOf (p.wahRes), k2 = bitsOf (p.wahGain);
        if (k0 != wahKey[0] || k1 != wahKey[1] || k2 != wahKey[2])
        {
            wahKey[0] = k0;
            wahKey[1] = k1;
            wahKey[2] = k2;
            const float frequency = ParameterMapping::wahFrequencyHz (p.wahFreq);
            wah.setParameters (frequency, ParameterMapping::wahGain (p.wahGain), p.wahRes);
        }
    }

    if (p.distOn != 0)
    {
        const std::uint64_t k0 = bitsOf (p.distGain), k1 = bitsOf (p.distFreq);
        if (k0 != distortionKey[0] || k1 != distortionKey[1])
        {
            distortionKey[0] = k0;
            distortionKey[1] = k1;
            distortionFactor = velthorn::dsp::decibelsToGain (ParameterMapping::distortionGain (p.distGain));
            distortion.setParameters (ParameterMapping::distortionFrequency (p.distFreq), voicing::distortionEmphasisGainDb, voicing::distortionEmphasisDamping);
        }
    }

    if (p.ampOn != 0)
    {
        if (bitsOf (p.ampDrv) != driveKey)
        {
            driveKey = bitsOf (p.ampDrv);
            driveFactor = velthorn::dsp::decibelsToGain (ParameterMapping::ampDrive (p.ampDrv));
        }
        if (bitsOf (p.ampLo) != lowKey)
        {
            lowKey = bitsOf (p.ampLo);
            lowShelf.setLowShelf (voicing::ampLowShelfHz, voicing::ampLowShelfSlope, ParameterMapping::tone (p.ampLo));
        }
        if (bitsOf (p.ampMid) != midKey)
        {
            midKey = bitsOf (p.ampMid);
            midPeak.setPeak (voicing::ampMidHz, voicing::ampMidOctaves, ParameterMapping::tone (p.ampMid));
        }
        if (bitsOf (p.ampHi) != highKey)
        {
            highKey = bitsOf (p.ampHi);
            highShelf.setHighShelf (voicing::ampHighShelfHz, voicing::ampHighShelfSlope, ParameterMapping::tone (p.ampHi));
        }
        if (! cabinetDesigned)
            designCabinet();
    }

    if (p.delOn != 0 && bitsOf (p.delTme) != delayKey)
    {
        delayKey = bitsOf (p.delTme);
        delayWrapAfter = delayWrapAfterFor (p.delTme, state.sampleRate);
    }

    if (bitsOf (p.mast) != mastKey)
    {
        mastKey = bitsOf (p.mast);
        outputFactor = outputFactorFor (p.mast);
    }
}

void CachedEffectChain::processSampleBySample (float* samples, const ChainSettings* settings, int n)
{
    for (int j = 0; j < n; ++j)
    {
        const ChainSettings& p = settings[j];
        if (p.mastOn == 0)
            continue;

        // Anti-aliased, the distortion's clip waits for the amp's when both run.
        const bool paired = oversampled && p.distOn != 0 && p.ampOn != 0;

        float s = samples[j];
        if (p.wahOn != 0)
            s = processWahSlot (s, p.wahFreq, p.wahRes, p.wahGain);
        if (p.distOn != 0)
            s = paired ? emphasiseForDistortion (s, p.distGain, p.distFreq) : processDistortionSlot (s, p.distGain, p.distFreq);
        if (p.ampOn != 0)
            s = runAmpSlot (s, p.ampDrv, p.ampLo, p.ampMid, p.ampHi, paired);
        if (p.delOn != 0)
            s = processDelaySlot (s, p.delTme, p.delAm);
        samples[j] = applyOutputLevel (s, p.mast);
    }
}

// One step of the pipeline: stage k works on sample t - k. The stages, in
// the chain's order: wah; distortion; drive, clip and low shelf; mid peak;
// high shelf; the four cabinet sections (the last with the make-up gain);
// delay; output level. Each stage reads only its own state and its own
// sample's settings, and computes exactly what the slot functions compute,
// without their NaN hand-over (a NaN anywhere sends the piece round again).
template <bool checked, bool uniform, unsigned slotMask, bool oversampled>
void CachedEffectChain::pipelineStep (Run& run, int t, int n)
{
    float* const samples = run.samples;
    const ChainSettings* const settings = run.settings;

    const auto bitsOf = [] (float value) noexcept { return std::uint64_t { velthorn::dsp::bitsOf (value) }; };

    const auto active = [t, n] (int stage) noexcept
    {
        return ! checked || static_cast<unsigned> (t - stage) < static_cast<unsigned> (n);
    };

    // Whether a slot runs for sample i: known in advance for a uniform piece.
    const auto runs = [settings] (unsigned slot, int i) noexcept
    {
        if constexpr (uniform)
        {
            static_cast<void> (settings);   // read only where the settings vary
            return (slotMask & slot) != 0;
        }
        else
        {
            const ChainSettings& p = settings[i];
            const std::int32_t on = slot == 1u ? p.wahOn : slot == 2u ? p.distOn : slot == 4u ? p.ampOn : p.delOn;
            return p.mastOn != 0 && on != 0;
        }
    };

    constexpr unsigned wahSlot = 1, distortionSlot = 2, ampSlot = 4, delaySlot = 8;

    // Anti-aliased, whether sample i takes the distortion's and the amp's
    // clips together (see AntiderivativeClipperPair).
    const auto pairedWithAmp = [&runs] (int i) noexcept
    {
        if constexpr (uniform)
        {
            static_cast<void> (runs);   // asked only where the switches vary
            static_cast<void> (i);
            return (slotMask & (distortionSlot | ampSlot)) == (distortionSlot | ampSlot);
        }
        else
        {
            return runs (distortionSlot, i) && runs (ampSlot, i);
        }
    };

    // A biquad stage's step. In a uniform piece stage k has stepped t - k
    // times before this one, which tells the slot of its newest history.
    const int slotForEvenStage = t & 1, slotForOddStage = slotForEvenStage ^ 1;
    const auto step = [slotForEvenStage, slotForOddStage] (CachedBiquad& section, double x, int stage) noexcept
    {
        if constexpr (uniform)
        {
            return section.template stepInRun<oversampled> (x, (stage & 1) != 0 ? slotForOddStage : slotForEvenStage);
        }
        else
        {
            static_cast<void> (slotForEvenStage);   // the slots count only in a uniform piece
            static_cast<void> (slotForOddStage);
            return section.template stepInRun<oversampled> (x);
        }
    };

    if (active (0) && runs (wahSlot, t))
    {
        if constexpr (! uniform)
        {
            const ChainSettings& p = settings[t];
            const std::uint64_t k0 = bitsOf (p.wahFreq), k1 = bitsOf (p.wahRes), k2 = bitsOf (p.wahGain);
            if (k0 != wahKey[0] || k1 != wahKey[1] || k2 != wahKey[2])
            {
                wahKey[0] = k0;
                wahKey[1] = k1;
                wahKey[2] = k2;
                const float frequency = ParameterMapping::wahFrequencyHz (p.wahFreq);
                wah.setParameters (frequency, ParameterMapping::wahGain (p.wahGain), p.wahRes);
            }
        }

        const float s = samples[t];
        if constexpr (oversampled)
            samples[t] = s + wah.stepPhaseInRun (s);
        else
            samples[t] = s + wah.stepInRun (s);
    }

    if (active (1) && runs (distortionSlot, t - 1))
    {
        const int i = t - 1;
        if constexpr (! uniform)
        {
            const ChainSettings& p = settings[i];
            const std::uint64_t k0 = bitsOf (p.distGain), k1 = bitsOf (p.distFreq);
            if (k0 != distortionKey[0] || k1 != distortionKey[1])
            {
                distortionKey[0] = k0;
                distortionKey[1] = k1;
                distortionFactor = velthorn::dsp::decibelsToGain (ParameterMapping::distortionGain (p.distGain));
                distortion.setParameters (ParameterMapping::distortionFrequency (p.distFreq), voicing::distortionEmphasisGainDb, voicing::distortionEmphasisDamping);
            }
        }

        const float driven = static_cast<float> (distortionFactor * static_cast<double> (samples[i]));
        float emphasised;
        if constexpr (oversampled)
            emphasised = distortion.stepPhaseInRun (driven) + driven;
        else
            emphasised = distortion.stepInRun (driven) + driven;
        if constexpr (oversampled)
            samples[i] = pairedWithAmp (i) ? emphasised : distortionClipper.process (emphasised);
        else
            samples[i] = softClip (emphasised, voicing::distortionClipThreshold);
    }

    if (active (2) && runs (ampSlot, t - 2))
    {
        const int i = t - 2;
        if constexpr (! uniform)
        {
            const ChainSettings& p = settings[i];
            const std::uint64_t kd = bitsOf (p.ampDrv), kl = bitsOf (p.ampLo);
            if (kd != driveKey)
            {
                driveKey = kd;
                driveFactor = velthorn::dsp::decibelsToGain (ParameterMapping::ampDrive (p.ampDrv));
            }
            if (kl != lowKey)
            {
                lowKey = kl;
                lowShelf.setLowShelf (voicing::ampLowShelfHz, voicing::ampLowShelfSlope, ParameterMapping::tone (p.ampLo));
            }
        }

        const float driven = static_cast<float> (driveFactor * static_cast<double> (samples[i]));
        float clipped;
        if constexpr (oversampled)
            clipped = pairedWithAmp (i) ? clipperPair.process (samples[i], driveFactor) : ampClipper.process (driven);
        else
            clipped = softClip (driven, voicing::ampClipThreshold);
        run.ampLine[static_cast<std::size_t> (i)] = step (lowShelf, static_cast<double> (clipped), 2);
    }

    if (active (3) && runs (ampSlot, t - 3))
    {
        const int i = t - 3;
        if constexpr (! uniform)
        {
            const std::uint64_t k = bitsOf (settings[i].ampMid);
            if (k != midKey)
            {
                midKey = k;
                midPeak.setPeak (voicing::ampMidHz, voicing::ampMidOctaves, ParameterMapping::tone (settings[i].ampMid));
            }
        }
        double& v = run.ampLine[static_cast<std::size_t> (i)];
        v = step (midPeak, v, 3);
    }

    if (active (4) && runs (ampSlot, t - 4))
    {
        const int i = t - 4;
        if constexpr (! uniform)
        {
            const std::uint64_t k = bitsOf (settings[i].ampHi);
            if (k != highKey)
            {
                highKey = k;
                highShelf.setHighShelf (voicing::ampHighShelfHz, voicing::ampHighShelfSlope, ParameterMapping::tone (settings[i].ampHi));
            }
        }
        double& v = run.ampLine[static_cast<std::size_t> (i)];
        v = step (highShelf, v, 4);
    }

    if (active (5) && runs (ampSlot, t - 5))
    {
        if constexpr (! uniform)
        {
            if (! cabinetDesigned)
                designCabinet();
        }
        double& v = run.ampLine[static_cast<std::size_t> (t - 5)];
        v = step (cabHighPass, v, 5);
    }

    if (active (6) && runs (ampSlot, t - 6))
    {
        double& v = run.ampLine[static_cast<std::size_t> (t - 6)];
        v = step (cabPeak, v, 6);
    }

    if (active (7) && runs (ampSlot, t - 7))
    {
        double& v = run.ampLine[static_cast<std::size_t> (t - 7)];
        v = step (cabLowPass1, v, 7);
    }

    if (active (8) && runs (ampSlot, t - 8))
    {
        // The section's output is a float value; the make-up gain multiplies it in double.
        const double y = step (cabLowPass2, run.ampLine[static_cast<std::size_t> (t - 8)], 8);
        samples[t - 8] = static_cast<float> (cabinetMakeUpGain * y);
    }

    if (active (9) && runs (delaySlot, t - 9))
    {
        const int i = t - 9;
        const ChainSettings& p = settings[i];
        if constexpr (! uniform)
        {
            const std::uint64_t k = bitsOf (p.delTme);
            if (k != delayKey)
            {
                delayKey = k;
                delayWrapAfter = delayWrapAfterFor (p.delTme, state.sampleRate);
            }
        }

        const int position = run.delayWriteIndex;
        float& stored = run.delayBuffer[position];
        const float d = stored;
        const float sample = samples[i];
        const double amount = uniform ? run.delayAmount : static_cast<double> (p.delAm);
        const float echo = static_cast<float> ((static_cast<double> (d) + static_cast<double> (sample)) * amount);

        // In a uniform piece the delay steps once per sample, in order.
        const int entry = uniform ? i : run.overwrites++;
        run.overwrittenPositions[entry] = position;
        run.overwrittenValues[entry] = d;

        stored = echo;
        if constexpr (! uniform)
            run.sawNaN |= std::isnan (echo);
        samples[i] = sample + d;

        const int next = position + 1;
        run.delayWriteIndex = next > delayWrapAfter ? 0 : next;
    }

    if (active (10) && (uniform || settings[t - 10].mastOn != 0))
    {
        const int i = t - 10;
        if constexpr (! uniform)
        {
            const std::uint64_t k = bitsOf (settings[i].mast);
            if (k != mastKey)
            {
                mastKey = k;
                outputFactor = outputFactorFor (settings[i].mast);
            }
        }

        const float out = outputFactor * samples[i];
        if constexpr (! uniform)
            run.sawNaN |= std::isnan (out);
        samples[i] = out;
    }
}

CachedEffectChain::Histories CachedEffectChain::saveHistories() const noexcept
{
    Histories h {};
    const BiquadSection* const biquads[] { &state.ampLowShelf, &state.ampPeak, &state.ampHighShelf, &state.cabHighPass,
                                           &state.cabPeak, &state.cabLowPass1, &state.cabLowPass2 };
    for (int k = 0; k < 7; ++k)
    {
        const BiquadSection& b = *biquads[k];
        const float values[] { b.x0, b.x1, b.x2, b.y0, b.y1, b.y2 };
        std::copy (std::begin (values), std::end (values), h.biquads[k]);
    }

    const CachedBiquad* const sections[] { &lowShelf, &midPeak, &highShelf, &cabHighPass, &cabPeak, &cabLowPass1, &cabLowPass2 };
    for (int k = 0; k < 7; ++k)
    {
        h.biquadOutputHistories[k][0] = sections[k]->getOutputHistory (1);
        h.biquadOutputHistories[k][1] = sections[k]->getOutputHistory (2);
    }

    const CachedFourPole* const fourPoles[] { &wah, &distortion };
    for (int k = 0; k < 2; ++k)
    {
        for (int p = 0; p < fourPoles[k]->getNumPhases(); ++p)
        {
            const FourPoleFilter& f = fourPoles[k]->getPhaseFilter (p);
            const float values[] { f.y0, f.y1, f.y2, f.y3, f.y4, f.x0, f.x1, f.x2 };
            std::copy (std::begin (values), std::end (values), h.fourPoles[k][p]);
            const double histories[] { f.h1, f.h2, f.h3, f.h4 };
            std::copy (std::begin (histories), std::end (histories), h.fourPoleHistories[k][p]);
        }
        h.fourPolePhases[k] = fourPoles[k]->getPhase();
    }

    h.clippers[0] = distortionClipper.memory();
    h.clippers[1] = ampClipper.memory();
    h.clipperPair = clipperPair.memory();
    h.delayWriteIndex = state.delayWriteIndex;
    return h;
}

void CachedEffectChain::restoreHistories (const Histories& h) noexcept
{
    // Histories only: the coefficients stay as last designed, which is what
    // the caches' keys describe.
    BiquadSection* const biquads[] { &state.ampLowShelf, &state.ampPeak, &state.ampHighShelf, &state.cabHighPass,
                                     &state.cabPeak, &state.cabLowPass1, &state.cabLowPass2 };
    for (int k = 0; k < 7; ++k)
    {
        BiquadSection& b = *biquads[k];
        const float* v = h.biquads[k];
        b.x0 = v[0]; b.x1 = v[1]; b.x2 = v[2];
        b.y0 = v[3]; b.y1 = v[4]; b.y2 = v[5];
    }

    CachedBiquad* const sections[] { &lowShelf, &midPeak, &highShelf, &cabHighPass, &cabPeak, &cabLowPass1, &cabLowPass2 };
    for (int k = 0; k < 7; ++k)
        sections[k]->setOutputHistory (h.biquadOutputHistories[k][0], h.biquadOutputHistories[k][1]);

    CachedFourPole* const fourPoles[] { &wah, &distortion };
    for (int k = 0; k < 2; ++k)
    {
        for (int p = 0; p < fourPoles[k]->getNumPhases(); ++p)
        {
            FourPoleFilter& f = fourPoles[k]->getPhaseFilter (p);
            const float* v = h.fourPoles[k][p];
            f.y0 = v[0]; f.y1 = v[1]; f.y2 = v[2]; f.y3 = v[3]; f.y4 = v[4];
            f.x0 = v[5]; f.x1 = v[6]; f.x2 = v[7];
            const double* w = h.fourPoleHistories[k][p];
            f.h1 = w[0]; f.h2 = w[1]; f.h3 = w[2]; f.h4 = w[3];
        }
        fourPoles[k]->setPhase (h.fourPolePhases[k]);
    }

    distortionClipper.restore (h.clippers[0]);
    ampClipper.restore (h.clippers[1]);
    clipperPair.restore (h.clipperPair);
    state.delayWriteIndex = h.delayWriteIndex;
}

void CachedEffectChain::restart() noexcept
{
    state.restart();

    // Every cache back to "never designed", describing the fresh filters.
    for (auto* section : { &lowShelf, &midPeak, &highShelf, &cabHighPass, &cabPeak, &cabLowPass1, &cabLowPass2 })
        section->forgetDesign();
    wah.forgetDesign();
    distortion.forgetDesign();
    cabinetDesigned = false;

    distortionGain.forget();
    driveGain.forget();
    outputGain.forget();

    distortionClipper.reset();
    ampClipper.reset();
    clipperPair.reset();

    keysValid = false;
    distortionFactor = 0.0;
    driveFactor = 0.0;
    outputFactor = 0.0f;
    delayWrapAfter = 0;
    overwrites = 0;
    sawNaN = false;
}
