#include "AudioMidiHandler.h"
#include "EngineProbe.h"
#include "ChainAutomation.h"
#include "EffectSlots.h"
#include "EffectStateBits.h"
#include "FakeAudioDevice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <vector>

// The engine's callback against the literal slot functions run on a separate
// EffectState, sample by sample, with parameters and switches moved between
// blocks by setParameter and by MIDI control changes, down to a change before
// every single sample. Outputs, peak levels and, after every phase, the whole
// DSP state must be identical bit for bit.
namespace
{
    using chain_automation::midiValue;
    using chain_automation::wildValues;

    constexpr auto relaxed = std::memory_order_relaxed;

    enum class Events
    {
        knobs,        // setParameter with values in 0..1 and switch values
        midi,         // control changes on any channel, controllers 0..15
        mixed,        // both
        wild,         // both, and setParameter with NaN, infinite, negative and > 1 values
        sweep,        // controllers 9 (wah) and 7 (drive) one step further on every sample
        runawayWah,   // wah on at frequency 0 and damping 0, nothing else moving
        lowSweep,     // wah (damping 0.05) and distortion (300 Hz) on, controller 9 one step further on every sample
    };

    struct Phase
    {
        const char* name;
        int samples;
        int shortestBlock, longestBlock;   // blocks longer than the announced size run in chunks
        int mostEventsPerBlock;
        Events events;
        double restartRate;                // 0: keep the device running; else restart at this rate first
    };

    const std::vector<Phase>& phases()
    {
        static const std::vector<Phase> table {
            { "knob moves between blocks", 3 * 48000, 1, 700, 3, Events::knobs, 0.0 },
            { "a control change before every sample", 48000, 1, 1, 2, Events::midi, 0.0 },
            { "setParameter before every sample", 48000, 1, 1, 3, Events::knobs, 0.0 },
            { "MIDI sweeps of the wah and the drive", 2 * 48000, 1, 1, 0, Events::sweep, 0.0 },
            { "both kinds of change, long holds", 4 * 48000, 64, 4096, 1, Events::mixed, 0.0 },
            { "the wah in its formerly runaway region", 4 * 48000, 256, 256, 0, Events::runawayWah, 0.0 },
            { "a pedal sweep with little damping at 96 kHz", 2 * 96000, 1, 600, 0, Events::lowSweep, 96000.0 },
            { "a pedal sweep with little damping at 192 kHz", 2 * 192000, 1, 600, 0, Events::lowSweep, 192000.0 },
            { "after a restart at another rate", 2 * 44100, 1, 300, 3, Events::mixed, 44100.0 },
            { "out-of-range, NaN and infinite values", 48000, 1, 200, 3, Events::wild, 0.0 },
            { "after a restart that clears the NaNs", 2 * 48000, 1, 500, 3, Events::mixed, 48000.0 },
        };
        return table;
    }

    // The literal path: the callback's per-sample body with the literal slots,
    // on its own state, reading the engine's parameter block.
    struct Reference
    {
        explicit Reference (int rate) : state (std::make_unique<EffectState> (rate)) {}

        void run (const AudioMidiHandler& e, const std::vector<std::vector<float>>& inputs, int n,
                  std::vector<float>& out, float& peak)
        {
            // The engine's callback runs with flush-to-zero and denormals-are-zero set;
            // so must the reference, or decaying tails would round differently.
            const juce::ScopedNoDenormals noDenormals;
            EffectState& s = *state;

            peak = 0.0f;
            out.assign (static_cast<size_t> (n), 0.0f);
            for (int j = 0; j < n; ++j)
            {
                float mono = 0.0f;
                for (const auto& channel : inputs)
                {
                    const float x = channel[static_cast<size_t> (j)];
                    mono = mono + (std::isfinite (x) ? x : 0.0f);
                }

                ++samples;
                if (e.snapshot().controls.mastOn != 0)
                {
                    float v = mono;
                    ++chainRuns;
                    for (int slot = 0; slot < 4; ++slot)
                        if ((slot == 0 ? e.snapshot().controls.wahOn : slot == 1 ? e.snapshot().controls.distOn : slot == 2 ? e.snapshot().controls.ampOn : e.snapshot().controls.delOn) != 0)
                            ++slotRuns[slot];
                    if (e.snapshot().controls.wahOn != 0)
                    {
                        const float in = v;
                        v = processWahSlot (s, v, e.snapshot().controls.wahFreq, e.snapshot().controls.wahRes, e.snapshot().controls.wahGain);
                        if (in != 0.0f && s.wahFilter.x0 == 0.0f)
                            ++wahRunaways;
                    }
                    if (e.snapshot().controls.distOn != 0)
                        v = processDistortionSlot (s, v, e.snapshot().controls.distGain, e.snapshot().controls.distFreq);
                    if (e.snapshot().controls.ampOn != 0)
                        v = processAmpSlot (s, v, e.snapshot().controls.ampDrv, e.snapshot().controls.ampLo, e.snapshot().controls.ampMid,
                                            e.snapshot().controls.ampHi);
                    if (e.snapshot().controls.delOn != 0)
                        v = processDelaySlot (s, v, e.snapshot().controls.delTme, e.snapshot().controls.delAm);
                    mono = applyOutputLevel (v, e.snapshot().controls.mast);
                }

                if (peak < mono)
                    peak = mono;
                out[static_cast<size_t> (j)] = mono;
            }
        }

        std::unique_ptr<EffectState> state;
        long wahRunaways = 0;
        long samples = 0, chainRuns = 0, slotRuns[4] = {};   // how much of the chain the automation reached
    };

    // Random changes to the parameter block, the way the panel and MIDI make them.
    class EventSource
    {
    public:
        explicit EventSource (unsigned seed) : rng (seed) {}

        void apply (AudioMidiHandler& e, Events kind, int count)
        {
            for (int i = 0; i < count; ++i)
            {
                const bool viaMidi = kind == Events::midi || ((kind == Events::mixed || kind == Events::wild) && coin());
                if (viaMidi)
                    sendControlChange (e);
                else
                    setKnobOrSwitch (e, kind == Events::wild);
            }
        }

        void sweep (AudioMidiHandler& e)
        {
            for (auto* s : { &wahStep, &driveStep })
            {
                if (s->value + s->direction < 0 || s->value + s->direction > 127)
                    s->direction = -s->direction;
                s->value += s->direction;
            }
            e.handleMidi (juce::MidiMessage::controllerEvent (1, 9, wahStep.value));
            e.handleMidi (juce::MidiMessage::controllerEvent (1, 7, driveStep.value));
        }

        void sweepWah (AudioMidiHandler& e)
        {
            if (wahStep.value + wahStep.direction < 0 || wahStep.value + wahStep.direction > 127)
                wahStep.direction = -wahStep.direction;
            wahStep.value += wahStep.direction;
            e.handleMidi (juce::MidiMessage::controllerEvent (1, 9, wahStep.value));
        }

        int pick (int lo, int hi) { return std::uniform_int_distribution<int> (lo, hi) (rng); }

    private:
        bool coin() { return pick (0, 1) != 0; }

        // Switches are turned on more often than off (the master switch most
        // of all), so that most samples run through most slots.
        bool switchOn (bool master) { return pick (0, 9) < (master ? 9 : 7); }

        void sendControlChange (AudioMidiHandler& e)
        {
            const int controller = pick (0, 15);
            int value = pick (0, 127);
            if (controller <= 4)   // a switch: only 127 turns it on
                value = switchOn (controller == 3) ? 127 : pick (0, 126);
            e.handleMidi (juce::MidiMessage::controllerEvent (pick (1, 16), controller, value));
        }

        void setKnobOrSwitch (AudioMidiHandler& e, bool wild)
        {
            const int index = pick (0, 18);
            const bool isSwitch = index == 2 || index == 6 || index == 9 || index == 14 || index == 17;
            if (isSwitch)   // truncation: 0.5 and 0.99 are off, 1 and 2.5 on
                e.setParameter (index, switchOn (index == 17) ? (coin() ? 1.0f : 2.5f) : (coin() ? 0.0f : 0.99f));
            else
                e.setParameter (index, knobValue (wild));
        }

        float knobValue (bool wild)
        {
            if (wild && pick (0, 3) == 0)
            {
                const auto& w = wildValues();
                return w[static_cast<size_t> (pick (0, static_cast<int> (w.size()) - 1))];
            }
            return coin() ? midiValue (pick (0, 127)) : std::uniform_real_distribution<float> (0.0f, 1.0f) (rng);
        }

        struct Step
        {
            int value, direction;
        };

        std::mt19937 rng;
        Step wahStep { 0, 1 }, driveStep { 90, -1 };
    };

    std::vector<std::vector<float>> inputBlock (std::mt19937& rng, int n, float level, bool nonFinite)
    {
        std::uniform_real_distribution<float> noise (-level, level);
        std::vector<std::vector<float>> in (2, std::vector<float> (static_cast<size_t> (n)));
        for (auto& channel : in)
            for (auto& x : channel)
                x = noise (rng);

        if (nonFinite && n > 0 && std::uniform_int_distribution<int> (0, 9) (rng) == 0)
            in[0][0] = std::numeric_limits<float>::quiet_NaN();
        return in;
    }
}

TEST (CachedEngineEquivalence, TheCallbackMatchesTheLiteralSlotsBitForBitUnderRandomAutomation)
{
    FakeAudioDevice device48 (48000.0, 64), device44 (44100.0, 64), device96 (96000.0, 64), device192 (192000.0, 64);
    AudioMidiHandler engine;
    engine.prepare (device48.getCurrentSampleRate(), device48.getCurrentBufferSizeSamples());
    Reference reference (48000);

    EventSource events (2024);
    std::mt19937 audioRng (77);
    static const float levels[] { 0.0f, 0.01f, 0.3f, 1.0f, 8.0f };

    long sampleIndex = 0;
    for (const auto& phase : phases())
    {
        SCOPED_TRACE (phase.name);

        if (phase.restartRate > 0.0)
        {
            // A restart makes a fresh state and a fresh chain; the reference starts over as well.
            engine.release();
            FakeAudioDevice& device = phase.restartRate == 44100.0   ? device44
                                    : phase.restartRate == 96000.0  ? device96
                                    : phase.restartRate == 192000.0 ? device192
                                                                    : device48;
            engine.prepare (device.getCurrentSampleRate(), device.getCurrentBufferSizeSamples());
            reference.state = std::make_unique<EffectState> (static_cast<int> (phase.restartRate));
        }

        if (phase.events == Events::runawayWah)
        {
            for (auto [index, value] : { std::pair { 3, 0.0f }, { 4, 0.0f }, { 6, 1.0f }, { 17, 1.0f } })
                engine.setParameter (index, value);
        }
        if (phase.events == Events::sweep)
        {
            for (int index : { 2, 6, 9, 14, 17 })
                engine.setParameter (index, 1.0f);
        }
        if (phase.events == Events::lowSweep)
        {
            for (auto [index, value] : { std::pair { 4, 0.05f }, { 5, 1.0f }, { 6, 1.0f }, { 8, 0.0f }, { 9, 1.0f }, { 17, 1.0f } })
                engine.setParameter (index, value);
        }

        const long runawaysBefore = reference.wahRunaways;
        float level = 0.3f;
        std::vector<float> expected;
        float expectedPeak = 0.0f;

        for (int done = 0; done < phase.samples;)
        {
            const int n = std::min (events.pick (phase.shortestBlock, phase.longestBlock), phase.samples - done);

            if (phase.events == Events::sweep)
                events.sweep (engine);
            else if (phase.events == Events::lowSweep)
                events.sweepWah (engine);
            else if (phase.events != Events::runawayWah)
                events.apply (engine, phase.events, events.pick (0, phase.mostEventsPerBlock));

            if (events.pick (0, 40) == 0)
                level = levels[events.pick (0, 4)];

            const auto in = inputBlock (audioRng, n, level, phase.events == Events::wild);
            std::vector<const float*> inPointers { in[0].data(), in[1].data() };
            std::vector<std::vector<float>> out (2, std::vector<float> (static_cast<size_t> (n), -1.0f));
            std::vector<float*> outPointers { out[0].data(), out[1].data() };

            engine.process (inPointers.data(), 2, outPointers.data(), 2, n);
            reference.run (engine, in, n, expected, expectedPeak);

            for (const auto& channel : out)
            {
                const long at = effect_state_bits::firstDifferentSample (expected.data(), channel.data(), static_cast<size_t> (n));
                ASSERT_EQ (at, -1) << "sample " << sampleIndex + at << ": literal " << expected[static_cast<size_t> (std::max (at, 0L))]
                                   << ", engine " << channel[static_cast<size_t> (std::max (at, 0L))];
            }
            ASSERT_TRUE (effect_state_bits::sameBits (engine.snapshot().peakLevel, expectedPeak)) << "block at " << sampleIndex;

            done += n;
            sampleIndex += n;
        }

        ASSERT_NE (EngineProbe::state (engine), nullptr);
        EXPECT_EQ (effect_state_bits::firstDifference (*reference.state, *EngineProbe::state (engine)), "");

        // Where the float design ran away, the filter now runs the design in
        // double: the guard stays silent.
        if (phase.events == Events::runawayWah || phase.events == Events::lowSweep)
            EXPECT_EQ (reference.wahRunaways, runawaysBefore);
    }

    engine.release();

    // The automation must have kept the chain and every slot busy for a good
    // part of the run, or the comparison above would prove little.
    EXPECT_GT (reference.chainRuns, reference.samples / 2);
    for (long runs : reference.slotRuns)
        EXPECT_GT (runs, reference.samples / 5);
}

TEST (CachedEngineEquivalence, ARestartGivesTheChainTheNewStateAndEmptyCaches)
{
    FakeAudioDevice device (48000.0, 32);
    AudioMidiHandler engine;
    for (int index : { 2, 6, 9, 14 })
        engine.setParameter (index, 1.0f);

    std::vector<float> first, second;
    for (auto* out : { &first, &second })
    {
        engine.prepare (device.getCurrentSampleRate(), device.getCurrentBufferSizeSamples());
        ASSERT_NE (EngineProbe::chain (engine), nullptr);
        EXPECT_EQ (&EngineProbe::chain (engine)->getState(), EngineProbe::state (engine));

        std::vector<float> in (32, 0.2f), o (32);
        const float* ip[] = { in.data() };
        float* op[] = { o.data() };
        for (int block = 0; block < 10; ++block)
        {
            engine.process (ip, 1, op, 1, 32);
            out->insert (out->end(), o.begin(), o.end());
        }

        engine.release();
        EXPECT_EQ (EngineProbe::chain (engine), nullptr);
        EXPECT_EQ (EngineProbe::state (engine), nullptr);
    }

    // Each run starts from silence, so both runs sound the same.
    EXPECT_EQ (effect_state_bits::firstDifferentSample (first.data(), second.data(), first.size()), -1);
}
