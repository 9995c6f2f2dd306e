#include "QualityParameter.h"

#include <array>
#include <cmath>

namespace
{
    constexpr std::array<int, 4> factors { 1, 2, 4, 8 };
    constexpr int lastIndex = static_cast<int> (factors.size()) - 1;

    // Version hint of the identifier, as the other parameters have theirs.
    constexpr int parameterVersion = 1;

    juce::String nameOf (int index)
    {
        return juce::String (factors[static_cast<size_t> (index)]) + juce::String (juce::CharPointer_UTF8 ("\xc3\x97"));   // "1×"
    }

    float normalisedForIndex (int index) noexcept
    {
        return static_cast<float> (index) / static_cast<float> (lastIndex);
    }
}

QualityParameter::QualityParameter()
    : juce::RangedAudioParameter (juce::ParameterID { "quality", parameterVersion },
                                  "Quality",
                                  juce::AudioProcessorParameterWithIDAttributes().withAutomatable (false)),
      // The choices at 0, 1/3, 2/3 and 1, any value in between going to the nearest.
      range (0.0f, 1.0f,
             [] (float start, float end, float proportion) { return start + (end - start) * proportion; },
             [] (float start, float end, float v) { return (v - start) / (end - start); },
             [] (float, float, float v) { return normalisedForIndex (indexFor (v)); })
{
}

int QualityParameter::indexFor (float normalisedValue) noexcept
{
    // Only text is asked for such a value; it reads as the default.
    if (! std::isfinite (normalisedValue))
        return 0;

    return juce::jlimit (0, lastIndex, juce::roundToInt (normalisedValue * static_cast<float> (lastIndex)));
}

int QualityParameter::getFactor() const noexcept
{
    return factors[static_cast<size_t> (indexFor (value.load (std::memory_order_relaxed)))];
}

float QualityParameter::normalisedFor (int factor) const noexcept
{
    for (size_t i = 0; i < factors.size(); ++i)
        if (factors[i] == factor)
            return normalisedForIndex (static_cast<int> (i));

    return normalisedForIndex (0);
}

float QualityParameter::getValue() const
{
    return value.load (std::memory_order_relaxed);
}

void QualityParameter::setValue (float newValue)
{
    // A NaN or an infinity stands for no choice at all (broken automation, a
    // host's arithmetic gone wrong): the choice stays as it was. A finite
    // value beyond the range goes to its nearest end, as a knob's does.
    if (! std::isfinite (newValue))
        return;

    value.store (normalisedForIndex (indexFor (newValue)), std::memory_order_relaxed);
}

int QualityParameter::getNumSteps() const
{
    return static_cast<int> (factors.size());
}

juce::String QualityParameter::getText (float normalisedValue, int maximumLength) const
{
    return nameOf (indexFor (normalisedValue)).substring (0, maximumLength);
}

float QualityParameter::getValueForText (const juce::String& text) const
{
    for (int i = 0; i <= lastIndex; ++i)
        if (text.trim() == nameOf (i) || text.trim().getIntValue() == factors[static_cast<size_t> (i)])
            return normalisedForIndex (i);

    return getDefaultValue();
}

juce::StringArray QualityParameter::getAllValueStrings() const
{
    juce::StringArray names;
    for (int i = 0; i <= lastIndex; ++i)
        names.add (nameOf (i));
    return names;
}
