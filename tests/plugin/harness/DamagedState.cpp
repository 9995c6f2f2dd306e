#include "DamagedState.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <stdexcept>

namespace harness
{
    juce::MemoryBlock wrappedDocument (const std::string& text, int extraLength)
    {
        juce::MemoryOutputStream out;
        out.writeInt (0x21324356);
        out.writeInt (static_cast<int> (text.size()) + extraLength);
        out.write (text.data(), text.size());
        out.writeByte (0);
        return out.getMemoryBlock();
    }

    juce::MemoryBlock withLv2StateString (const juce::MemoryBlock& hostState, const std::string& stateString)
    {
        const auto turtle = hostState.toString();
        const juce::String key = ":StateString> \"";
        const auto start = turtle.indexOf (key);

        if (start < 0)
            throw std::runtime_error ("the LV2 host saved no state string:\n" + turtle.toStdString());

        const auto valueStart = start + key.length();
        const auto valueEnd = turtle.indexOfChar (valueStart, '"');
        const auto replaced = turtle.substring (0, valueStart) + juce::String (stateString) + turtle.substring (valueEnd);
        return juce::MemoryBlock (replaced.toRawUTF8(), replaced.getNumBytesAsUTF8());
    }

    juce::MemoryBlock withVst3ComponentState (const juce::MemoryBlock& hostState, const juce::MemoryBlock& componentState)
    {
        auto xml = juce::AudioProcessor::getXmlFromBinary (hostState.getData(), static_cast<int> (hostState.getSize()));

        if (xml == nullptr)
            throw std::runtime_error ("the VST3 host saved no state it can read back");

        xml->deleteAllChildElementsWithTagName ("IComponent");
        xml->createNewChildElement ("IComponent")->addTextElement (componentState.toBase64Encoding());

        juce::MemoryBlock result;
        juce::AudioProcessor::copyXmlToBinary (*xml, result);
        return result;
    }
}
