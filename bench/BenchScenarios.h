#pragma once

#include "AudioMidiHandler.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <string>
#include <vector>

// What the benchmarks measure: which slots are on and what moves while the
// audio runs. The parameter block is an AudioMidiHandler's, so the chain
// loops read it exactly as the audio callback does (relaxed atomics, every
// sample).
namespace velthorn::bench
{
    constexpr double sampleRate = 48000.0;
    constexpr int blockSize = 256;

    enum class Motion
    {
        none,         // parameters still
        midiSweep,    // wahFreq and ampDrv one MIDI step (1/127) further on every sample
        everyKnob,    // all eleven chain knobs one MIDI step further on every sample
    };

    struct Scenario final
    {
        std::string key;     // the benchmark name's middle part
        std::string title;   // the summary's row
        bool wah, distortion, amp, delay;
        Motion motion;
    };

    // Message thread or benchmark thread: the scenarios in summary order.
    const std::vector<Scenario>& scenarios();

    // Benchmark thread: sets the switches of a scenario (master on, the rest as given).
    void applySwitches (AudioMidiHandler& parameters, const Scenario& scenario);

    // Moves the parameters of a scenario one MIDI step, as the MIDI thread would.
    // Benchmark thread.
    class ParameterMotion final
    {
    public:
        explicit ParameterMotion (Motion motion);

        // Writes the next step straight into the parameter block (the atomics).
        // Benchmark thread.
        void step (AudioMidiHandler& parameters) noexcept;

        // Sends the next step as MIDI control changes (only the two swept
        // controls have controllers). Benchmark thread.
        void sendMidi (AudioMidiHandler& engine);

    private:
        int next() noexcept;

        Motion motion;
        int position = 0, direction = 1;
        juce::MidiMessage wahMessages[128], driveMessages[128];
    };

    // A guitar-like test signal: noise at about -10 dBFS, one second long.
    // Any thread.
    const std::vector<float>& noiseSignal();
}
