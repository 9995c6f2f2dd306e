#include "EngineHarness.h"
#include "EngineProbe.h"

#include "EffectSlots.h"
#include "SoftClipper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

// The wah and the distortion through the engine's callback: exactly the
// documented float arithmetic where the float design is stable, and a pedal
// sweep through the low end at 96 kHz that stays finite and bounded, with no
// click where the filter changes between its float and its double design.
namespace
{
    // The documented four-pole filter, written out independently of the
    // library: float design, float history, the step (differences included)
    // evaluated in double and rounded once.
    struct DocumentedFourPole
    {
        explicit DocumentedFourPole (int r) : rate (r) {}

        void design (float frequency, float gainDb, float damping)
        {
            const float g = static_cast<float> (std::pow (10.0, static_cast<double> (gainDb) / 20.0));
            const float w = static_cast<float> (6.283185307179586 * static_cast<double> (frequency));
            const double f = static_cast<float> (1.0 / static_cast<double> (w));
            const double s = static_cast<float> (rate);
            const double d = damping;
            c1 = static_cast<float> ((4.0 * d * f) * s);
            c2 = static_cast<float> (((4.0 * d * d + 2.0) * (f * f)) * (s * s));
            c3 = static_cast<float> ((4.0 * d * (f * f * f)) * (s * s * s));
            c4 = static_cast<float> ((f * f * f * f) * (s * s * s * s));
            b = static_cast<float> ((static_cast<double> (g) * (f * f)) * (s * s));
            norm = static_cast<float> (1.0 / (1.0 + static_cast<double> (c1) + static_cast<double> (c2)
                                              + static_cast<double> (c3) + static_cast<double> (c4)));
        }

        float step (float x)
        {
            const double p1 = y1, p2 = y2, p3 = y3, p4 = y4;
            const double sum = static_cast<double> (b) * (static_cast<double> (x) - 2.0 * static_cast<double> (x1) + static_cast<double> (x2))
                             - static_cast<double> (c1) * -p1
                             - static_cast<double> (c2) * (p2 - 2.0 * p1)
                             - static_cast<double> (c3) * (3.0 * p2 - 3.0 * p1 - p3)
                             - static_cast<double> (c4) * (p4 - 4.0 * p3 + 6.0 * p2 - 4.0 * p1);
            const float y = static_cast<float> (static_cast<double> (norm) * sum);
            y4 = y3;
            y3 = y2;
            y2 = y1;
            y1 = y;
            x2 = x1;
            x1 = x;
            return y;
        }

        int rate;
        float c1 = 0, c2 = 0, c3 = 0, c4 = 0, b = 0, norm = 0;
        float y1 = 0, y2 = 0, y3 = 0, y4 = 0, x1 = 0, x2 = 0;
    };

    float mapped (float value, double scale, double offset)
    {
        return static_cast<float> (scale * static_cast<double> (value) + offset);
    }

    bool sameBits (float a, float b) { return std::memcmp (&a, &b, sizeof a) == 0; }

    // The loudest output of the wah slot (+16 dB) for a pedal sweep of one CC
    // value per block, 0 to 127 and back, through the design in double (k =
    // rate / (2 pi f) directly) with everything in double.
    double sweepInDouble (const std::vector<float>& input, int rate, int blockLength, float damping)
    {
        const double g = std::pow (10.0, 15.999999 / 20.0), z = damping;
        double y1 = 0.0, y2 = 0.0, y3 = 0.0, y4 = 0.0, x1 = 0.0, x2 = 0.0, loudest = 0.0;
        for (int blockIndex = 0; blockIndex < 256; ++blockIndex)
        {
            const int value = blockIndex < 128 ? blockIndex : 255 - blockIndex;
            const double k = rate / (6.283185307179586 * (1000.0 * value / 127.0 + 150.0));
            const double c1 = 4.0 * z * k, c2 = (4.0 * z * z + 2.0) * k * k, c3 = 4.0 * z * k * k * k, c4 = k * k * k * k;
            const double b = g * k * k, norm = 1.0 / (1.0 + c1 + c2 + c3 + c4);
            for (int j = 0; j < blockLength; ++j)
            {
                const double x = input[static_cast<size_t> (blockIndex * blockLength + j)];
                const double y = norm * (b * (x - 2.0 * x1 + x2) + c1 * y1 - c2 * (y2 - 2.0 * y1)
                                         - c3 * (3.0 * y2 - 3.0 * y1 - y3) - c4 * (y4 - 4.0 * y3 + 6.0 * y2 - 4.0 * y1));
                loudest = std::max (loudest, std::fabs (x + y));
                y4 = y3;
                y3 = y2;
                y2 = y1;
                y1 = y;
                x2 = x1;
                x1 = x;
            }
        }
        return loudest;
    }

    enum class Slot
    {
        wah,
        distortion
    };

    struct FloatCase
    {
        const char* name;
        double rate;
        Slot slot;
        float frequencyKnob, resOrGainKnob, gainKnob;   // wah: freq, res, gain; distortion: freq, gain, unused
    };
}

TEST (FourPoleThroughEngine, WhereTheFloatDesignIsStableTheOutputIsTheDocumentedFloatArithmetic)
{
    static const FloatCase cases[] {
        { "wah at its defaults", 44100.0, Slot::wah, 1.0f, 0.3f, 0.7f },
        { "wah pedal down, little damping, full gain", 44100.0, Slot::wah, 0.0f, 0.05f, 1.0f },
        { "wah low, undamped", 48000.0, Slot::wah, 0.2f, 0.0f, 0.5f },
        { "wah in the middle at 96 kHz", 96000.0, Slot::wah, 0.5f, 0.1f, 0.5f },
        { "distortion at its defaults", 44100.0, Slot::distortion, 0.4f, 0.6f, 0.0f },
        { "distortion lowest and hottest at 96 kHz", 96000.0, Slot::distortion, 0.0f, 1.0f, 0.0f },
        { "distortion at 192 kHz", 192000.0, Slot::distortion, 0.4f, 0.5f, 0.0f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        EngineHarness h (c.rate, 512);
        AudioMidiHandler& e = h.engine;
        e.setParameter (14, 0.0f);   // amp off: the slot alone, then the output level
        if (c.slot == Slot::wah)
        {
            e.setParameter (3, c.frequencyKnob);
            e.setParameter (4, c.resOrGainKnob);
            e.setParameter (5, c.gainKnob);
            e.setParameter (6, 1.0f);
        }
        else
        {
            e.setParameter (8, c.frequencyKnob);
            e.setParameter (7, c.resOrGainKnob);
            e.setParameter (9, 1.0f);
        }

        const int rate = static_cast<int> (c.rate);
        DocumentedFourPole reference (rate);
        float wahFrequency = mapped (c.frequencyKnob, 1000.0, 150.0);
        if (wahFrequency < 100.0f)
            wahFrequency = 100.0f;
        if (c.slot == Slot::wah)
            reference.design (wahFrequency, mapped (c.gainKnob, 80.0, -40.0), c.resOrGainKnob);
        else
            reference.design (mapped (c.frequencyKnob, 1500.0, 300.0), 35.0f, 0.75f);
        const double driveGain = std::pow (10.0, static_cast<double> (static_cast<float> (80.0 * static_cast<double> (c.resOrGainKnob))) / 20.0);

        const auto input = noise (rate, 42u, 0.5f);
        std::vector<float> output;
        for (int start = 0; start < rate; start += 512)
        {
            const std::vector<float> block (input.begin() + start, input.begin() + std::min (rate, start + 512));
            const auto out = h.run ({ block }, 1);
            output.insert (output.end(), out[0].begin(), out[0].end());
        }

        const FourPoleFilter& used = c.slot == Slot::wah ? EngineProbe::state (e)->wahFilter : EngineProbe::state (e)->distFilter;
        ASSERT_FALSE (used.usesDoubleDesign) << "the case must be one where the float design is stable";

        for (int n = 0; n < rate; ++n)
        {
            const float x = input[static_cast<size_t> (n)];
            float s;
            if (c.slot == Slot::wah)
            {
                s = x + reference.step (x);
            }
            else
            {
                const float u = static_cast<float> (driveGain * static_cast<double> (x));
                s = SoftClipper (reference.step (u) + u, 0.2f);
            }
            const float expected = applyOutputLevel (s, 0.6f);
            ASSERT_TRUE (sameBits (output[static_cast<size_t> (n)], expected))
                << "sample " << n << ": engine " << output[static_cast<size_t> (n)] << ", documented " << expected;
        }
    }
}

TEST (FourPoleThroughEngine, APedalSweepAt96kHzWithLittleDampingStaysFiniteAndBoundedWithoutClicks)
{
    // CC 9 from 0 to 127 and back over two seconds: each value held for 750
    // samples (one block), 256 blocks.
    constexpr int rate = 96000, blockLength = 750;
    constexpr float level = 0.25f;

    for (const float res : { 0.0f, 0.05f })
    {
        SCOPED_TRACE ("wahRes " + std::to_string (res));
        EngineHarness h (rate, blockLength);
        AudioMidiHandler& e = h.engine;
        e.setParameter (14, 0.0f);   // amp off
        e.setParameter (4, res);
        e.setParameter (6, 1.0f);    // wah on at its default gain, +16 dB

        const auto input = noise (256 * blockLength, 9u, level);

        // The bound: twice the loudest output of the same sweep through the
        // design in double, run in double. With damping 0 the sweep itself
        // pumps the undamped resonance (each step of the frequency meets a
        // history made at the last one), to several million at the bottom of
        // the way back in double arithmetic too; the filter may not add to
        // that beyond rounding.
        const double bound = 2.0 * sweepInDouble (input, rate, blockLength, res);
        ASSERT_LT (bound, FourPoleFilter::runawayLimit);

        std::vector<float> previous;
        bool previousDouble = false;
        int switches = 0;
        double loudest = 0.0;

        for (int blockIndex = 0; blockIndex < 256; ++blockIndex)
        {
            const int value = blockIndex < 128 ? blockIndex : 255 - blockIndex;
            e.handleMidi (juce::MidiMessage::controllerEvent (1, 9, value));

            const auto first = input.begin() + blockIndex * blockLength;
            const std::vector<float> block (first, first + blockLength);
            const auto out = h.run ({ block }, 1)[0];

            const FourPoleFilter& wah = EngineProbe::state (e)->wahFilter;
            ASSERT_EQ (wah.x1, block.back()) << "the runaway guard fired in block " << blockIndex;

            for (float y : out)
            {
                ASSERT_TRUE (std::isfinite (y)) << "block " << blockIndex;
                loudest = std::max (loudest, static_cast<double> (std::fabs (y)));
            }

            if (blockIndex > 0 && wah.usesDoubleDesign != previousDouble)
            {
                // The step across the change of design is no larger than twice
                // the largest step the signal itself took in the block before
                // it; a history thrown away would jump by the signal's whole
                // size, many times that.
                ++switches;
                double largestStep = 0.0;
                for (size_t j = 1; j < previous.size(); ++j)
                    largestStep = std::max (largestStep, static_cast<double> (std::fabs (previous[j] - previous[j - 1])));
                EXPECT_LE (std::fabs (out.front() - previous.back()), 2.0 * largestStep)
                    << "at CC value " << value << (wah.usesDoubleDesign ? ", into the double design" : ", into the float design");
            }

            previous = out;
            previousDouble = wah.usesDoubleDesign;
        }

        EXPECT_LE (loudest, bound);
        std::cout << "wahRes " << res << ": loudest " << loudest << " (the sweep in double: " << bound / 2.0 << "), "
                  << switches << " changes of design\n";
        EXPECT_GT (switches, 1) << "the sweep must cross between the two designs for this test to mean anything";
    }
}
