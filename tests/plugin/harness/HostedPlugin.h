#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <memory>
#include <string>

namespace harness
{
    enum class Format
    {
        lv2,
        vst3
    };

    // Any thread: "LV2" or "VST3".
    std::string nameOf (Format format);

    // The plugin's parameters by ID, in the renderer's terms; the names its
    // hosts show.
    struct ParameterInfo
    {
        const char* id;
        const char* hostName;
        bool isSwitch;
    };

    extern const std::array<ParameterInfo, 17> parameters;

    // One instance of the built plugin, loaded from the build tree through
    // JUCE's own hosting classes as a DAW built on them would load it.
    // Message thread (the test thread) only.
    class HostedPlugin final
    {
    public:
        // Message thread: loads and prepares the plugin (stereo in and out);
        // throws with the host's error when it cannot.
        HostedPlugin (Format format, double sampleRate, int maximumBlockSize);
        // Message thread.
        ~HostedPlugin();

        // Message thread: the hosted parameter of that ID.
        juce::AudioProcessorParameter& parameter (const std::string& id) const;

        // Message thread: sets a parameter to a value in the renderer's terms
        // (knobs 0..1, switches 0 or 1), as host automation does.
        void set (const std::string& id, float value);

        // Message thread: the value in the renderer's terms.
        float get (const std::string& id) const;

        // Message thread: sets the "Quality" parameter (1, 2, 4 or 8) as the
        // host's parameter window would.
        void setQuality (int factor);

        // Message thread: the factor the host shows for "Quality".
        int quality() const;

        // Message thread: runs the host's message loop, and blocks of
        // silence as a playing host does, until the latency it knows for the
        // plugin is `latency` (at most a minute); whether it got there.
        // (An LV2 host reads the latency after each block the plugin runs.)
        bool latencyBecomes (int latency);

        // Message thread: one block, stereo in place.
        void process (juce::AudioBuffer<float>& block, juce::MidiBuffer& midi);

        juce::AudioPluginInstance& instance() noexcept { return *plugin; }
        // Any thread.
        Format format() const noexcept { return pluginFormat; }

    private:
        Format pluginFormat;
        std::unique_ptr<juce::AudioPluginInstance> plugin;
    };
}
