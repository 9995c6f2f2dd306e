#pragma once

#include <juce_data_structures/juce_data_structures.h>
#include <juce_events/juce_events.h>

// The process-wide settings store. The framework deletes it at exit, after
// the main window is gone, and the properties file writes any pending change
// as it goes. Message thread only.
class SettingsStore final : private juce::DeletedAtShutdown
{
public:
    ~SettingsStore() override;

    juce::ApplicationProperties properties;

    JUCE_DECLARE_SINGLETON_SINGLETHREADED_MINIMAL (SettingsStore)
};
