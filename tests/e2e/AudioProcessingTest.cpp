#include "AppAudioCheck.h"
#include "AudioMidiHandler.h"
#include "E2eTest.h"
#include "JackClientNamesLock.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace
{
    constexpr double signalSeconds = 3.0;

    class AudioProcessingTest : public e2e::E2eTest
    {
    };

    TEST_F (AudioProcessingTest, FirstStartOpensJackAndOutputsWhatTheEngineComputes)
    {
        ASSERT_FALSE (std::filesystem::exists (e2e::VelthornApp::commonSettingsFile()))
            << "this machine has an all-users settings file, which every start reads as a fallback; "
               "a first start cannot be tested here";

        auto& jack = startJack();
        auto& app = launchApp();

        ASSERT_TRUE (app.waitForJackDevice (jack));
        app.waitForMainWindow();

        EXPECT_TRUE (e2e::appOutputMatchesEngine (jack, signalSeconds));
        EXPECT_TRUE (app.process().isRunning()) << app.process().report();
        EXPECT_FALSE (std::filesystem::exists (e2e::VelthornApp::settingsFileIn (home())))
            << "nothing was changed, so nothing should have been saved";
    }

    // Velthorn --oversample 8: the chain at eight times JACK's rate, sound
    // for sound what the engine computes at that factor offline.
    TEST_F (AudioProcessingTest, OversampledFromTheCommandLineOutputsWhatTheEngineComputesAtThatFactor)
    {
        auto& jack = startJack();
        auto& app = launchApp (e2e::velthornBinary(), {}, { "--oversample", "8" });

        ASSERT_TRUE (app.waitForJackDevice (jack));
        app.waitForMainWindow();

        EXPECT_TRUE (e2e::appOutputMatchesEngine (jack, signalSeconds, [] (AudioMidiHandler& engine)
        {
            engine.setOversampling (8);
        }));
        EXPECT_TRUE (app.process().isRunning()) << app.process().report();
    }

    // A settings file the app cannot use must not keep it from opening the
    // default device: every case below ends with JACK playing the engine.
    struct UnusableSettings
    {
        std::string name;
        std::string content;
    };

    // Named in test output by its name; the content may be binary.
    void PrintTo (const UnusableSettings& settings, std::ostream* out)
    {
        *out << settings.name;
    }

    std::string binaryGarbage()
    {
        std::string bytes;
        uint32_t state = 0x9e3779b9u;

        for (int i = 0; i < 4096; ++i)
        {
            state = state * 1664525u + 1013904223u;
            bytes.push_back (static_cast<char> (state >> 24));
        }

        return bytes;
    }

    std::string propertiesWithDeviceState (const std::string& deviceSetup)
    {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PROPERTIES>\n  <VALUE name=\"audioDeviceState\">\n    "
               + deviceSetup + "\n  </VALUE>\n</PROPERTIES>\n";
    }

    std::vector<UnusableSettings> unusableSettings()
    {
        return {
            { "RandomBytes", binaryGarbage() },
            // The framework's binary formats start with these magic numbers;
            // what follows is not what they promise.
            { "BinaryHeaderThenGarbage", std::string ("PROP", 4) + "\xff\xff\xff\x7f" + binaryGarbage() },
            { "CompressedHeaderThenGarbage", std::string ("CROP", 4) + binaryGarbage() },
            { "TruncatedXml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PROPERTIES>\n  <VALUE name=\"audioDeviceState\">\n    <DEVICESETUP deviceType=\"JA" },
            { "DeviceStateNotXml", "<?xml version=\"1.0\"?>\n<PROPERTIES><VALUE name=\"audioDeviceState\" val=\"not a device setup &lt;&lt;\"/></PROPERTIES>\n" },
            { "DeviceStateWithOtherRoot", propertiesWithDeviceState ("<SOMETHINGELSE deviceType=\"ALSA\"/>") },
            { "MissingAlsaDevice", propertiesWithDeviceState (
                  "<DEVICESETUP deviceType=\"ALSA\" audioOutputDeviceName=\"Velthorn Test Card That Is Not There\" "
                  "audioInputDeviceName=\"Velthorn Test Card That Is Not There\" audioDeviceRate=\"44100.0\" "
                  "audioDeviceBufferSize=\"512\"/>") },
            { "MissingJackClient", propertiesWithDeviceState (
                  "<DEVICESETUP deviceType=\"JACK\" audioOutputDeviceName=\"no-such-jack-client\" "
                  "audioInputDeviceName=\"no-such-jack-client\" audioDeviceRate=\"48000.0\" "
                  "audioDeviceBufferSize=\"256\"/>") },
            { "UnknownDeviceType", propertiesWithDeviceState (
                  "<DEVICESETUP deviceType=\"Velthorn Test Driver\" audioOutputDeviceName=\"Nothing\" "
                  "audioInputDeviceName=\"Nothing\"/>") },
        };
    }

    class UnusableSettingsTest : public e2e::E2eTest,
                                 public ::testing::WithParamInterface<UnusableSettings>
    {
    };

    TEST_P (UnusableSettingsTest, AppStillOpensJackAndOutputsWhatTheEngineComputes)
    {
        writeSettingsFile (GetParam().content);

        // The app keeps looking for a saved JACK device that is missing, and
        // JACK's device scan opens a client whose name it cannot choose (see
        // JackClientNamesLock): keep other tests' app start-ups clear of it
        // while the app runs.
        std::unique_ptr<e2e::JackClientNamesLock> lookingForJack;

        if (GetParam().content.find ("deviceType=\"JACK\"") != std::string::npos)
            lookingForJack = std::make_unique<e2e::JackClientNamesLock>();

        auto& jack = startJack();
        auto& app = launchApp();

        ASSERT_TRUE (app.waitForJackDevice (jack));
        app.waitForMainWindow();

        EXPECT_TRUE (e2e::appOutputMatchesEngine (jack, signalSeconds));
        EXPECT_TRUE (app.process().isRunning()) << app.process().report();
    }

    INSTANTIATE_TEST_SUITE_P (SettingsFiles, UnusableSettingsTest, ::testing::ValuesIn (unusableSettings()),
                              [] (const ::testing::TestParamInfo<UnusableSettings>& info) { return info.param.name; });
}
