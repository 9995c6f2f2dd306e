#pragma once

#include <juce_core/juce_core.h>

#include <string>

// Whether the app's settings file may be read. The framework parses it
// whole as the settings are first used, recursing once per nested element:
// a damaged file nested deep enough crashed the app at every start, before
// its window showed. Such a file is not read (see StateDocumentCheck), nor
// is anything in its place that is not a regular file: a named pipe kept
// the app waiting in open() for a writer, and a link to /dev/zero was read
// until memory ran out.
class SettingsFileCheck final
{
public:
    // Message thread, before the settings are first read: empty when `file`
    // is missing, cannot be opened (which the caller handles as it handles
    // any unreadable file) or is safe to parse; otherwise why it is not.
    static std::string problem (const juce::File& file);

    SettingsFileCheck() = delete;
};
