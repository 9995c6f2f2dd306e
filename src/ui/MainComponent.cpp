#include "MainComponent.h"

#include "SettingsStore.h"

namespace
{
    const char* const deviceStateKey = "audioDeviceState";

    juce::PropertiesFile& userSettings()
    {
        // Opened and read on first use.
        return *SettingsStore::getInstance()->properties.getUserSettings();
    }
}

MainComponent::MainComponent()
{
    setSize (800, 600);

    // A missing, empty or malformed saved state reads as nothing, and the
    // device manager then opens its default devices.
    const std::unique_ptr<juce::XmlElement> savedState (userSettings().getXmlValue (deviceStateKey));

    audioMidiHandler = std::make_unique<AudioMidiHandler>();

    // With no device at all the error text is all we would get; the panel
    // runs silently until a device is chosen in the settings dialog.
    deviceManager.initialise (2, 2, savedState.get(), true, juce::String(), nullptr);

    deviceManager.addAudioCallback (audioMidiHandler.get());
    deviceManager.addMidiInputDeviceCallback (juce::String(), audioMidiHandler.get());
}

MainComponent::~MainComponent()
{
    // The engine leaves both callback lists before it is deleted; removing it
    // as audio callback calls its audioDeviceStopped.
    deviceManager.removeAudioCallback (audioMidiHandler.get());
    deviceManager.removeMidiInputDeviceCallback (juce::String(), audioMidiHandler.get());
    audioMidiHandler = nullptr;
}

void MainComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::white);
}

void MainComponent::resized()
{
}

void MainComponent::showAudioSettings()
{
    juce::AudioDeviceSelectorComponent selector (deviceManager, 0, 2, 0, 2, true, false, false, false);
    selector.setSize (600, 450);

    juce::DialogWindow::showModalDialog ("Audio Settings", &selector, this, juce::Colours::white,
                                         true, false, false);

    // Every change was applied while the dialog was open; this only makes it
    // outlive the run, written now rather than at exit.
    const std::unique_ptr<juce::XmlElement> state (deviceManager.createStateXml());
    if (state != nullptr)
        userSettings().setValue (deviceStateKey, state.get());
    else
        userSettings().setValue (deviceStateKey, juce::var());
    userSettings().saveIfNeeded();
}
