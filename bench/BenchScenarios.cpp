#include "BenchScenarios.h"

#include <random>

namespace velthorn::bench
{
    const std::vector<Scenario>& scenarios()
    {
        static const std::vector<Scenario> table {
            { "wah", "wah slot alone", true, false, false, false, Motion::none },
            { "distortion", "distortion slot alone", false, true, false, false, Motion::none },
            { "amp", "amp + cabinet alone (the default chain)", false, false, true, false, Motion::none },
            { "delay", "delay slot alone", false, false, false, true, Motion::none },
            { "all", "all four slots, static parameters", true, true, true, true, Motion::none },
            { "all_midi_sweep", "all four slots, wahFreq + ampDrv MIDI sweep every sample", true, true, true, true, Motion::midiSweep },
            { "all_every_knob", "all four slots, every knob moving every sample", true, true, true, true, Motion::everyKnob },
        };
        return table;
    }

    void applySwitches (AudioMidiHandler& p, const Scenario& s)
    {
        p.setParameter (6, s.wah ? 1.0f : 0.0f);
        p.setParameter (9, s.distortion ? 1.0f : 0.0f);
        p.setParameter (14, s.amp ? 1.0f : 0.0f);
        p.setParameter (2, s.delay ? 1.0f : 0.0f);
        p.setParameter (17, 1.0f);
    }

    ParameterMotion::ParameterMotion (Motion m) : motion (m)
    {
        for (int v = 0; v < 128; ++v)
        {
            wahMessages[v] = juce::MidiMessage::controllerEvent (1, 9, v);
            driveMessages[v] = juce::MidiMessage::controllerEvent (1, 7, v);
        }
    }

    int ParameterMotion::next() noexcept
    {
        if (position + direction < 0 || position + direction > 127)
            direction = -direction;
        position += direction;
        return position;
    }

    void ParameterMotion::step (AudioMidiHandler& p) noexcept
    {
        if (motion == Motion::none)
            return;

        constexpr auto relaxed = std::memory_order_relaxed;
        const int v = next();
        // The value a control change delivers: v / 127 in double, rounded once.
        const auto value = [] (int k) { return static_cast<float> (static_cast<double> (k) / 127.0); };

        p.wahFreq.store (value (v), relaxed);
        p.ampDrv.store (value (127 - v), relaxed);

        if (motion == Motion::everyKnob)
        {
            for (auto* knob : { &p.wahRes, &p.wahGain, &p.distGain, &p.distFreq, &p.ampLo, &p.ampMid, &p.ampHi,
                                &p.delAm, &p.mast })
                knob->store (value (v), relaxed);
        }
    }

    void ParameterMotion::sendMidi (AudioMidiHandler& engine)
    {
        const int v = next();
        engine.handleIncomingMidiMessage (nullptr, wahMessages[v]);
        engine.handleIncomingMidiMessage (nullptr, driveMessages[127 - v]);
    }

    const std::vector<float>& noiseSignal()
    {
        static const std::vector<float> signal = []
        {
            std::mt19937 rng (7);
            std::uniform_real_distribution<float> noise (-0.3f, 0.3f);
            std::vector<float> s (static_cast<size_t> (sampleRate));
            for (auto& x : s)
                x = noise (rng);
            return s;
        }();
        return signal;
    }
}
