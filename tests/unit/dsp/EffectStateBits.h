#pragma once

#include "EffectState.h"
#include "FloatBits.h"

#include <cstring>
#include <string>

// Bit-for-bit comparison of two EffectStates: every coefficient and history
// value of the nine filters (the four-pole filters' double ones too), the
// delay memory and its position. A NaN equals
// a NaN only with the same payload, and 0.0 differs from -0.0.
namespace effect_state_bits
{
    inline bool sameBits (float a, float b) { return velthorn::dsp::bitsOf (a) == velthorn::dsp::bitsOf (b); }

    inline std::string describe (const char* name, float a, float b)
    {
        return std::string (name) + ": " + std::to_string (a) + " (bits " + std::to_string (velthorn::dsp::bitsOf (a))
             + ") vs " + std::to_string (b) + " (bits " + std::to_string (velthorn::dsp::bitsOf (b)) + ")";
    }

    inline std::string firstDifference (const char* filter, const BiquadSection& a, const BiquadSection& b)
    {
        const struct { const char* name; float BiquadSection::*member; } fields[] {
            { "a0", &BiquadSection::a0 }, { "a1", &BiquadSection::a1 }, { "a2", &BiquadSection::a2 },
            { "b0", &BiquadSection::b0 }, { "b1", &BiquadSection::b1 }, { "b2", &BiquadSection::b2 },
            { "y0", &BiquadSection::y0 }, { "y1", &BiquadSection::y1 }, { "y2", &BiquadSection::y2 },
            { "x0", &BiquadSection::x0 }, { "x1", &BiquadSection::x1 }, { "x2", &BiquadSection::x2 },
        };

        if (a.sampleRate != b.sampleRate)
            return std::string (filter) + ".sampleRate";

        for (const auto& field : fields)
            if (! sameBits (a.*field.member, b.*field.member))
                return describe ((std::string (filter) + "." + field.name).c_str(), a.*field.member, b.*field.member);

        return {};
    }

    inline std::string firstDifference (const char* filter, const FourPoleFilter& a, const FourPoleFilter& b)
    {
        const struct { const char* name; float FourPoleFilter::*member; } fields[] {
            { "y0", &FourPoleFilter::y0 }, { "y1", &FourPoleFilter::y1 }, { "y2", &FourPoleFilter::y2 },
            { "y3", &FourPoleFilter::y3 }, { "y4", &FourPoleFilter::y4 }, { "x0", &FourPoleFilter::x0 },
            { "x1", &FourPoleFilter::x1 }, { "x2", &FourPoleFilter::x2 }, { "c1", &FourPoleFilter::c1 },
            { "c2", &FourPoleFilter::c2 }, { "c3", &FourPoleFilter::c3 }, { "c4", &FourPoleFilter::c4 },
            { "b", &FourPoleFilter::b },   { "norm", &FourPoleFilter::norm },
        };

        if (a.sampleRate != b.sampleRate)
            return std::string (filter) + ".sampleRate";

        for (const auto& field : fields)
            if (! sameBits (a.*field.member, b.*field.member))
                return describe ((std::string (filter) + "." + field.name).c_str(), a.*field.member, b.*field.member);

        if (a.usesDoubleDesign != b.usesDoubleDesign)
            return std::string (filter) + ".usesDoubleDesign";

        const struct { const char* name; double FourPoleFilter::*member; } wideFields[] {
            { "stepC1", &FourPoleFilter::stepC1 }, { "stepC2", &FourPoleFilter::stepC2 },
            { "stepC3", &FourPoleFilter::stepC3 }, { "stepC4", &FourPoleFilter::stepC4 },
            { "stepB", &FourPoleFilter::stepB },   { "stepNorm", &FourPoleFilter::stepNorm },
            { "h1", &FourPoleFilter::h1 },         { "h2", &FourPoleFilter::h2 },
            { "h3", &FourPoleFilter::h3 },         { "h4", &FourPoleFilter::h4 },
        };

        for (const auto& field : wideFields)
            if (std::memcmp (&(a.*field.member), &(b.*field.member), sizeof (double)) != 0)
                return std::string (filter) + "." + field.name + ": " + std::to_string (a.*field.member) + " vs "
                     + std::to_string (b.*field.member);

        return {};
    }

    // Empty when the two states are identical bit for bit; otherwise names the first difference.
    inline std::string firstDifference (const EffectState& a, const EffectState& b)
    {
        if (a.sampleRate != b.sampleRate)
            return "sampleRate";
        if (a.oversampling != b.oversampling)
            return "oversampling";
        for (const auto* phases : { &a.wahPhases, &a.distPhases })
        {
            const auto& other = phases == &a.wahPhases ? b.wahPhases : b.distPhases;
            if (phases->size() != other.size())
                return "the number of four-pole copies";
            for (size_t p = 0; p < phases->size(); ++p)
                if (auto d = firstDifference (("copy " + std::to_string (p + 1)).c_str(), (*phases)[p], other[p]); ! d.empty())
                    return (phases == &a.wahPhases ? "wah " : "distortion ") + d;
        }
        if (a.delayWriteIndex != b.delayWriteIndex)
            return "delayWriteIndex: " + std::to_string (a.delayWriteIndex) + " vs " + std::to_string (b.delayWriteIndex);

        for (int i = 0; i < a.sampleRate; ++i)
            if (! sameBits (a.delayBuffer[static_cast<size_t> (i)], b.delayBuffer[static_cast<size_t> (i)]))
                return describe (("delayBuffer[" + std::to_string (i) + "]").c_str(),
                                 a.delayBuffer[static_cast<size_t> (i)], b.delayBuffer[static_cast<size_t> (i)]);

        for (const auto& d : { firstDifference ("wahFilter", a.wahFilter, b.wahFilter),
                               firstDifference ("distFilter", a.distFilter, b.distFilter),
                               firstDifference ("cabHighPass", a.cabHighPass, b.cabHighPass),
                               firstDifference ("cabLowPass1", a.cabLowPass1, b.cabLowPass1),
                               firstDifference ("cabLowPass2", a.cabLowPass2, b.cabLowPass2),
                               firstDifference ("cabPeak", a.cabPeak, b.cabPeak),
                               firstDifference ("ampLowShelf", a.ampLowShelf, b.ampLowShelf),
                               firstDifference ("ampPeak", a.ampPeak, b.ampPeak),
                               firstDifference ("ampHighShelf", a.ampHighShelf, b.ampHighShelf) })
            if (! d.empty())
                return d;

        return {};
    }

    // Index of the first sample whose bits differ, or -1 when the two runs are identical.
    inline long firstDifferentSample (const float* a, const float* b, size_t n)
    {
        if (std::memcmp (a, b, n * sizeof (float)) == 0)
            return -1;
        for (size_t i = 0; i < n; ++i)
            if (! sameBits (a[i], b[i]))
                return static_cast<long> (i);
        return -1;
    }
}
