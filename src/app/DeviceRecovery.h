#pragma once

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <thread>

// Brings the audio device back after it died under the app (a JACK server
// that stopped, a sound card that went away). While the device manager holds
// a device that is no longer open, it looks every two seconds, off the
// message thread, whether that device's type lists the device's names again,
// and if it does, opens the same setup anew on the message thread: the
// engine then gets a fresh start, with silent delay memory and filters at
// rest. A device the user closed ("<< none >>") is not brought back, and
// nothing is tried while a modal dialog (Audio Settings) is open.
//
// Message thread only, apart from the look-up it runs on its own thread.
class DeviceRecovery final : private juce::Timer
{
public:
    static constexpr int checkIntervalMs = 2000;

    // Message thread: starts watching; the manager must outlive this object.
    explicit DeviceRecovery (juce::AudioDeviceManager& deviceManager);
    // Message thread: stops watching and waits for a look-up in progress.
    ~DeviceRecovery() override;

private:
    void timerCallback() override;
    void startLookUp();
    void reopen();
    // Look-up thread.
    bool isListed (const juce::String& name, const juce::AudioDeviceManager::AudioDeviceSetup& setup);

    juce::AudioDeviceManager& manager;

    // What the look-up is asked for, copied before it starts.
    juce::String typeName;
    juce::AudioDeviceManager::AudioDeviceSetup wantedSetup;

    // Used by the look-up thread only (and deleted after it ended).
    juce::OwnedArray<juce::AudioIODeviceType> lookUpTypes;

    std::thread lookUp;
    std::atomic<bool> lookUpDone { false };
    std::atomic<bool> deviceListedAgain { false };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DeviceRecovery)
};
