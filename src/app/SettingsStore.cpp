#include "SettingsStore.h"

JUCE_IMPLEMENT_SINGLETON (SettingsStore)

SettingsStore::~SettingsStore()
{
    clearSingletonInstance();
}
