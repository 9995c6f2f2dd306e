#pragma once

#include <juce_data_structures/juce_data_structures.h>
#include <juce_events/juce_events.h>

#include <memory>

// The process-wide settings store. The framework deletes it at exit, after
// the main window is gone, and the properties file writes any pending change
// as it goes. Message thread only.
class SettingsStore final : private juce::DeletedAtShutdown
{
public:
    ~SettingsStore() override;

    juce::ApplicationProperties properties;

    // The user's settings: the settings file, opened and read on first use,
    // or, once leaveFileAlone was called, settings held in memory for this
    // run only.
    juce::PropertiesFile& userSettings();

    // Before the first userSettings call: the settings file is neither read
    // nor written during this run.
    void leaveFileAlone();

    JUCE_DECLARE_SINGLETON_SINGLETHREADED_MINIMAL (SettingsStore)

private:
    std::unique_ptr<juce::PropertiesFile> inMemory;
};
