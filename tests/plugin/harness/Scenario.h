#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <cstdint>
#include <string>
#include <vector>

namespace harness
{
    // A parameter value in the renderer's terms.
    struct Setting
    {
        std::string id;
        float value = 0.0f;
    };

    // Host automation: at `sample`, the host sets the parameter.
    struct Automation
    {
        int64_t sample = 0;
        Setting setting;
    };

    // A MIDI control change the plugin receives at `sample`.
    struct ControlChange
    {
        int64_t sample = 0;
        int controller = 0;
        int value = 0;
    };

    // Everything one run plays: input, settings before the first sample,
    // automation and MIDI. Made from a seed, so runs can be repeated.
    struct Scenario
    {
        double sampleRate = 48000.0;
        juce::AudioBuffer<float> input;
        std::vector<Setting> settings;
        std::vector<Automation> automation;   // sorted by sample
        std::vector<ControlChange> midi;      // sorted by sample
        int oversampling = 1;                 // velthorn-render --oversample, the plugin's Quality
    };

    // Any thread: a stereo test signal (noise left, sweep right, both within
    // -0.5..0.5) of `seconds`, then `tailSeconds` of silence.
    juce::AudioBuffer<float> makeInput (double sampleRate, double seconds, double tailSeconds);

    // Any thread: random settings for all 17 parameters, automation of the
    // parameters MIDI also reaches (so velthorn-render can repeat it as
    // control changes at the same samples) and MIDI control changes at
    // samples of their own.
    Scenario makeRenderableScenario (double sampleRate, uint32_t seed);

    // Any thread: random automation of every one of the 17 parameters, three
    // moves each, the first of them a NaN.
    Scenario makeFullAutomationScenario (double sampleRate, uint32_t seed);

    // Any thread: the MIDI controller that moves the parameter, or -1.
    int controllerFor (const std::string& id);
}
