#pragma once

#include <juce_data_structures/juce_data_structures.h>

// A value that keeps what it is given and tells nobody. The framework's own
// value source posts a message to the message loop for every change, even
// when the change came from the one component listening; for a display that
// changes twenty times a second, that is a wasted turn of the loop each time.
// Only for a value no one else shares: a listener attached to it hears
// nothing but referTo().
// Message thread only.
class QuietValueSource final : public juce::Value::ValueSource
{
public:
    explicit QuietValueSource (const juce::var& initialValue) : value (initialValue) {}

    juce::var getValue() const override { return value; }
    void setValue (const juce::var& newValue) override { value = newValue; }

private:
    juce::var value;
};
