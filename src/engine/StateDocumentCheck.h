#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>

// What a stored document may be before the framework's XML parser sees it:
// a plugin's state in a host's project, or the app's settings file. The
// parser recurses once for every element nested in another and expands the
// entities a document type declaration defines, also into themselves, so a
// damaged or hostile document could overflow the stack of whichever thread
// reads it. A document is refused unless:
//   - it is at most maximumBytes long;
//   - it declares no document type (nor anything else starting "<!" but a
//     comment); neither the plugin nor the framework's settings file ever
//     writes one;
//   - at most maximumElements places in it can open an element. That bounds
//     the nesting, and so the parser's recursion, whatever the markup around
//     them, without having to parse it the way the parser would. The plugin
//     writes one element per parameter and one around them; the settings
//     file holds one per setting and the device setup's few.
class StateDocumentCheck final
{
public:
    static constexpr std::size_t maximumBytes = 1 << 20;
    static constexpr int maximumElements = 256;

    // Any thread. True when `text` (the document as the parser would be
    // given it) meets the rules above.
    static bool isSafeToParse (const juce::String& text) noexcept;
};
