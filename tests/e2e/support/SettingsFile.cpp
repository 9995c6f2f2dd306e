#include "SettingsFile.h"

#include <juce_core/juce_core.h>

#include <fstream>
#include <iterator>

namespace e2e
{
    SavedDeviceState SavedDeviceState::read (const std::filesystem::path& settingsFile)
    {
        SavedDeviceState state;

        std::ifstream in (settingsFile, std::ios::binary);
        if (! in)
            return state;

        state.text.assign (std::istreambuf_iterator<char> (in), std::istreambuf_iterator<char>());

        const auto root = juce::parseXML (juce::String::fromUTF8 (state.text.data(), static_cast<int> (state.text.size())));
        if (root == nullptr || ! root->hasTagName ("PROPERTIES"))
            return state;

        state.readable = true;

        for (auto* value : root->getChildWithTagNameIterator ("VALUE"))
        {
            if (value->getStringAttribute ("name") != "audioDeviceState")
                continue;

            state.hasValue = true;
            state.plainValue = value->getStringAttribute ("val").toStdString();

            if (auto* setup = value->getChildByName ("DEVICESETUP"))
            {
                std::map<std::string, std::string> attributes;

                for (int i = 0; i < setup->getNumAttributes(); ++i)
                    attributes[setup->getAttributeName (i).toStdString()] = setup->getAttributeValue (i).toStdString();

                state.deviceSetup = attributes;
            }
        }

        return state;
    }
}
