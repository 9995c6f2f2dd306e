#include "SettingsStore.h"

JUCE_IMPLEMENT_SINGLETON (SettingsStore)

SettingsStore::~SettingsStore()
{
    clearSingletonInstance();
}

juce::PropertiesFile& SettingsStore::userSettings()
{
    if (inMemory != nullptr)
        return *inMemory;

    return *properties.getUserSettings();
}

void SettingsStore::leaveFileAlone()
{
    // No file: nothing to read, and the framework saves nowhere.
    auto options = properties.getStorageParameters();
    options.doNotSave = true;
    inMemory = std::make_unique<juce::PropertiesFile> (juce::File(), options);
}
