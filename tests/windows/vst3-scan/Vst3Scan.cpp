// Scans for VST3 plugins as a Windows host does when told to look for new
// plugins: the framework's default VST3 folders (Common Files\VST3), every
// bundle in them loaded and asked what it holds. Prints the folders searched,
// then one line per plugin found:
//
//   plugin|<name>|<manufacturer>|<version>|<file>
//
// Exits with 0 after a complete scan, whatever it found.

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_events/juce_events.h>

#include <iostream>

int main()
{
    // Hosting needs the framework's message thread, which this one becomes.
    juce::ScopedJuceInitialiser_GUI framework;
    juce::VST3PluginFormat format;

    const auto folders = format.getDefaultLocationsToSearch();
    std::cout << "searched|" << folders.toString() << std::endl;

    for (const auto& file : format.searchPathsForPlugins (folders, true, false))
    {
        juce::OwnedArray<juce::PluginDescription> found;
        format.findAllTypesForFile (found, file);

        for (const auto* plugin : found)
            std::cout << "plugin|" << plugin->name << "|" << plugin->manufacturerName << "|" << plugin->version << "|"
                      << plugin->fileOrIdentifier << std::endl;
    }

    return 0;
}
