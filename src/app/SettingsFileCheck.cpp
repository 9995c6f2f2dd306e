#include "SettingsFileCheck.h"

#include "StateDocumentCheck.h"

std::string SettingsFileCheck::problem (const juce::File& file)
{
    if (! file.existsAsFile())
        return {};

    if (file.getSize() > static_cast<juce::int64> (StateDocumentCheck::maximumBytes))
        return "it is larger than a settings file can be (over 1 MiB)";

    juce::FileInputStream in (file);
    if (in.failedToOpen())
        return {};

    // Decoded as the framework's parser will decode it.
    if (! StateDocumentCheck::isSafeToParse (in.readEntireStreamAsString()))
        return "it holds more elements than a settings file can, nested or declared in ways it never is";

    return {};
}
