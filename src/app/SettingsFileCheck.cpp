#include "SettingsFileCheck.h"

#include "RegularFileContents.h"
#include "StateDocumentCheck.h"

std::string SettingsFileCheck::problem (const juce::File& file)
{
    // The framework reads the file again by its name once this said yes; a
    // file swapped in between is one somebody swapped on purpose.
    const auto contents = RegularFileContents::read (file, StateDocumentCheck::maximumBytes);

    switch (contents.outcome)
    {
        case RegularFileContents::Outcome::missing:
        case RegularFileContents::Outcome::unopenable:
            return {};

        case RegularFileContents::Outcome::notRegular:
            return "it is " + contents.kind + ", not a regular file";

        case RegularFileContents::Outcome::tooLarge:
            return "it is larger than a settings file can be (over 1 MiB)";

        case RegularFileContents::Outcome::read:
            break;
    }

    // Decoded as the framework's parser will decode it.
    const auto text = juce::String::createStringFromData (contents.bytes.getData(), static_cast<int> (contents.bytes.getSize()));

    if (! StateDocumentCheck::isSafeToParse (text))
        return "it holds more elements than a settings file can, nested or declared in ways it never is";

    return {};
}
