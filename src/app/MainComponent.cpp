#include "MainComponent.h"

#include "AboutComponent.h"
#include "SettingsStore.h"

namespace
{
    const char* const deviceStateKey = "audioDeviceState";

    // Asked of every device opened: the engine sums its inputs and feeds
    // every output, two of each at most.
    constexpr int inputChannelsNeeded = 2;
    constexpr int outputChannelsNeeded = 2;

    enum MenuItem
    {
        audioSettingsItem = 1,
        aboutItem = 2,
        quitItem = 3
    };

    juce::PropertiesFile& userSettings()
    {
        // Opened and read on first use.
        return SettingsStore::getInstance()->userSettings();
    }

    // Whether the settings file is there but its bytes could not be read (no
    // permission, a folder in its place, a disk error). Such a file may hold
    // a choice we never saw, so it is never written over. One that was read
    // but is not a settings file holds nothing usable and is replaced.
    bool settingsFileIsUnreadable (juce::PropertiesFile& settings)
    {
        if (settings.isValidFile())
            return false;

        const auto file = settings.getFile();
        if (! file.exists())
            return false;

        if (file.isDirectory())
            return true;

        juce::FileInputStream in (file);
        return in.failedToOpen();
    }
}

MainComponent::MainComponent (int oversampling)
{
    // The panel shows the engine's values, so the engine comes first; neither
    // does anything until the device manager starts calling the engine.
    audioMidiHandler = std::make_unique<AudioMidiHandler>();
    audioMidiHandler->setOversampling (oversampling);
    controlPanel = std::make_unique<ControlPanel> (*audioMidiHandler, *this);
    addAndMakeVisible (*controlPanel);

    setSize (800, 600);

    // A missing, empty or malformed saved state reads as nothing, and the
    // device manager then opens its default devices.
    std::unique_ptr<juce::XmlElement> savedState (userSettings().getXmlValue (deviceStateKey));

    // With no device at all the error text is all we would get: the panel
    // runs silently until a device is chosen in the settings dialog.
    deviceManager.initialise (inputChannelsNeeded, outputChannelsNeeded, savedState.get(), true, juce::String(), nullptr);
    savedState = nullptr;

    deviceCallback = std::make_unique<EngineDeviceCallback> (*audioMidiHandler);
    engineCallback = std::make_unique<CountingAudioCallback> (*deviceCallback);
    deviceManager.addAudioCallback (engineCallback.get());
    deviceManager.addMidiInputDeviceCallback (juce::String(), deviceCallback.get());

    deviceRecovery = std::make_unique<DeviceRecovery> (deviceManager, *engineCallback, inputChannelsNeeded, outputChannelsNeeded);
}

MainComponent::~MainComponent()
{
    // The engine leaves both callback lists before it is deleted; removing it
    // as audio callback releases it. The panel, which reads the engine, goes
    // before it. Nothing reopens a device from here on.
    deviceRecovery = nullptr;
    deviceManager.removeAudioCallback (engineCallback.get());
    deviceManager.removeMidiInputDeviceCallback (juce::String(), deviceCallback.get());
    controlPanel = nullptr;
    engineCallback = nullptr;
    deviceCallback = nullptr;
    audioMidiHandler = nullptr;
}

void MainComponent::resized()
{
    controlPanel->setBounds (getLocalBounds());
}

void MainComponent::controlGestureBegan (int) {}

void MainComponent::controlChanged (int index, float value)
{
    audioMidiHandler->setParameter (index, value);
}

void MainComponent::controlGestureEnded (int) {}

void MainComponent::fillFileMenu (juce::PopupMenu& menu)
{
    menu.addItem (audioSettingsItem, "Audio Settings");
    menu.addItem (aboutItem, "About");
    menu.addSeparator();
    menu.addItem (quitItem, "Quit");
}

void MainComponent::fileMenuItemChosen (int itemId)
{
    switch (itemId)
    {
        case audioSettingsItem: showAudioSettings(); break;
        case aboutItem:         showAboutDialog (*this); break;
        case quitItem:          juce::JUCEApplication::quit(); break;
        default:                break;
    }
}

void MainComponent::showAudioSettings()
{
    juce::AudioDeviceSelectorComponent selector (deviceManager, 0, 2, 0, 2, true, false, false, false);
    selector.setSize (600, 450);

    // The dialog keeps its white background, so the selector gets the
    // framework's light colours: with the default dark scheme its labels
    // are white, and vanish on white.
    juce::LookAndFeel_V4 lightLook (juce::LookAndFeel_V4::getLightColourScheme());
    selector.setLookAndFeel (&lightLook);

    // The File menu has just closed over the panel. Without a window manager
    // nothing repaints what it covered before the dialog's modal loop takes
    // over, so the panel paints that now.
    repaint();
    if (auto* const peer = getPeer())
        peer->performAnyPendingRepaintsNow();

    juce::DialogWindow::showModalDialog ("Audio Settings", &selector, this, juce::Colours::white,
                                         true, false, false);
    selector.setLookAndFeel (nullptr);

    // A settings file that exists but could not be read (no permission, a
    // disk error) holds a choice we never saw: writing ours would destroy it.
    if (settingsFileIsUnreadable (userSettings()))
    {
        DBG ("the settings file could not be read; the device setup is not saved");
        return;
    }

    // Every change was applied while the dialog was open; this only makes it
    // outlive the run, written now rather than at exit.
    const std::unique_ptr<juce::XmlElement> state (deviceManager.createStateXml());
    if (state != nullptr)
        userSettings().setValue (deviceStateKey, state.get());
    else
        userSettings().setValue (deviceStateKey, juce::var());
    userSettings().saveIfNeeded();
}
