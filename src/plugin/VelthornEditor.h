#pragma once

#include "ControlPanel.h"
#include "PanelHost.h"

#include <juce_audio_processors/juce_audio_processors.h>

class VelthornProcessor;

// The plugin's window: the app's 800 x 600 control panel over the plugin's
// engine. A control moved on the panel becomes host automation (gesture
// begin, value, gesture end); the File menu offers only About, since the
// host owns the audio device.
class VelthornEditor final : public juce::AudioProcessorEditor,
                             public PanelHost
{
public:
    // Message thread.
    explicit VelthornEditor (VelthornProcessor& processor);
    // Message thread. Closes the About window if it is open.
    ~VelthornEditor() override;

    // Message thread.
    void resized() override;

    // Message thread: the panel, for tests that move its controls.
    ControlPanel& getPanel() noexcept { return panel; }

    // Message thread: the About window while it is open, else null.
    juce::Component* getAboutWindow() const noexcept { return aboutWindow.getComponent(); }

    // The File menu's item.
    static constexpr int aboutItem = 1;

    // PanelHost, message thread: what the panel reports.
    void controlGestureBegan (int index) override;
    void controlChanged (int index, float value) override;
    void controlGestureEnded (int index) override;
    void fillFileMenu (juce::PopupMenu& menu) override;
    void fileMenuItemChosen (int itemId) override;

private:
    // Message thread: the host parameter for an engine index, or null.
    juce::AudioProcessorParameter* parameterFor (int engineIndex) const;

    // Message thread: opens the About box without a modal loop, which would
    // block the host's own event handling.
    void showAbout();

    VelthornProcessor& processor;
    ControlPanel panel;
    juce::Component::SafePointer<juce::DialogWindow> aboutWindow;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VelthornEditor)
};
