#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace e2e
{
    // What the app's settings file says about the audio device: the file is
    // XML with a root PROPERTIES and one VALUE element per key; the device
    // setup is the key "audioDeviceState", held either as a child element
    // (DEVICESETUP) or, when empty, as the attribute val="".
    struct SavedDeviceState final
    {
        // The file exists and parses as a PROPERTIES document.
        bool readable = false;
        // A VALUE named "audioDeviceState" is in it.
        bool hasValue = false;
        // Its "val" attribute, empty when it has none.
        std::string plainValue;
        // The attributes of its DEVICESETUP child, when it has one.
        std::optional<std::map<std::string, std::string>> deviceSetup;
        // The whole file, for failure messages.
        std::string text;

        // Test thread: reads the file (which may be missing).
        static SavedDeviceState read (const std::filesystem::path& settingsFile);
    };
}
