#pragma once

#include "AudioMidiHandler.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// What the benchmarks measure: which slots are on and what moves while the
// audio runs. The chain loops read a parameter block of relaxed atomics for
// every sample, as the engine reads its controls.
namespace velthorn::bench
{
    // The controls as the chain loops read them: one relaxed atomic each,
    // at the engine's defaults. Benchmark thread.
    struct ParameterBlock final
    {
        std::atomic<float> delTme { 0.5f }, delAm { 0.5f };
        std::atomic<float> wahFreq { 1.0f }, wahRes { 0.3f }, wahGain { 0.7f };
        std::atomic<float> distGain { 0.6f }, distFreq { 0.4f };
        std::atomic<float> ampDrv { 0.7f }, ampLo { 0.5f }, ampMid { 0.5f }, ampHi { 0.5f };
        std::atomic<float> mast { 0.6f };
        std::atomic<int32_t> delOn { 0 }, wahOn { 0 }, distOn { 0 }, ampOn { 1 }, mastOn { 1 };

        // The engine's setParameter, for values already in range.
        void setParameter (int index, float value) noexcept;
    };

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
    void applySwitches (ParameterBlock& parameters, const Scenario& scenario);

    // Moves the parameters of a scenario one MIDI step, as the MIDI thread would.
    // Benchmark thread.
    class ParameterMotion final
    {
    public:
        explicit ParameterMotion (Motion motion);

        // Writes the next step straight into the parameter block (the atomics).
        // Benchmark thread.
        void step (ParameterBlock& parameters) noexcept;

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
