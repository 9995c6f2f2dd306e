#pragma once

#include "AudioMidiHandler.h"
#include "HostParameters.h"
#include "LatencyDelay.h"
#include "QualityParameter.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <atomic>

// Velthorn as a plugin: the app's engine run by a host instead of an audio
// device. Inputs (mono or stereo) are summed to mono by the engine and the
// result goes to every output (mono or stereo), with no latency at 1x.
//
// An 18th parameter, "Quality", runs the chain oversampled (2x, 4x, 8x). It
// is not automatable: a change takes effect at the start of the next block,
// where the chain starts afresh as after a device restart (every factor is
// prepared in prepareToPlay, so nothing is allocated then), and the latency
// the host compensates becomes the resampler's delay: reported at once when
// the change comes from the message thread (a host's parameter window, a
// project being loaded), otherwise from the message thread within 20 ms. A
// host's bypass is delayed to match.
//
// The 17 host parameters and the engine hold the same values:
//   - host automation (a parameter's value) reaches the engine at the start
//     of the next block;
//   - a MIDI control change goes through the engine's own MIDI mapping at its
//     sample position; the parameter then takes the engine's new value at
//     once and the host is told from the message thread within 20 ms;
//   - the editor writes the engine and the parameter together.
class VelthornProcessor final : public juce::AudioProcessor,
                                private juce::Timer,
                                private juce::AudioProcessorParameter::Listener
{
public:
    // Message thread.
    VelthornProcessor();
    // Message thread.
    ~VelthornProcessor() override;

    // Called by the host, never during processBlock.
    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    // Called by the host, never during processBlock.
    void releaseResources() override;
    // Called by the host when choosing buses, never during processBlock.
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    // Only single precision is processed; the host converts.
    using juce::AudioProcessor::processBlock;
    using juce::AudioProcessor::processBlockBypassed;

    // Audio thread: allocates nothing and takes no lock.
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    // Audio thread: for a host that bypasses the plugin without a bypass
    // parameter (LV2's "enabled" port): the summed input to every output.
    void processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;

    // Message thread.
    juce::AudioProcessorEditor* createEditor() override;
    // Any thread.
    bool hasEditor() const override { return true; }

    // Any thread.
    const juce::String getName() const override { return "Velthorn"; }
    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return false; }
    bool isMidiEffect() const override { return false; }
    // Any thread: the longest echo loop; further echoes decay by the amount.
    double getTailLengthSeconds() const override { return 1.0; }

    // Any thread: one fixed program.
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return "Default"; }
    void changeProgramName (int, const juce::String&) override {}

    // Message thread (or the host's state thread), never during processBlock
    // on the same instance in the hosts this was tried with; it reads and
    // writes only atomics, so either way is safe. Neither throws. A state
    // that is damaged, not Velthorn's or beyond what a state can need is
    // refused and the current values stay (see PluginState).
    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    // Any thread. The master switch where the format has a bypass parameter
    // (see HostParameters); none for LV2, whose wrapper would rewrite it from
    // its "enabled" port on every block and so undo MIDI and automation.
    juce::AudioProcessorParameter* getBypassParameter() const override;

    // The engine the editor's panel mirrors and writes. Message thread.
    AudioMidiHandler& getEngine() noexcept { return engine; }

    // The host parameters. Any thread.
    const HostParameters& getHostParameters() const noexcept { return parameters; }

    // The "Quality" parameter. Any thread.
    QualityParameter& getQualityParameter() const noexcept { return *quality; }

    // Message thread: what the editor calls when a control moves (the
    // engine's setParameter index and value): the engine and the parameter
    // change together and the host hears of it.
    void setFromEditor (int engineIndex, float value);

private:
    // Audio thread: copies host parameter changes into the engine.
    void pushParameterChanges() noexcept;
    // Audio thread: takes what MIDI changed in the engine into the parameters.
    void pullEngineChanges() noexcept;
    // Audio thread: runs an engine over the buffer with the block's MIDI.
    void runEngine (AudioMidiHandler& target, juce::AudioBuffer<float>& buffer, const juce::MidiBuffer& midi) noexcept;

    // Message thread: tells the host about values the audio thread changed.
    void timerCallback() override;

    // Message thread: reports the latency of the quality chosen.
    void reportLatency();

    // Any thread (the quality's listener): reports the new latency at once
    // when on the message thread; the timer does it otherwise.
    void parameterValueChanged (int parameterIndex, float newValue) override;
    void parameterGestureChanged (int, bool) override {}

    AudioMidiHandler engine;
    // Runs only while a host bypasses the plugin: its master switch stays off,
    // so it passes the engine's own input sum.
    AudioMidiHandler bypassEngine;
    HostParameters parameters;
    // Owned by the processor (added after the 17 table parameters).
    QualityParameter* quality = nullptr;
    // Audio thread only: the factor last handed to the engine.
    int pushedQuality = 1;
    // Sized in prepareToPlay; the bypass's delay, audio thread only.
    LatencyDelay bypassDelay;

    // Audio thread only: the value each parameter had when last copied.
    std::array<float, PluginParameterTable::numParameters> lastPushed {};
    // Set by the audio thread, cleared by the message thread.
    std::array<std::atomic<bool>, PluginParameterTable::numParameters> hostNeedsTelling {};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VelthornProcessor)
};
