#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The single fixed-size main window; its content is the main panel. Closing it
// quits the application. Message thread only.
class MainAppWindow final : public juce::DocumentWindow
{
public:
    // oversampling: the factor the engine runs its chain at (see AudioMidiHandler).
    explicit MainAppWindow (int oversampling = 1);
    ~MainAppWindow() override;

    void closeButtonPressed() override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainAppWindow)
};
