#include "E2eTest.h"
#include "Polling.h"

#include <juce_audio_devices/juce_audio_devices.h>
#include <juce_events/juce_events.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <thread>

// The framework's audio path as the app uses it (a device manager on a JACK
// device, on a real JACK server), in this process: the audio thread takes no
// lock of the device manager's, and a callback that is taken out is neither
// running nor called again once the call that took it out returns.
namespace
{
    // Counts its calls, says whether one is in progress, and on request
    // stays in one until let go.
    class HoldingCallback final : public juce::AudioIODeviceCallback
    {
    public:
        std::atomic<long> calls { 0 };
        std::atomic<bool> inside { false };
        std::atomic<bool> holdNextCall { false };
        std::atomic<bool> holding { false };

        void audioDeviceIOCallbackWithContext (const float* const*, int, float* const* outputs, int numOutputs,
                                               int numSamples, const juce::AudioIODeviceCallbackContext&) override
        {
            inside = true;
            ++calls;

            if (holdNextCall.exchange (false))
            {
                holding = true;
                while (holding)
                    std::this_thread::yield();
            }

            for (int i = 0; i < numOutputs; ++i)
                if (outputs[i] != nullptr)
                    juce::FloatVectorOperations::clear (outputs[i], numSamples);

            inside = false;
        }

        void audioDeviceAboutToStart (juce::AudioIODevice*) override {}
        void audioDeviceStopped() override {}

        // Test thread: returns once the audio thread is held in a call.
        bool holdTheAudioThread()
        {
            holdNextCall = true;
            return e2e::pollUntil (e2e::startupTimeout, [this] { return holding.load(); });
        }

        // Any thread.
        void letGo() { holding = false; }
    };

    class DeviceCallbackTest : public e2e::E2eTest
    {
    protected:
        juce::ScopedJuceInitialiser_GUI framework;
        juce::AudioDeviceManager deviceManager;
        HoldingCallback callback;

        // Test thread: the device manager on a JACK device of this test's server, with the callback.
        void openJackDevice()
        {
            ::setenv ("JACK_DEFAULT_SERVER", startJack().name().c_str(), 1);
            deviceManager.setCurrentAudioDeviceType ("JACK", true);
            ASSERT_EQ (deviceManager.initialise (2, 2, nullptr, false), juce::String());
            ASSERT_NE (deviceManager.getCurrentAudioDevice(), nullptr);
            deviceManager.addAudioCallback (&callback);
            ASSERT_TRUE (e2e::pollUntil (e2e::startupTimeout, [this] { return callback.calls > 2; }))
                << "the JACK device never called back";
        }

        ~DeviceCallbackTest() override
        {
            callback.letGo();
            deviceManager.closeAudioDevice();
        }
    };

    TEST_F (DeviceCallbackTest, TheAudioThreadHoldsNoLockOfTheDeviceManagerWhileInTheCallback)
    {
        openJackDevice();
        ASSERT_TRUE (callback.holdTheAudioThread());

        auto& lock = deviceManager.getAudioCallbackLock();
        const bool lockWasFree = lock.tryEnter();
        if (lockWasFree)
            lock.exit();
        callback.letGo();

        EXPECT_TRUE (lockWasFree) << "the audio thread holds the device manager's callback lock";
    }

    // Both ways a callback is taken out while the audio thread is inside it:
    // the manager's list (removeAudioCallback), and the device's own callback
    // pointer (closing the device stops it first).
    struct TakingOut
    {
        const char* name;
        std::function<void (juce::AudioDeviceManager&, juce::AudioIODeviceCallback&)> takeOut;
    };

    class CallbackTakenOutTest : public DeviceCallbackTest,
                                 public ::testing::WithParamInterface<TakingOut>
    {
    };

    TEST_P (CallbackTakenOutTest, WaitsForTheCallInProgressAndNoCallFollows)
    {
        openJackDevice();
        ASSERT_TRUE (callback.holdTheAudioThread());

        // Let the audio thread go only once the test thread is on its way
        // into the call that takes the callback out, so that call meets a
        // callback in progress. If it returned early, `inside` would still
        // be true below (or turn true again).
        std::atomic<bool> takingOut { false };
        std::thread release ([&]
        {
            while (! takingOut)
                std::this_thread::yield();
            // Give the test thread time to reach the wait; the outcome is
            // checked either way, this only makes the wait likely to happen.
            std::this_thread::sleep_for (std::chrono::milliseconds (100));
            callback.letGo();
        });

        takingOut = true;
        GetParam().takeOut (deviceManager, callback);
        const bool wasInside = callback.inside;
        const long callsThen = callback.calls;
        release.join();

        EXPECT_FALSE (wasInside) << "taken out while a call was still in progress";

        // Where the device is still open, a second callback shows it kept
        // running periods meanwhile.
        HoldingCallback other;
        if (deviceManager.getCurrentAudioDevice() != nullptr)
        {
            deviceManager.addAudioCallback (&other);
            ASSERT_TRUE (e2e::pollUntil (e2e::startupTimeout, [&] { return other.calls > 4; }));
            deviceManager.removeAudioCallback (&other);
        }

        EXPECT_EQ (callback.calls.load(), callsThen) << "called again after it was taken out";
    }

    INSTANTIATE_TEST_SUITE_P (Ways, CallbackTakenOutTest,
        ::testing::Values (
            TakingOut { "RemoveAudioCallback", [] (juce::AudioDeviceManager& m, juce::AudioIODeviceCallback& c) { m.removeAudioCallback (&c); } },
            TakingOut { "CloseAudioDevice", [] (juce::AudioDeviceManager& m, juce::AudioIODeviceCallback&) { m.closeAudioDevice(); } }),
        [] (const auto& info) { return std::string (info.param.name); });
}
