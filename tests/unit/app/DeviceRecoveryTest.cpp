#include "AudioMidiHandler.h"
#include "CountingAudioCallback.h"
#include "EngineDeviceCallback.h"
#include "DeviceRecovery.h"
#include "FakeAudioDevice.h"
#include "FakeDeviceManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace
{
    // The device recovery over the framework's device manager, whose only
    // device type is a fake one: the test lists devices, makes them refuse
    // to open, lets them call back or not, and sets the clock. It drives the
    // recovery's checks itself, as its timer would every two seconds.
    class DeviceRecoveryTest : public ::testing::Test
    {
    protected:
        ~DeviceRecoveryTest() override
        {
            // As the app does: nothing reopens a device once the engine goes.
            recovery = nullptr;
            manager.removeAudioCallback (&counting);
            manager.closeAudioDevice();
        }

        // Test thread: lists the devices (the type's default first).
        void list (const juce::StringArray& devices)
        {
            const std::lock_guard<std::mutex> guard (system.lock);
            system.listed = devices;
        }

        // Test thread: starts as the app does, with `chosen` as the saved
        // device, the default standing in if it does not open.
        void startWithSaved (const juce::String& chosen)
        {
            juce::XmlElement saved ("DEVICESETUP");
            saved.setAttribute ("deviceType", "Fake");
            saved.setAttribute ("audioOutputDeviceName", chosen);
            saved.setAttribute ("audioInputDeviceName", chosen);
            manager.initialise (2, 2, &saved, true);
            manager.addAudioCallback (&counting);
            recovery = std::make_unique<DeviceRecovery> (manager, counting, 2, 2, [this] { return nowMs; });
        }

        // Test thread: the device open now, by name.
        juce::String running()
        {
            auto* const device = manager.getCurrentAudioDevice();
            return device != nullptr && device->isOpen() ? device->getName() : juce::String ("(none)");
        }

        // Test thread: one block from the device that is open.
        void deliverBlock()
        {
            if (auto* const device = dynamic_cast<FakeAudioDevice*> (manager.getCurrentAudioDevice()))
                device->deliverBlock();
        }

        // Test thread: a check, and if it started a look-up, the check after
        // that look-up has ended, which acts on its answer.
        void checkAndFollowUp()
        {
            recovery->check();

            // The look-up is a plain thread that ends by itself; until then
            // the check would only see it still running.
            while (recovery->isLookingUp())
                std::this_thread::yield();

            recovery->check();
        }

        // Test thread: scans of the fake type so far, the look-ups' included.
        int scans()
        {
            const std::lock_guard<std::mutex> guard (system.lock);
            return system.scans;
        }

        FakeAudioSystem system;
        double nowMs = 1000.0;
        AudioMidiHandler engine;
        EngineDeviceCallback deviceCallback { engine };
        CountingAudioCallback counting { deviceCallback };
        FakeDeviceManager manager { system };
        std::unique_ptr<DeviceRecovery> recovery;
    };

    TEST_F (DeviceRecoveryTest, ASavedDeviceThatAppearsLaterIsOpenedInPlaceOfTheDefault)
    {
        list ({ "Built-in" });
        startWithSaved ("Interface");
        ASSERT_EQ (running(), "Built-in");

        list ({ "Built-in", "Interface" });
        deliverBlock();
        nowMs += DeviceRecovery::checkIntervalMs;
        checkAndFollowUp();

        EXPECT_EQ (running(), "Interface");
    }

    TEST_F (DeviceRecoveryTest, NothingIsTriedWhileAudioSettingsIsOpen)
    {
        list ({ "Built-in" });
        startWithSaved ("Interface");
        ASSERT_EQ (running(), "Built-in");
        list ({ "Built-in", "Interface" });

        // Audio Settings is a modal dialog.
        juce::Component audioSettings;
        audioSettings.enterModalState (false);
        ASSERT_NE (juce::Component::getCurrentlyModalComponent(), nullptr);
        const auto scansBefore = scans();

        for (int tick = 0; tick < 5; ++tick)
        {
            deliverBlock();
            nowMs += DeviceRecovery::checkIntervalMs;
            checkAndFollowUp();

            EXPECT_EQ (running(), "Built-in") << "tick " << tick;
        }

        EXPECT_EQ (scans(), scansBefore) << "devices were looked for while the dialog was open";
        EXPECT_EQ (system.countOf (system.openAttempts, "Interface"), 0);

        // Closed, the dialog held nothing back any more.
        audioSettings.exitModalState (0);
        ASSERT_EQ (juce::Component::getCurrentlyModalComponent(), nullptr);
        nowMs += DeviceRecovery::checkIntervalMs;
        checkAndFollowUp();
        EXPECT_EQ (running(), "Interface");
    }

    TEST_F (DeviceRecoveryTest, ADeviceThatClosedUnderTheAppIsOpenedAgain)
    {
        list ({ "Built-in" });
        startWithSaved ("Built-in");
        ASSERT_EQ (running(), "Built-in");

        manager.closeAudioDevice();
        ASSERT_EQ (running(), "(none)");
        nowMs += DeviceRecovery::checkIntervalMs;
        checkAndFollowUp();

        EXPECT_EQ (running(), "Built-in");
        EXPECT_EQ (system.countOf (system.opens, "Built-in"), 2);
    }

    TEST_F (DeviceRecoveryTest, ADeviceSwitchedOffStaysOff)
    {
        list ({ "Built-in" });
        startWithSaved ("Built-in");
        ASSERT_EQ (running(), "Built-in");

        // "<< none >>" chosen in Audio Settings for output and input.
        auto setup = manager.getAudioDeviceSetup();
        setup.outputDeviceName = {};
        setup.inputDeviceName = {};
        ASSERT_TRUE (manager.setAudioDeviceSetup (setup, true).isEmpty());
        ASSERT_EQ (running(), "(none)");

        for (int tick = 0; tick < 5; ++tick)
        {
            nowMs += DeviceRecovery::checkIntervalMs;
            checkAndFollowUp();

            EXPECT_EQ (running(), "(none)") << "tick " << tick;
        }

        EXPECT_EQ (system.countOf (system.opens, "Built-in"), 1);
    }

    TEST_F (DeviceRecoveryTest, AListedDeviceThatWillNotOpenDoesNotInterruptTheOnePlayingInItsPlace)
    {
        list ({ "Built-in", "Interface" });
        {
            const std::lock_guard<std::mutex> guard (system.lock);
            system.refusingToOpen = { "Interface" };
        }
        startWithSaved ("Interface");
        ASSERT_EQ (running(), "Built-in");
        ASSERT_TRUE (manager.getCurrentAudioDevice()->isPlaying());

        const auto opensBefore = system.countOf (system.opens, "Built-in");
        const auto stopsBefore = system.countOf (system.stops, "Built-in");
        const auto attemptsBefore = system.countOf (system.openAttempts, "Interface");

        for (int tick = 0; tick < 5; ++tick)
        {
            deliverBlock();
            nowMs += DeviceRecovery::checkIntervalMs;
            checkAndFollowUp();

            EXPECT_EQ (running(), "Built-in") << "tick " << tick;
        }

        EXPECT_EQ (system.countOf (system.opens, "Built-in"), opensBefore) << "the playing device was opened anew";
        EXPECT_EQ (system.countOf (system.stops, "Built-in"), stopsBefore) << "the playing device was stopped";
        EXPECT_GT (system.countOf (system.openAttempts, "Interface"), attemptsBefore)
            << "the chosen device was never tried, so the test shows nothing";

        // Once it opens, it takes over.
        {
            const std::lock_guard<std::mutex> guard (system.lock);
            system.refusingToOpen.clear();
        }
        deliverBlock();
        nowMs += DeviceRecovery::checkIntervalMs;
        checkAndFollowUp();
        EXPECT_EQ (running(), "Interface");
    }

    // A device that is open and playing but has not called back for
    // stalledPeriods of its periods, and at least 0.9 of a check interval
    // (1.8 s), has stopped, and is opened anew.
    struct StallCase
    {
        const char* name;
        int bufferSize;
        double sampleRate;
        double thresholdMs;
    };

    void PrintTo (const StallCase& c, std::ostream* out)
    {
        *out << c.name;
    }

    class StallThresholdTest : public DeviceRecoveryTest,
                               public ::testing::WithParamInterface<StallCase>
    {
    };

    TEST_P (StallThresholdTest, ADeviceSilentForTheThresholdIsOpenedAgainAndNotBefore)
    {
        {
            const std::lock_guard<std::mutex> guard (system.lock);
            system.bufferSize = GetParam().bufferSize;
            system.sampleRate = GetParam().sampleRate;
        }
        list ({ "Built-in" });
        startWithSaved ("Built-in");
        ASSERT_EQ (running(), "Built-in");
        ASSERT_EQ (manager.getCurrentAudioDevice()->getCurrentBufferSizeSamples(), GetParam().bufferSize);

        // Calling back, it runs however far apart the checks are.
        for (int tick = 0; tick < 3; ++tick)
        {
            deliverBlock();
            nowMs += 10 * GetParam().thresholdMs;
            checkAndFollowUp();
        }

        ASSERT_EQ (system.countOf (system.opens, "Built-in"), 1) << "a device that calls back was opened anew";

        // The last block, seen by a check at that moment.
        deliverBlock();
        recovery->check();
        const auto lastBlockMs = nowMs;

        nowMs = lastBlockMs + GetParam().thresholdMs - 1.0;
        checkAndFollowUp();
        EXPECT_EQ (system.countOf (system.opens, "Built-in"), 1) << "opened anew before the threshold";

        nowMs = lastBlockMs + GetParam().thresholdMs;
        checkAndFollowUp();
        EXPECT_EQ (system.countOf (system.opens, "Built-in"), 2) << "not opened anew at the threshold";
        EXPECT_EQ (running(), "Built-in");
    }

    INSTANTIATE_TEST_SUITE_P (Periods, StallThresholdTest, ::testing::Values (
        // 4 periods of 5.3 ms are far less than 1.8 s.
        StallCase { "Block256At48k", 256, 48000.0, 1800.0 },
        // 4 periods of a second.
        StallCase { "Block48000At48k", 48000, 48000.0, 4000.0 },
        StallCase { "Block96000At48k", 96000, 48000.0, 8000.0 }),
        [] (const auto& info) { return std::string (info.param.name); });
}
