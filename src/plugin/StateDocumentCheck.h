#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>

// What a stored state's document may be before the framework's XML parser
// sees it. The parser recurses once for every element nested in another and
// expands the entities a document type declaration defines, also into
// themselves, so a damaged or hostile project could overflow the stack of
// whichever host thread restores it. A state is refused unless:
//   - it is at most maximumBytes long;
//   - it declares no document type (nor anything else starting "<!" but a
//     comment); this format never writes one;
//   - at most maximumElements places in it can open an element. That bounds
//     the nesting, and so the parser's recursion, whatever the markup around
//     them, without having to parse it the way the parser would. The format
//     writes one element per parameter and one around them.
class StateDocumentCheck final
{
public:
    static constexpr std::size_t maximumBytes = 1 << 20;
    static constexpr int maximumElements = 256;

    // Any thread. True when `text` (the document as the parser would be
    // given it) meets the rules above.
    static bool isSafeToParse (const juce::String& text) noexcept;
};
