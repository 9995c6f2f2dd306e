#include "QualityParameter.h"

#include <array>

namespace
{
    constexpr std::array<int, 4> factors { 1, 2, 4, 8 };

    // Version hint of the identifier, as the other parameters have theirs.
    constexpr int parameterVersion = 1;

    juce::StringArray choiceNames()
    {
        juce::StringArray names;
        for (const int factor : factors)
            names.add (juce::String (factor) + juce::String (juce::CharPointer_UTF8 ("\xc3\x97")));   // "1×"
        return names;
    }
}

QualityParameter::QualityParameter()
    : juce::AudioParameterChoice (juce::ParameterID { "quality", parameterVersion },
                                  "Quality",
                                  choiceNames(),
                                  0,
                                  juce::AudioParameterChoiceAttributes().withAutomatable (false))
{
}

int QualityParameter::getFactor() const noexcept
{
    return factorForIndex (getIndex());
}

float QualityParameter::normalisedFor (int factor) const noexcept
{
    for (size_t i = 0; i < factors.size(); ++i)
        if (factors[i] == factor)
            return convertTo0to1 (static_cast<float> (i));

    return convertTo0to1 (0.0f);
}

int QualityParameter::factorForIndex (int index) noexcept
{
    return index >= 0 && index < static_cast<int> (factors.size()) ? factors[static_cast<size_t> (index)] : 1;
}
