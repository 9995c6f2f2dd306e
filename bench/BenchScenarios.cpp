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

    void ParameterBlock::setParameter (int index, float value) noexcept
    {
        constexpr auto relaxed = std::memory_order_relaxed;
        const auto on = static_cast<int32_t> (value);

        switch (index)
        {
            case 0:  delTme.store (value, relaxed); break;
            case 1:  delAm.store (value, relaxed); break;
            case 2:  delOn.store (on, relaxed); break;
            case 3:  wahFreq.store (value, relaxed); break;
            case 4:  wahRes.store (value, relaxed); break;
            case 5:  wahGain.store (value, relaxed); break;
            case 6:  wahOn.store (on, relaxed); break;
            case 7:  distGain.store (value, relaxed); break;
            case 8:  distFreq.store (value, relaxed); break;
            case 9:  distOn.store (on, relaxed); break;
            case 10: ampDrv.store (value, relaxed); break;
            case 11: ampLo.store (value, relaxed); break;
            case 12: ampMid.store (value, relaxed); break;
            case 13: ampHi.store (value, relaxed); break;
            case 14: ampOn.store (on, relaxed); break;
            case 15: mast.store (value, relaxed); break;
            case 17: mastOn.store (on, relaxed); break;
            default: break;
        }
    }

    namespace
    {
        template <typename Parameters>
        void setSwitches (Parameters& p, const Scenario& s)
        {
            p.setParameter (6, s.wah ? 1.0f : 0.0f);
            p.setParameter (9, s.distortion ? 1.0f : 0.0f);
            p.setParameter (14, s.amp ? 1.0f : 0.0f);
            p.setParameter (2, s.delay ? 1.0f : 0.0f);
            p.setParameter (17, 1.0f);
        }
    }

    void applySwitches (AudioMidiHandler& p, const Scenario& s)
    {
        setSwitches (p, s);
    }

    void applySwitches (ParameterBlock& p, const Scenario& s)
    {
        setSwitches (p, s);
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

    void ParameterMotion::step (ParameterBlock& p) noexcept
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
        engine.handleMidi (wahMessages[v]);
        engine.handleMidi (driveMessages[127 - v]);
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
