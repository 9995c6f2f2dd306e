#pragma once

#include <juce_audio_utils/juce_audio_utils.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include "AudioMidiHandler.h"
#include "ControlPanel.h"
#include "CountingAudioCallback.h"
#include "DeviceRecovery.h"
#include "EngineDeviceCallback.h"
#include "PanelHost.h"

// The main window's content and the audio device host. It owns the device
// manager and the engine, opens the saved device setup at start-up, shows the
// control panel over the whole window and sends every control move straight
// to the engine. Message thread only.
class MainComponent final : public juce::Component,
                            public PanelHost
{
public:
    // oversampling: the factor the engine runs its chain at (1, 2, 4 or 8),
    // fixed for the run; set before the first device starts.
    explicit MainComponent (int oversampling = 1);
    ~MainComponent() override;

    void resized() override;

    // PanelHost: the app has no automation to record, so only the value counts.
    void controlGestureBegan (int index) override;
    void controlChanged (int index, float value) override;
    void controlGestureEnded (int index) override;
    void fillFileMenu (juce::PopupMenu& menu) override;
    void fileMenuItemChosen (int itemId) override;

    // Runs the modal "Audio Settings" dialog, then saves the resulting device
    // setup at once rather than at exit - unless the settings file exists but
    // could not be read, which is then left as it is.
    void showAudioSettings();

    // Declared first so it is built before, and destroyed after, everything
    // else of the panel.
    juce::AudioDeviceManager deviceManager;
    std::unique_ptr<AudioMidiHandler> audioMidiHandler;
    std::unique_ptr<ControlPanel> controlPanel;

private:
    // The engine as a device callback and MIDI input callback.
    std::unique_ptr<EngineDeviceCallback> deviceCallback;
    // The audio callback the device manager calls: the engine's, with the
    // callbacks counted for the device recovery.
    std::unique_ptr<CountingAudioCallback> engineCallback;
    // Reopens the device when it comes back after dying under the app, and
    // the saved device when it appears after the app started.
    std::unique_ptr<DeviceRecovery> deviceRecovery;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainComponent)
};
