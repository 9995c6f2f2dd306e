#include "HostedPlugin.h"

#include "HostedFormats.h"

#include <algorithm>
#include <stdexcept>

#if ! defined (VELTHORN_LV2_BUNDLE) || ! defined (VELTHORN_VST3_BUNDLE)
 #error "the build must name the plugin bundles"
#endif

namespace harness
{
    const std::array<ParameterInfo, 17> parameters { {
        { "delTme", "Delay Time", false },
        { "delAm", "Delay Amount", false },
        { "delOn", "Delay", true },
        { "wahFreq", "Wah Frequency", false },
        { "wahRes", "Wah Resonance", false },
        { "wahGain", "Wah Gain", false },
        { "wahOn", "Wah", true },
        { "distGain", "Distortion Gain", false },
        { "distFreq", "Distortion Frequency", false },
        { "distOn", "Distortion", true },
        { "ampDrv", "Amp Drive", false },
        { "ampLo", "Amp Low", false },
        { "ampMid", "Amp Mid", false },
        { "ampHi", "Amp High", false },
        { "ampOn", "Amp", true },
        { "mast", "Master Level", false },
        { "mastOn", "Master", true },
    } };

    std::string nameOf (Format format)
    {
        return format == Format::lv2 ? "LV2" : "VST3";
    }

    namespace
    {
        const ParameterInfo& infoOf (const std::string& id)
        {
            for (const auto& info : parameters)
                if (id == info.id)
                    return info;

            throw std::invalid_argument ("no parameter " + id);
        }

        // The master switch is the VST3's bypass parameter, which hosts read
        // as 1 = bypassed; in LV2 it is a plain parameter.
        bool isInverted (Format format, const std::string& id)
        {
            return format == Format::vst3 && id == "mastOn";
        }
    }

    HostedPlugin::HostedPlugin (Format formatToLoad, double sampleRate, int maximumBlockSize)
        : pluginFormat (formatToLoad)
    {
        const auto format = pluginFormat;
        std::unique_ptr<juce::AudioPluginFormat> hostFormat;
        juce::String identifier;

        if (format == Format::vst3)
        {
            hostFormat = std::make_unique<juce::VST3PluginFormat>();
            identifier = vst3FileToLoad (juce::File (VELTHORN_VST3_BUNDLE));
        }
        else
        {
            // This LV2 host ignores LV2_PATH: it is shown the build tree
            // explicitly, and then finds the plugin by its URI.
            hostFormat = std::make_unique<juce::LV2PluginFormat>();
            hostFormat->searchPathsForPlugins (juce::FileSearchPath (juce::File (VELTHORN_LV2_BUNDLE).getParentDirectory().getFullPathName()),
                                                 true, false);
            identifier = "https://velthorn.audio/plugins/velthorn";
        }

        juce::OwnedArray<juce::PluginDescription> found;
        hostFormat->findAllTypesForFile (found, identifier);

        if (found.isEmpty())
            throw std::runtime_error (nameOf (format) + ": no plugin found at " + identifier.toStdString());

        juce::String error;
        plugin = hostFormat->createInstanceFromDescription (*found[0], sampleRate, maximumBlockSize, error);

        if (plugin == nullptr)
            throw std::runtime_error (nameOf (format) + ": cannot instantiate: " + error.toStdString());

        auto layout = plugin->getBusesLayout();
        layout.getMainInputChannelSet() = juce::AudioChannelSet::stereo();
        layout.getMainOutputChannelSet() = juce::AudioChannelSet::stereo();
        plugin->setBusesLayout (layout);
        plugin->setRateAndBufferSizeDetails (sampleRate, maximumBlockSize);
        plugin->prepareToPlay (sampleRate, maximumBlockSize);
    }

    HostedPlugin::~HostedPlugin()
    {
        plugin->releaseResources();
    }

    juce::AudioProcessorParameter& HostedPlugin::parameter (const std::string& id) const
    {
        const auto& info = infoOf (id);

        for (auto* p : plugin->getParameters())
            if (p->getName (100) == info.hostName)
                return *p;

        throw std::runtime_error (nameOf (pluginFormat) + ": the host shows no parameter named " + info.hostName);
    }

    void HostedPlugin::set (const std::string& id, float value)
    {
        parameter (id).setValue (isInverted (pluginFormat, id) ? 1.0f - value : value);
    }

    float HostedPlugin::get (const std::string& id) const
    {
        const auto normalised = parameter (id).getValue();
        return isInverted (pluginFormat, id) ? 1.0f - normalised : normalised;
    }

    namespace
    {
        const std::array<int, 4> qualities { 1, 2, 4, 8 };

        juce::AudioProcessorParameter& qualityOf (juce::AudioPluginInstance& plugin, Format format)
        {
            for (auto* p : plugin.getParameters())
                if (p->getName (100) == "Quality")
                    return *p;

            throw std::runtime_error (nameOf (format) + ": the host shows no parameter named Quality");
        }
    }

    void HostedPlugin::setQuality (int factor)
    {
        const auto index = std::find (qualities.begin(), qualities.end(), factor) - qualities.begin();
        qualityOf (*plugin, pluginFormat).setValue (static_cast<float> (index) / 3.0f);
    }

    int HostedPlugin::quality() const
    {
        const auto index = juce::roundToInt (qualityOf (*plugin, pluginFormat).getValue() * 3.0f);
        return qualities[static_cast<size_t> (juce::jlimit (0, 3, index))];
    }

    bool HostedPlugin::latencyBecomes (int latency)
    {
        juce::AudioBuffer<float> silence (2, 16);
        juce::MidiBuffer midi;

        // A deadline, not a count of turns: on a machine busy with other
        // tests a turn of the message loop can take far longer than its
        // ten milliseconds, and the change is posted to that loop.
        const auto deadline = juce::Time::getMillisecondCounter() + 60000;

        while (plugin->getLatencySamples() != latency && juce::Time::getMillisecondCounter() < deadline)
        {
            juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
            silence.clear();
            plugin->processBlock (silence, midi);
        }

        return plugin->getLatencySamples() == latency;
    }

    void HostedPlugin::process (juce::AudioBuffer<float>& block, juce::MidiBuffer& midi)
    {
        plugin->processBlock (block, midi);
    }
}
