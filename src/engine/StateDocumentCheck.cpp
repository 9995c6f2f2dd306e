#include "StateDocumentCheck.h"

bool StateDocumentCheck::isSafeToParse (const juce::String& text) noexcept
{
    if (text.getNumBytesAsUTF8() > maximumBytes)
        return false;

    // The characters the parser reads, decoded as it decodes them: a '<'
    // written in some other byte sequence counts as one too.
    int openings = 0;

    for (auto c = text.getCharPointer(); ! c.isEmpty(); ++c)
    {
        if (*c != '<')
            continue;

        const auto next = c[1];

        if (next == '/')
            continue;

        if (next == '!' && ! (c[2] == '-' && c[3] == '-'))
            return false;

        // Comments and processing instructions count as well: counting
        // more than the parser nests is only ever safe.
        if (++openings > maximumElements)
            return false;
    }

    return true;
}
