#pragma once

#include "CachedEffectChain.h"
#include "ChainSettings.h"
#include "EffectSlots.h"
#include "EffectState.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

// Random parameter, switch and input automation for rendering the chain
// through the literal slots and the cached chain side by side.
namespace chain_automation
{

    // How often the four-pole filters' runaway guard was seen to fire: a step
    // with a non-zero input that leaves the input history at 0.
    struct GuardCount
    {
        long wah = 0, distortion = 0;
    };

    // One sample through the literal slots, as the audio callback runs them.
    inline float runLiteralChain (EffectState& state, float x, const ChainSettings& p, GuardCount* guards = nullptr)
    {
        if (p.mastOn == 0)
            return x;

        float s = x;
        if (p.wahOn != 0)
        {
            const float in = s;
            s = processWahSlot (state, s, p.wahFreq, p.wahRes, p.wahGain);
            if (guards != nullptr && in != 0.0f && state.wahFilter.x0 == 0.0f)
                ++guards->wah;
        }
        if (p.distOn != 0)
        {
            const float in = s;
            s = processDistortionSlot (state, s, p.distGain, p.distFreq);
            if (guards != nullptr && in != 0.0f && state.distFilter.x0 == 0.0f)
                ++guards->distortion;
        }
        if (p.ampOn != 0)
            s = processAmpSlot (state, s, p.ampDrv, p.ampLo, p.ampMid, p.ampHi);
        if (p.delOn != 0)
            s = processDelaySlot (state, s, p.delTme, p.delAm);
        return applyOutputLevel (s, p.mast);
    }

    // The same sample through the cached chain.
    inline float runCachedChain (CachedEffectChain& chain, float x, const ChainSettings& p)
    {
        if (p.mastOn == 0)
            return x;

        float s = x;
        if (p.wahOn != 0)
            s = chain.processWahSlot (s, p.wahFreq, p.wahRes, p.wahGain);
        if (p.distOn != 0)
            s = chain.processDistortionSlot (s, p.distGain, p.distFreq);
        if (p.ampOn != 0)
            s = chain.processAmpSlot (s, p.ampDrv, p.ampLo, p.ampMid, p.ampHi);
        if (p.delOn != 0)
            s = chain.processDelaySlot (s, p.delTme, p.delAm);
        return chain.applyOutputLevel (s, p.mast);
    }

    inline float nanWithPayload (std::uint32_t payload, bool negative)
    {
        const std::uint32_t bits = (negative ? 0xFFC00000u : 0x7FC00000u) | (payload & 0x003FFFFFu);
        float f;
        std::memcpy (&f, &bits, sizeof f);
        return f;
    }

    // A MIDI controller value as the engine turns it into a parameter.
    inline float midiValue (int value) { return static_cast<float> (static_cast<double> (value) / 127.0); }

    // Values that no control delivers but that the parameter block can hold.
    inline const std::vector<float>& wildValues()
    {
        static const std::vector<float> values {
            std::numeric_limits<float>::quiet_NaN(), nanWithPayload (0x1234, false), nanWithPayload (77, true),
            -0.0f, 0.0f, -0.05f, -0.3f, -1.0f, 1.0f, 1.0000001f, 1.7f, 25.0f, -1.0e9f, 1.0e30f,
            std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
            std::numeric_limits<float>::denorm_min(), -std::numeric_limits<float>::denorm_min(),
            std::numeric_limits<float>::min(), 0.99999994f,
        };
        return values;
    }

    enum class Values
    {
        midi,    // k / 127, as MIDI control changes deliver them
        unit,    // anywhere in 0..1, as the knobs deliver them
        wild,    // mostly MIDI values, one in four from wildValues()
        zeros,   // 0.0 and -0.0 only
    };

    // How a lane moves: the relative weights of its kinds of segment, what
    // values it draws, and how long a hold may last.
    struct LaneStyle
    {
        int holdWeight, everySampleWeight, sweepWeight;
        Values values;
        int longestHold;
    };

    // One parameter's automation: holds (each a jump to a new value, or a
    // rest on the old one), stretches where the value changes on every
    // sample, and MIDI sweeps that move one step of 1/127 per sample.
    class ParameterLane
    {
    public:
        ParameterLane (float initial, LaneStyle s) : value (initial), style (s) {}

        float next (std::mt19937& rng)
        {
            if (remaining <= 0)
                startSegment (rng);
            --remaining;

            switch (mode)
            {
                case Mode::hold:
                    break;
                case Mode::everySample:
                    value = draw (rng);
                    break;
                case Mode::sweep:
                    if (step + direction < 0 || step + direction > 127)
                        direction = -direction;
                    step += direction;
                    value = midiValue (step);
                    break;
            }
            return value;
        }

    private:
        enum class Mode
        {
            hold,
            everySample,
            sweep
        };

        void startSegment (std::mt19937& rng)
        {
            const int total = style.holdWeight + style.everySampleWeight + style.sweepWeight;
            const int pick = std::uniform_int_distribution<int> (0, total - 1) (rng);

            if (pick < style.holdWeight)
            {
                mode = Mode::hold;
                remaining = std::uniform_int_distribution<int> (1, style.longestHold) (rng);
                if (std::uniform_int_distribution<int> (0, 3) (rng) != 0)
                    value = draw (rng);   // a jump; otherwise the value rests where it was
            }
            else if (pick < style.holdWeight + style.everySampleWeight)
            {
                mode = Mode::everySample;
                remaining = std::uniform_int_distribution<int> (1, 3000) (rng);
            }
            else
            {
                mode = Mode::sweep;
                remaining = std::uniform_int_distribution<int> (1, 600) (rng);
                step = std::uniform_int_distribution<int> (0, 127) (rng);
                direction = std::uniform_int_distribution<int> (0, 1) (rng) != 0 ? 1 : -1;
            }
        }

        float draw (std::mt19937& rng) const
        {
            switch (style.values)
            {
                case Values::unit:
                    return std::uniform_real_distribution<float> (0.0f, 1.0f) (rng);
                case Values::zeros:
                    return std::uniform_int_distribution<int> (0, 1) (rng) != 0 ? 0.0f : -0.0f;
                case Values::wild:
                    if (std::uniform_int_distribution<int> (0, 3) (rng) == 0)
                    {
                        const auto& w = wildValues();
                        return w[std::uniform_int_distribution<size_t> (0, w.size() - 1) (rng)];
                    }
                    break;
                case Values::midi:
                    break;
            }
            return midiValue (std::uniform_int_distribution<int> (0, 127) (rng));
        }

        float value;
        LaneStyle style;
        Mode mode = Mode::hold;
        int remaining = 0, step = 0, direction = 1;
    };

    // One switch: holds on or off (any non-zero value is on), or flickers
    // with a fresh value on every sample.
    class SwitchLane
    {
    public:
        SwitchLane (std::int32_t initial, int flickerWeight, int longestHold)
            : value (initial), flicker (flickerWeight), longest (longestHold) {}

        std::int32_t next (std::mt19937& rng)
        {
            if (remaining <= 0)
            {
                flickering = std::uniform_int_distribution<int> (0, 9) (rng) < flicker;
                remaining = flickering ? std::uniform_int_distribution<int> (1, 500) (rng)
                                       : std::uniform_int_distribution<int> (1, longest) (rng);
                value = draw (rng);
            }
            --remaining;
            if (flickering)
                value = draw (rng);
            return value;
        }

    private:
        static std::int32_t draw (std::mt19937& rng)
        {
            static const std::int32_t values[] { 0, 1, 0, 1, 0, 1, -1, 2 };
            return values[std::uniform_int_distribution<int> (0, 7) (rng)];
        }

        std::int32_t value;
        int flicker, longest, remaining = 0;
        bool flickering = false;
    };

    // A style per parameter group: the wah, the distortion, the amp, the
    // delay and the output level can each be automated differently.
    struct ScriptStyle
    {
        LaneStyle wah, distortion, amp, delay, output;
        int switchFlickerWeight;   // 0..10: how often a switch segment flickers
        int longestSwitchHold;
    };

    // The whole parameter block, one sample at a time.
    class AutomationScript
    {
    public:
        AutomationScript (unsigned seed, const ScriptStyle& style)
            : rng (seed),
              lanes {
                  { 0.5f, style.delay },      { 0.5f, style.delay },  { 1.0f, style.wah },
                  { 0.3f, style.wah },        { 0.7f, style.wah },    { 0.6f, style.distortion },
                  { 0.4f, style.distortion }, { 0.7f, style.amp },    { 0.5f, style.amp },
                  { 0.5f, style.amp },        { 0.5f, style.amp },    { 0.6f, style.output },
              },
              switches {
                  { 0, style.switchFlickerWeight, style.longestSwitchHold },
                  { 0, style.switchFlickerWeight, style.longestSwitchHold },
                  { 0, style.switchFlickerWeight, style.longestSwitchHold },
                  { 1, style.switchFlickerWeight, style.longestSwitchHold },
                  // The master switch is on most of the time, or little would run.
                  { 1, style.switchFlickerWeight / 2, style.longestSwitchHold * 4 },
              }
        {
        }

        ChainSettings next()
        {
            ChainSettings p;
            float* const values[] { &p.delTme, &p.delAm, &p.wahFreq, &p.wahRes, &p.wahGain, &p.distGain,
                                    &p.distFreq, &p.ampDrv, &p.ampLo, &p.ampMid, &p.ampHi, &p.mast };
            for (size_t i = 0; i < lanes.size(); ++i)
                *values[i] = lanes[i].next (rng);

            std::int32_t* const flags[] { &p.delOn, &p.wahOn, &p.distOn, &p.ampOn, &p.mastOn };
            for (size_t i = 0; i < switches.size(); ++i)
                *flags[i] = switches[i].next (rng);

            if (p.mastOn == 0 && std::uniform_int_distribution<int> (0, 1) (rng) == 0)
                p.mastOn = 1;
            return p;
        }

    private:
        std::mt19937 rng;
        std::vector<ParameterLane> lanes;
        std::vector<SwitchLane> switches;
    };

    enum class Input
    {
        music,       // noise at changing levels, silences, DC and loud bursts
        huge,        // the above with bursts far beyond full scale
        nonFinite,   // the above with the odd NaN or infinity
    };

    // The input signal, in segments of changing character.
    class InputScript
    {
    public:
        InputScript (unsigned seed, Input k) : rng (seed), kind (k) {}

        float next()
        {
            if (remaining <= 0)
                startSegment();
            --remaining;

            float x = level == 0.0f ? 0.0f : (dc ? level : level * std::uniform_real_distribution<float> (-1.0f, 1.0f) (rng));
            if (kind == Input::nonFinite && std::uniform_int_distribution<int> (0, 5000) (rng) == 0)
            {
                static const float specials[] { std::numeric_limits<float>::quiet_NaN(), nanWithPayload (0x2222, true),
                                                nanWithPayload (0x51, false), std::numeric_limits<float>::infinity(),
                                                -std::numeric_limits<float>::infinity() };
                x = specials[std::uniform_int_distribution<int> (0, 4) (rng)];
            }
            return x;
        }

    private:
        void startSegment()
        {
            static const float levels[] { 0.0f, 0.001f, 0.05f, 0.5f, 1.0f, 4.0f };
            remaining = std::uniform_int_distribution<int> (1, 20000) (rng);
            level = levels[std::uniform_int_distribution<int> (0, 5) (rng)];
            dc = std::uniform_int_distribution<int> (0, 9) (rng) == 0;

            if (kind != Input::music && std::uniform_int_distribution<int> (0, 3) (rng) == 0)
            {
                level = std::uniform_int_distribution<int> (0, 1) (rng) != 0 ? 1.0e6f : 1.0e30f;
                remaining = std::uniform_int_distribution<int> (1, 50) (rng);
            }
        }

        std::mt19937 rng;
        Input kind;
        int remaining = 0;
        float level = 0.0f;
        bool dc = false;
    };
}
