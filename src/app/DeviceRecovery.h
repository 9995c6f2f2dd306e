#pragma once

#include "CountingAudioCallback.h"

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <thread>

// Keeps the chosen audio device running. Every two seconds it looks, on the
// message thread, whether
//  - the device is closed (a JACK server that stopped under the JACK device),
//  - the device claims to be open but has not called back for a few of its
//    periods (ALSA's jack plugin after its JACK server died, a sound card that
//    went away without a word), or
//  - the chosen device is not the one running (the saved device was missing
//    when the app started: JACK started after the app, a USB interface
//    plugged in later).
// Then it asks, off the message thread, whether the chosen device's type lists
// that device again, and if it does, opens it anew on the message thread: the
// engine then gets a fresh start, with silent delay memory and filters at rest.
//
// The chosen device is the device manager's explicit setup (the saved one, or
// the one picked in Audio Settings), or without one the device that ran. A
// choice of no device ("<< none >>") is respected, and nothing is tried while
// a modal dialog (Audio Settings) is open. While another device plays in its
// place, the look-up also opens the chosen device for a moment and closes it
// again: a device that is listed but does not open (ALSA's jack device, which
// its configuration always lists, while no JACK server runs) must not
// interrupt the one that plays every two seconds.
//
// Message thread only, apart from the look-up it runs on its own thread.
class DeviceRecovery final : private juce::Timer
{
public:
    static constexpr int checkIntervalMs = 2000;
    // A device that has not called back for this many of its periods, and
    // for at least a whole check interval, has stopped.
    static constexpr int stalledPeriods = 4;

    // Milliseconds on a steady clock, as juce::Time::getMillisecondCounterHiRes.
    using Clock = std::function<double()>;

    // Message thread: starts watching. The manager and `callbacks` (the
    // audio callback registered with it) must outlive this object. A device
    // is opened again as at start, asking for `inputsNeeded` and
    // `outputsNeeded` channels. `clock` tells how long a device has been
    // silent.
    DeviceRecovery (juce::AudioDeviceManager& deviceManager, const CountingAudioCallback& callbacks,
                    int inputsNeeded, int outputsNeeded,
                    Clock clock = [] { return juce::Time::getMillisecondCounterHiRes(); });
    // Message thread: stops watching and waits for a look-up in progress.
    ~DeviceRecovery() override;

    // Message thread: one look, as the timer takes every checkIntervalMs:
    // acts on the answer of a look-up that has ended, or starts one if the
    // chosen device does not run.
    void check();

    // Message thread: whether a look-up is still running; the first check
    // after it has ended acts on its answer.
    bool isLookingUp() const;

private:
    // A device as the device manager names it.
    struct Choice
    {
        juce::String type;
        juce::String outputName;
        juce::String inputName;

        bool isNone() const { return outputName.isEmpty() && inputName.isEmpty(); }
        bool operator== (const Choice& other) const
        {
            return type == other.type && outputName == other.outputName && inputName == other.inputName;
        }
    };

    // The device that ran last, with its setup: what is kept when nothing
    // was chosen explicitly (no settings file, the default device).
    struct Run
    {
        Choice device;
        juce::AudioDeviceManager::AudioDeviceSetup setup;
    };

    void timerCallback() override;
    Choice chosenDevice() const;
    void noteCallbacks();
    bool isRunning (const Choice& choice) const;
    bool anotherDevicePlays (const Choice& choice) const;
    void startLookUp (const Choice& choice);
    void lookUpEnded();
    void reopen (const Choice& choice);
    // Look-up thread.
    bool isAvailable (const Choice& choice, bool tryOpening);

    juce::AudioDeviceManager& manager;
    const CountingAudioCallback& callbacks;
    const int inputsNeeded;
    const int outputsNeeded;
    const Clock clock;

    std::optional<Run> lastRun;

    // When the current device was last seen calling back.
    const juce::AudioIODevice* watchedDevice = nullptr;
    uint32_t lastCount = 0;
    double lastProgressMs = 0.0;

    // What the look-up is asked for, copied before it starts.
    Choice wanted;

    // Used by the look-up thread only (and deleted after it ended).
    juce::OwnedArray<juce::AudioIODeviceType> lookUpTypes;

    std::thread lookUp;
    std::atomic<bool> lookUpDone { false };
    std::atomic<bool> deviceAvailable { false };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DeviceRecovery)
};
