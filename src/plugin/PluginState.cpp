#include "PluginState.h"

#include "StateDocumentCheck.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace
{
    const juce::Identifier rootTag { "VelthornState" };
    const juce::Identifier versionAttribute { "version" };
    const juce::Identifier parameterTag { "parameter" };
    const juce::Identifier idAttribute { "id" };
    const juce::Identifier valueAttribute { "value" };
    const char* const qualityId = "quality";

    // What the framework's copyXmlToBinary writes first.
    constexpr juce::uint32 binaryMagicNumber = 0x21324356;

    // The shortest text that reads back as the same float, bit for bit.
    juce::String exactText (float value)
    {
        std::array<char, 32> text {};
        const auto result = std::to_chars (text.data(), text.data() + text.size(), value);
        return juce::String (text.data(), static_cast<size_t> (result.ptr - text.data()));
    }

    // The number the whole text spells, read as a float so that what
    // exactText wrote comes back exactly; NaN for anything else. Numbers
    // beyond a float's range are read as doubles, to be clamped.
    double parseNumber (const juce::String& text)
    {
        const auto utf8 = text.toStdString();
        const auto* const begin = utf8.data();
        const auto* const end = begin + utf8.size();

        float asFloat = 0.0f;
        auto result = std::from_chars (begin, end, asFloat);

        if (result.ec == std::errc() && result.ptr == end && ! utf8.empty())
            return static_cast<double> (asFloat);

        double asDouble = 0.0;
        result = std::from_chars (begin, end, asDouble);

        if (result.ec == std::errc() && result.ptr == end && ! utf8.empty())
            return asDouble;

        return std::numeric_limits<double>::quiet_NaN();
    }

    float sanitised (const PluginParameterTable::Entry& entry, double stored, float fallback)
    {
        if (! std::isfinite (stored))
            return fallback;

        if (entry.isSwitch())
            return stored >= 1.0 ? 1.0f : 0.0f;

        return static_cast<float> (juce::jlimit (0.0, 1.0, stored));
    }
}

juce::MemoryBlock PluginState::write (const Values& values, int oversampling)
{
    juce::XmlElement root (rootTag);
    root.setAttribute (versionAttribute, formatVersion);

    const auto& table = PluginParameterTable::entries();

    for (size_t i = 0; i < table.size(); ++i)
    {
        auto* parameter = root.createNewChildElement (parameterTag);
        parameter->setAttribute (idAttribute, table[i].id);
        parameter->setAttribute (valueAttribute, exactText (values[i]));
    }

    auto* qualityElement = root.createNewChildElement (parameterTag);
    qualityElement->setAttribute (idAttribute, qualityId);
    qualityElement->setAttribute (valueAttribute, oversampling);

    juce::MemoryBlock block;
    juce::AudioProcessor::copyXmlToBinary (root, block);
    return block;
}

namespace
{
    // The stored document, parsed, when the state is one of ours that can be
    // parsed safely; nothing otherwise.
    std::unique_ptr<juce::XmlElement> parseState (const void* data, int sizeInBytes)
    {
        if (data == nullptr || sizeInBytes < 8)
            return nullptr;

        const auto* const bytes = static_cast<const char*> (data);

        if (juce::ByteOrder::littleEndianInt (bytes) != binaryMagicNumber)
            return nullptr;

        // The header gives the document's length. The parser accepts a document
        // cut after any complete element (it closes what is open), so a state
        // cut short would otherwise be read in part, the rest as defaults.
        const auto declaredLength = juce::ByteOrder::littleEndianInt (bytes + 4);

        if (declaredLength == 0 || declaredLength > static_cast<juce::uint32> (sizeInBytes - 8)
            || declaredLength > StateDocumentCheck::maximumBytes)
            return nullptr;

        // Decoded here rather than by the framework's reader of its own header,
        // so that the check sees exactly the text the parser is given.
        const auto text = juce::String::fromUTF8 (bytes + 8, static_cast<int> (declaredLength));

        if (! StateDocumentCheck::isSafeToParse (text))
            return nullptr;

        auto xml = juce::parseXML (text);

        if (xml == nullptr || ! xml->hasTagName (rootTag.toString()))
            return nullptr;

        return xml;
    }
}

std::optional<PluginState::Values> PluginState::read (const void* data, int sizeInBytes, const Values& defaults)
{
    const auto xml = parseState (data, sizeInBytes);

    if (xml == nullptr)
        return std::nullopt;

    Values values = defaults;
    const auto& table = PluginParameterTable::entries();

    for (const auto* child : xml->getChildWithTagNameIterator (parameterTag.toString()))
    {
        const auto position = PluginParameterTable::positionForId (child->getStringAttribute (idAttribute).toRawUTF8());

        if (position < 0 || ! child->hasAttribute (valueAttribute.toString()))
            continue;   // a parameter this version does not have, or no value

        const auto index = static_cast<size_t> (position);
        const auto stored = parseNumber (child->getStringAttribute (valueAttribute).trim());
        values[index] = sanitised (table[index], stored, defaults[index]);
    }

    return values;
}

std::optional<int> PluginState::readOversampling (const void* data, int sizeInBytes)
{
    const auto xml = parseState (data, sizeInBytes);

    if (xml == nullptr)
        return std::nullopt;

    int factor = 1;

    for (const auto* child : xml->getChildWithTagNameIterator (parameterTag.toString()))
    {
        if (child->getStringAttribute (idAttribute) != qualityId)
            continue;

        const auto stored = parseNumber (child->getStringAttribute (valueAttribute).trim());
        factor = stored == 2.0 ? 2 : stored == 4.0 ? 4 : stored == 8.0 ? 8 : 1;
    }

    return factor;
}
