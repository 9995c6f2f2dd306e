#include "WindowsAppTestBase.h"

#include "AppRecording.h"
#include "InsertedSilence.h"
#include "MainPanelLayout.h"
#include "PanelPictures.h"
#include "Polling.h"
#include "PopupMenuWindow.h"
#include "SampleComparison.h"
#include "Screenshot.h"
#include "SettingsFile.h"
#include "TestSignal.h"
#include "ToolRun.h"
#include "VelthornApp.h"

#include <juce_audio_formats/juce_audio_formats.h>

#if ! defined (VELTHORN_CLOSE_HIDDEN)
 #error "the build must name the program that closes hidden windows"
#endif

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <functional>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#if ! defined (VELTHORN_RENDER_PATH) || ! defined (VELTHORN_ICON_DIR)
 #error "the build must name velthorn-render and the icon pictures"
#endif

namespace
{
    using windowstest::WindowsVelthornApp;
    namespace panel = e2e::panel;

    using Row = e2e::PopupMenuWindow::Row;

    // The device type box of the framework's device selector, in the
    // Audio Settings dialog's content: the first row, 15 pixels down, from
    // 35 % of the width over 60 % of it, 24 pixels high.
    constexpr e2e::Point deviceTypeBox { 390, 27 };
    // Its output device box, the first row of the device's own settings
    // under it.
    constexpr e2e::Point outputDeviceBox { 360, 70 };
    // The inside of the device type box, where the type's name shows.
    constexpr e2e::Rectangle deviceTypeText { 214, 18, 320, 18 };
    constexpr int audioSettingsWidth = 600;

    class WindowsAppTest : public windowstest::WindowsAppTestBase
    {
    protected:
        // Test thread: File -> Audio Settings, as a person at the keyboard
        // and mouse chooses it; returns the dialog once it shows.
        e2e::AppWindow openAudioSettings (const e2e::AppWindow& window)
        {
            const auto pid = windowsApp().process().pid();
            window.clickContent (panel::fileButton.centre());
            e2e::PopupMenuWindow::waitFor (window.xdotool(), pid, { Row::item, Row::item, Row::separator, Row::item },
                                           windowstest::wineStartupTimeout)
                .choose (0, window.id(), windowstest::wineStartupTimeout);

            const auto id = window.xdotool().waitForVisibleWindow (pid, "^Audio Settings$", windowstest::wineStartupTimeout);

            if (! id.has_value())
                throw std::runtime_error ("no Audio Settings dialog appeared\n" + windowsApp().process().report());

            const auto dialog = dialogAsItIs (window, *id);

            // Its controls take clicks once it shows them.
            if (! dialog.waitUntilDrawn (windowstest::wineStartupTimeout))
                throw std::runtime_error ("the Audio Settings dialog was mapped but not painted\n" + windowsApp().process().report());

            return dialog;
        }

        // Test thread: the dialog at its present size, which follows what
        // the chosen device type has to show.
        static e2e::AppWindow dialogAsItIs (const e2e::AppWindow& window, const std::string& dialogId)
        {
            // Framed and titled as the main window is.
            const auto main = window.layout();
            const auto g = window.xdotool().geometry (dialogId);
            return { window.xdotool(), dialogId, audioSettingsWidth, g.height - 2 * main.border - main.titleBarHeight };
        }

        // Test thread: takes pictures of the dialog's content (saved as the
        // artefact `name`) until `shows` accepts one or the deadline passes,
        // and returns the last. The dialog's size is asked afresh for each,
        // as the selector resizes it when it rebuilds.
        e2e::Screenshot waitForDialog (const e2e::AppWindow& window, const std::string& dialogId, const std::string& name,
                                       const std::function<bool (const e2e::Screenshot&)>& shows)
        {
            std::optional<e2e::Screenshot> shot;

            e2e::pollUntil (windowstest::wineStartupTimeout, [&]
            {
                try
                {
                    shot = dialogAsItIs (window, dialogId).screenshotOfContent (artefact (name));
                }
                catch (const std::out_of_range&)
                {
                    return false;   // resized between the size and the picture; look again
                }

                return shows (*shot);
            });

            if (! shot.has_value())
                shot = dialogAsItIs (window, dialogId).screenshotOfContent (artefact (name));

            return *shot;
        }

        // Test thread: closes the dialog with its close button and waits
        // until it has gone.
        ::testing::AssertionResult closeDialog (const e2e::AppWindow& dialog)
        {
            dialog.clickCloseButton();

            if (dialog.xdotool().waitUntilWindowHidden (dialog.id(), windowstest::wineStartupTimeout))
                return ::testing::AssertionSuccess();

            return ::testing::AssertionFailure() << "the Audio Settings dialog was still open after its close button was clicked";
        }

        // Test thread: reads the settings file until `done` accepts it, and
        // returns the last reading.
        e2e::SavedDeviceState waitForSavedState (const std::function<bool (const e2e::SavedDeviceState&)>& done)
        {
            const auto file = WindowsVelthornApp::settingsFileIn (winePrefix());
            e2e::SavedDeviceState state;

            e2e::pollUntil (windowstest::wineStartupTimeout, [&]
            {
                state = e2e::SavedDeviceState::read (file);
                return done (state);
            });

            return state;
        }
    };

    std::string deviceTypeIn (const e2e::SavedDeviceState& state)
    {
        if (! state.deviceSetup.has_value())
            return "(no device setup)";

        const auto found = state.deviceSetup->find ("deviceType");
        return found != state.deviceSetup->end() ? found->second : "(no deviceType)";
    }

    // The pictures are drawn by the same code of the framework on both
    // systems; a few levels of difference are allowed for blending, while a
    // wrong frame or a missing picture is tens of levels off.
    constexpr int colourTolerance = 4;

    // Where the framework draws text (in the system's fonts, which differ).
    bool showsText (e2e::Point p)
    {
        return panel::fileButton.contains (p) || panel::creditLink.contains (p);
    }

    ::testing::AssertionResult samePanelOutsideText (const e2e::Screenshot& expected, const e2e::Screenshot& actual)
    {
        if (expected.width() != actual.width() || expected.height() != actual.height())
            return ::testing::AssertionFailure() << "the panels differ in size: " << actual.width() << " x " << actual.height()
                                                 << " against " << expected.width() << " x " << expected.height();

        int differing = 0;
        std::string first;

        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x)
            {
                if (showsText ({ x, y }))
                    continue;

                const auto e = expected.pixel (x, y), a = actual.pixel (x, y);

                if (std::abs (e.red - a.red) > colourTolerance || std::abs (e.green - a.green) > colourTolerance
                    || std::abs (e.blue - a.blue) > colourTolerance)
                {
                    if (differing++ == 0)
                        first = "(" + std::to_string (x) + ", " + std::to_string (y) + "): " + std::to_string (a.red) + ","
                                + std::to_string (a.green) + "," + std::to_string (a.blue) + " against " + std::to_string (e.red)
                                + "," + std::to_string (e.green) + "," + std::to_string (e.blue);
                }
            }

        if (differing == 0)
            return ::testing::AssertionSuccess();

        return ::testing::AssertionFailure() << differing << " pixels outside the text differ by more than " << colourTolerance
                                             << " levels, the first at " << first << "; see " << actual.file() << " and "
                                             << expected.file();
    }

    // One picture of the window's _NET_WM_ICON: ARGB words, rows top to bottom.
    struct IconPicture
    {
        int width = 0, height = 0;
        std::vector<uint32_t> argb;
    };

    std::vector<IconPicture> windowIcons (const std::string& display, const std::string& windowId,
                                          const std::filesystem::path& logs)
    {
        const auto result = e2e::runTool ({ "xprop", "-id", windowId, "-notype", "32c", "_NET_WM_ICON" },
                                          e2e::Environment::minimal().set ("DISPLAY", display), logs, e2e::toolTimeout);

        if (! result.succeeded())
            throw std::runtime_error ("xprop failed: " + result.describe());

        const auto equals = result.standardOutput.find ('=');

        if (equals == std::string::npos)
            return {};

        std::vector<uint32_t> words;
        std::stringstream numbers (result.standardOutput.substr (equals + 1));
        std::string number;

        while (std::getline (numbers, number, ','))
            words.push_back (static_cast<uint32_t> (std::stoul (number)));

        std::vector<IconPicture> icons;

        for (size_t i = 0; i + 2 <= words.size();)
        {
            IconPicture icon;
            icon.width = static_cast<int> (words[i]);
            icon.height = static_cast<int> (words[i + 1]);
            const auto count = static_cast<size_t> (icon.width) * static_cast<size_t> (icon.height);

            if (i + 2 + count > words.size())
                throw std::runtime_error ("_NET_WM_ICON is cut short: " + result.standardOutput);

            icon.argb.assign (words.begin() + static_cast<std::ptrdiff_t> (i + 2), words.begin() + static_cast<std::ptrdiff_t> (i + 2 + count));
            icons.push_back (icon);
            i += 2 + count;
        }

        return icons;
    }

    // The icon picture of that size from src/assets/icons, as 8-bit RGBA.
    std::vector<uint8_t> iconPictureRgba (int size, const std::filesystem::path& logs)
    {
        const auto png = std::filesystem::path (VELTHORN_ICON_DIR) / ("velthorn-" + std::to_string (size) + ".png");
        const auto raw = logs / ("velthorn-" + std::to_string (size) + ".rgba");
        const auto convert = e2e::runTool ({ "convert", png.string(), "-depth", "8", "rgba:" + raw.string() },
                                           e2e::Environment::minimal(), logs, e2e::toolTimeout);

        if (! convert.succeeded())
            throw std::runtime_error ("cannot decode " + png.string() + ": " + convert.describe());

        std::ifstream in (raw, std::ios::binary);
        return { std::istreambuf_iterator<char> (in), std::istreambuf_iterator<char>() };
    }

    ::testing::AssertionResult isTheProgramsIcon (const IconPicture& icon, const std::filesystem::path& logs)
    {
        const int sizes[] { 16, 32, 48, 128 };

        if (icon.width != icon.height || std::find (std::begin (sizes), std::end (sizes), icon.width) == std::end (sizes))
            return ::testing::AssertionFailure() << "a " << icon.width << " x " << icon.height
                                                 << " picture, which is none of the icon's sizes";

        const auto expected = iconPictureRgba (icon.width, logs);

        if (expected.size() != icon.argb.size() * 4)
            return ::testing::AssertionFailure() << "the " << icon.width << " pixel picture did not decode";

        for (size_t i = 0; i < icon.argb.size(); ++i)
        {
            const auto* e = expected.data() + i * 4;
            const auto a = icon.argb[i];
            const int alpha = static_cast<int> (a >> 24), red = static_cast<int> ((a >> 16) & 0xff),
                      green = static_cast<int> ((a >> 8) & 0xff), blue = static_cast<int> (a & 0xff);

            // Colour is meaningless where a pixel is transparent.
            const bool same = alpha == e[3] && (alpha == 0 || (red == e[0] && green == e[1] && blue == e[2]));

            if (! same)
                return ::testing::AssertionFailure()
                       << "the " << icon.width << " pixel picture differs from velthorn-" << icon.width << ".png at pixel ("
                       << i % static_cast<size_t> (icon.width) << ", " << i / static_cast<size_t> (icon.width) << "): ARGB "
                       << alpha << "," << red << "," << green << "," << blue << " against " << int (e[3]) << "," << int (e[0])
                       << "," << int (e[1]) << "," << int (e[2]);
        }

        return ::testing::AssertionSuccess();
    }

    // A 32-bit float WAV file at the JACK server's rate.
    void writeWav (const e2e::StereoBuffer& audio, const std::filesystem::path& file)
    {
        juce::AudioBuffer<float> buffer (2, static_cast<int> (audio.size()));
        buffer.copyFrom (0, 0, audio.left.data(), buffer.getNumSamples());
        buffer.copyFrom (1, 0, audio.right.data(), buffer.getNumSamples());

        std::filesystem::remove (file);
        auto stream = std::make_unique<juce::FileOutputStream> (juce::File (file.string()));
        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (stream.get(), e2e::JackServer::sampleRate,
                                                                               2, 32, {}, 0));

        if (writer == nullptr)
            throw std::runtime_error ("cannot write " + file.string());

        stream.release();
        writer->writeFromAudioSampleBuffer (buffer, 0, buffer.getNumSamples());
    }

    // What velthorn-render, the Linux build's, makes of `input` with the
    // start-up settings: the reference for the app's sound.
    e2e::StereoBuffer renderedByTheRenderer (const e2e::StereoBuffer& input, const std::filesystem::path& folder,
                                             const std::filesystem::path& logs)
    {
        std::filesystem::create_directories (folder);
        const auto in = folder / "input.wav";
        const auto out = folder / "rendered.wav";
        writeWav (input, in);

        const auto render = e2e::runTool ({ VELTHORN_RENDER_PATH, in.string(), out.string(), "--quiet" },
                                          e2e::Environment::minimal(), logs, std::chrono::minutes (2));

        if (! render.succeeded())
            throw std::runtime_error ("velthorn-render failed: " + render.describe());

        juce::WavAudioFormat wav;
        std::unique_ptr<juce::AudioFormatReader> reader (wav.createReaderFor (new juce::FileInputStream (juce::File (out.string())), true));

        if (reader == nullptr || reader->numChannels != 2)
            throw std::runtime_error ("cannot read the renderer's stereo output " + out.string());

        juce::AudioBuffer<float> audio (2, static_cast<int> (reader->lengthInSamples));
        reader->read (&audio, 0, audio.getNumSamples(), 0, true, true);

        e2e::StereoBuffer rendered;
        rendered.left.assign (audio.getReadPointer (0), audio.getReadPointer (0) + audio.getNumSamples());
        rendered.right.assign (audio.getReadPointer (1), audio.getReadPointer (1) + audio.getNumSamples());
        return rendered;
    }

    // The window as a Windows user meets it: titled "Velthorn", the size and
    // place of the Linux app's window, the same panel, and the icon of the
    // program file (IDI_ICON1, which the framework gives its windows) in the
    // task bar and the window switcher, which wine hands to X.
    TEST_F (WindowsAppTest, WindowShowsTheLinuxAppsPanelWithTheProgramsIcon)
    {
        auto& jack = startJack();
        auto& display = startXvfb();

        // The Linux app's window, shown and gone again, as the reference.
        std::optional<e2e::Screenshot> linuxPanel;
        e2e::Rectangle linuxGeometry;
        {
            e2e::VelthornApp linuxApp (workFolder() / "linux-home", display.display(), jack.name(), logDirectory() / "linux");
            ASSERT_TRUE (linuxApp.waitForJackDevice (jack));
            const auto window = linuxApp.waitForMainWindow();
            linuxGeometry = window.geometry();
            linuxPanel = e2e::waitForStartUpValues (window, artefact ("linux-panel.png"));
            ASSERT_TRUE (linuxApp.closeWithCloseButton (window).has_value());
        }

        auto& app = launchWindowsApp();
        const auto window = app.waitForMainWindow();
        // Once the device runs, the panel shows the engine's values.
        e2e::PortsUnderTest ports;
        ASSERT_TRUE (app.waitForJackPorts (jack, ports));

        const auto geometry = window.geometry();
        EXPECT_EQ (geometry.width, linuxGeometry.width);
        EXPECT_EQ (geometry.height, linuxGeometry.height);
        EXPECT_LE (std::abs (geometry.x - linuxGeometry.x), 1) << "x = " << geometry.x;
        EXPECT_LE (std::abs (geometry.y - linuxGeometry.y), 1) << "y = " << geometry.y;

        const auto windowsPanel = e2e::waitForStartUpValues (window, artefact ("windows-panel.png"));
        EXPECT_TRUE (samePanelOutsideText (*linuxPanel, windowsPanel));

        // The File button and the credit link are drawn there too, each in a
        // colour of its own over the background.
        for (const auto& area : { panel::fileButton, panel::creditLink })
        {
            const auto background = windowsPanel.pixel (area.x + 1, area.y + 1);
            EXPECT_GT (windowsPanel.countPixelsDifferentFrom (area, background, 60), 0)
                << "nothing drawn at (" << area.x << ", " << area.y << "); see " << windowsPanel.file();
        }

        const auto icons = windowIcons (display.display(), window.id(), logDirectory());
        ASSERT_FALSE (icons.empty()) << "the window has no icon";

        for (const auto& icon : icons)
            EXPECT_TRUE (isTheProgramsIcon (icon, logDirectory()));
    }

    // A guitarist's signal through "Windows Audio" (the device the app opens
    // on a first start): wine's audio system passes it to ALSA and the jack
    // plugin, the test plays it in and records what comes back. That is
    // velthorn-render's output to the bit, on both outputs, with nothing but
    // silence before it: wine passes the samples through untouched.
    //
    // Untouched, not always on time: wine moves the sound through buffers of
    // ten milliseconds on threads of its own, and when a busy machine holds
    // those up, the framework's device starts a block with silence for the
    // input that has not come yet, or wine plays silence for output that
    // has not. Each such stretch is found, said, and taken into account:
    // with it the recording is still velthorn-render's output to the bit,
    // for the input as the app received it.
    TEST_F (WindowsAppTest, SoundThroughWindowsAudioIsTheRenderersToTheBit)
    {
        auto& jack = startJackEightTimesSlower();
        auto& app = launchWindowsApp();
        app.waitForMainWindow();
        e2e::PortsUnderTest ports;
        ASSERT_TRUE (app.waitForJackPorts (jack, ports));

        const double rate = e2e::JackServer::sampleRate;
        const auto signalFrames = static_cast<size_t> (2 * rate);
        auto input = e2e::makeTestSignal (signalFrames, rate);
        // Then silence, so the filters' and the cabinet's tails are compared too.
        input.left.resize (signalFrames + static_cast<size_t> (rate / 2), 0.0f);
        input.right.resize (input.left.size(), 0.0f);

        const auto firstSound = e2e::firstNonZero (renderedByTheRenderer (input, workFolder() / "render", logDirectory()).left);
        ASSERT_TRUE (firstSound.has_value()) << "the renderer made silence of the test signal";

        e2e::StereoBuffer answer;
        ASSERT_TRUE (e2e::recordAnswer (jack, ports, input, *firstSound, answer));
        // Kept to listen to, or to compare with other tools.
        writeWav (answer, artefact ("recorded.wav"));

        // Wine's blocks are ten milliseconds; two of them at most in a row.
        constexpr size_t longestSilence = 960;
        const auto explained = windowstest::explainRecording (input, answer, rate, longestSilence);
        ASSERT_TRUE (explained.explained) << explained.failure << "; see " << artefact ("recorded.wav");

        std::string silences;
        for (const auto& silence : explained.silences)
            silences += (silences.empty() ? "" : "; ") + silence.describe();

        RecordProperty ("silences_put_in_by_wine", silences.empty() ? "none" : silences);
        if (! silences.empty())
            std::cout << "wine's threads came late: silence of " << silences << "\n";

        const auto expected = renderedByTheRenderer (explained.deliveredInput, workFolder() / "render-delivered", logDirectory());
        writeWav (expected, artefact ("rendered.wav"));
        EXPECT_TRUE (e2e::samplesBitwiseEqual (ports.leftOut + " against velthorn-render", expected.left, 0,
                                               explained.answerToDelivered.left, 0, input.size()));
        EXPECT_TRUE (e2e::samplesBitwiseEqual (ports.rightOut + " against velthorn-render", expected.right, 0,
                                               explained.answerToDelivered.right, 0, input.size()));
    }

    // Where Windows keeps a user's program settings: the Audio Settings
    // dialog saves the device setup into %APPDATA%\Velthorn\Velthorn.settings
    // when it closes, and nothing into the folder of all users. The dialog
    // offers Windows' device types, four of them ("Windows Audio" in its
    // shared, exclusive and low-latency modes, then "DirectSound"; no ASIO in
    // a build without Steinberg's SDK), and the device chosen is the one
    // saved. A close request from Windows (taskkill, the task bar's "Close
    // window") ends the app as its close button does.
    TEST_F (WindowsAppTest, AudioSettingsOfferWindowsDeviceTypesAndAreKeptInAppData)
    {
        auto& jack = startJack();
        auto& app = launchWindowsApp();
        const auto window = app.waitForMainWindow();
        e2e::PortsUnderTest ports;
        ASSERT_TRUE (app.waitForJackPorts (jack, ports));

        const auto settingsFile = WindowsVelthornApp::settingsFileIn (winePrefix());
        EXPECT_FALSE (std::filesystem::exists (settingsFile)) << "the first start wrote " << settingsFile;

        // Opened and closed with nothing chosen: the device manager has no
        // setup of the user's to report, and the key is saved empty.
        ASSERT_TRUE (closeDialog (openAudioSettings (window)));
        auto saved = waitForSavedState ([] (const auto& state) { return state.hasValue; });
        EXPECT_TRUE (saved.readable) << settingsFile << ":\n" << saved.text;
        EXPECT_TRUE (saved.hasValue) << settingsFile << ":\n" << saved.text;
        EXPECT_EQ (saved.plainValue, "") << saved.text;
        EXPECT_FALSE (saved.deviceSetup.has_value()) << saved.text;

        // The device types, then DirectSound's first output, which wine names
        // as Windows does. (DirectSound starts with no device chosen.)
        {
            const auto pid = app.process().pid();
            const auto dialog = openAudioSettings (window);
            const auto withWindowsAudio = dialog.screenshotOfContent (artefact ("audio-settings-windows-audio.png"));
            dialog.clickContent (deviceTypeBox);
            // Throws unless the list holds exactly four entries.
            const auto types = e2e::PopupMenuWindow::waitFor (window.xdotool(), pid, { Row::item, Row::item, Row::item, Row::item },
                                                              windowstest::wineStartupTimeout);
            types.choose (3, dialog.id(), windowstest::wineStartupTimeout);
            ASSERT_TRUE (window.xdotool().waitUntilWindowHidden (types.id(), windowstest::wineStartupTimeout));

            // The selector rebuilds itself for DirectSound, with no device
            // open: its type box names the new type, and the channel lists
            // and the rate and buffer boxes of the running device are gone,
            // so the dialog is shorter. Its output box is at the same place,
            // but clicked before that it would be the old one.
            const auto withDirectSound = waitForDialog (window, dialog.id(), "audio-settings-directsound.png",
                                                        [&] (const e2e::Screenshot& shot)
            {
                return shot.height() < withWindowsAudio.height()
                       && withWindowsAudio.countPixelsDifferentIn (shot, deviceTypeText, 0) > 0;
            });
            ASSERT_LT (withDirectSound.height(), withWindowsAudio.height())
                << "the dialog did not change for DirectSound; see " << withDirectSound.file();

            // "Primary Sound Driver", wine's ALSA device, "<< none >>".
            dialogAsItIs (window, dialog.id()).clickContent (outputDeviceBox);
            const auto outputs = e2e::PopupMenuWindow::waitFor (window.xdotool(), pid, { Row::item, Row::item, Row::item },
                                                                windowstest::wineStartupTimeout);
            outputs.choose (0, dialog.id(), windowstest::wineStartupTimeout);
            ASSERT_TRUE (window.xdotool().waitUntilWindowHidden (outputs.id(), windowstest::wineStartupTimeout));

            // The device opens and the selector grows its lists again; the
            // close button is found on the dialog as it is then.
            const auto withDevice = waitForDialog (window, dialog.id(), "audio-settings-primary-sound-driver.png",
                                                   [&] (const e2e::Screenshot& shot)
            {
                return shot.height() > withDirectSound.height();
            });
            ASSERT_GT (withDevice.height(), withDirectSound.height())
                << "Primary Sound Driver did not open; see " << withDevice.file();
            ASSERT_TRUE (closeDialog (dialogAsItIs (window, dialog.id())));
        }

        saved = waitForSavedState ([] (const auto& state) { return deviceTypeIn (state) == "DirectSound"; });
        EXPECT_EQ (deviceTypeIn (saved), "DirectSound") << settingsFile << ":\n" << saved.text;
        ASSERT_TRUE (saved.deviceSetup.has_value()) << saved.text;
        EXPECT_EQ ((*saved.deviceSetup)["audioOutputDeviceName"], "Primary Sound Driver") << saved.text;

        EXPECT_FALSE (std::filesystem::exists (winePrefix().onDriveC ("C:\\ProgramData\\Velthorn")))
            << "settings were written for all users";

        // Windows asks the app's windows to close.
        const auto status = app.quitBy ([&]
        {
            const auto taskkill = winePrefix().run ({ "taskkill", "/im", "Velthorn.exe" }, std::chrono::minutes (1),
                                                    window.xdotool().display());
            EXPECT_TRUE (taskkill.succeeded()) << taskkill.describe();
        });
        ASSERT_TRUE (status.has_value()) << "Velthorn.exe still ran after Windows asked its windows to close\n"
                                         << app.process().report();
        EXPECT_TRUE (status->isExitCode (0)) << status->describe() << "\n" << app.process().report();
        EXPECT_EQ (deviceTypeIn (e2e::SavedDeviceState::read (settingsFile)), "DirectSound");
    }

    // A close request from Windows reaches the app's hidden windows too, the
    // framework's message window among them, in no order the app chooses.
    // Sent there first, it destroyed that window, through which every
    // message the framework posts to its own thread travels; the quit the
    // main window then asked for could be lost with them, and the app ran on
    // (taskkill's request met that order now and then). Now the request
    // ends the app, with exit code 0.
    TEST_F (WindowsAppTest, ACloseRequestToItsHiddenWindowsEndsTheApp)
    {
        auto& jack = startJack();
        auto& app = launchWindowsApp();
        const auto window = app.waitForMainWindow();
        e2e::PortsUnderTest ports;
        ASSERT_TRUE (app.waitForJackPorts (jack, ports));

        const auto status = app.quitBy ([&]
        {
            const auto request = winePrefix().run ({ VELTHORN_CLOSE_HIDDEN, "Velthorn.exe" }, std::chrono::minutes (1),
                                                   window.xdotool().display());
            EXPECT_TRUE (request.succeeded()) << request.describe();
        });
        ASSERT_TRUE (status.has_value()) << "Velthorn.exe still ran after its hidden windows were asked to close\n"
                                         << app.process().report();
        EXPECT_TRUE (status->isExitCode (0)) << status->describe() << "\n" << app.process().report();
    }

    // Under wine every program of a session shares the desktop of the
    // session's first program; when that one had no display (a console
    // program, an installer run silently), the programs after it have no
    // display either, and cannot create DirectX's display interface (DXGI),
    // as on a Windows without one. The framework's window took that
    // interface for granted, and the app crashed as it opened its window. It
    // starts, and opens its audio device, which comes after its window.
    TEST_F (WindowsAppTest, StartsWhereDirectXHasNoDisplay)
    {
        auto& jack = startJack();

        // A console program that waits for a line no one types, started
        // without a display: the session's first program.
        const auto pipe = workFolder() / "never-typed";
        ASSERT_EQ (::mkfifo (pipe.c_str(), 0600), 0);
        e2e::ProcessSpec spec;
        spec.label = "console-without-display";
        spec.arguments = { "/bin/sh", "-c", "exec \"$0\" cmd /c \"echo ready & set /p line=\" < \"$1\"",
                           windowstest::PrivateWinePrefix::wineProgram(), pipe.string() };
        spec.environment = winePrefix().environment();
        spec.logDirectory = logDirectory();
        e2e::Process console (spec);

        // The program's input stays open, and empty, until the test ends.
        int writeEnd = -1;
        ASSERT_TRUE (e2e::pollUntil (windowstest::wineStartupTimeout, [&]
        {
            writeEnd = ::open (pipe.c_str(), O_WRONLY | O_NONBLOCK);
            return writeEnd >= 0 || ! console.isRunning();
        }));
        const std::unique_ptr<int, void (*) (int*)> closeAtEnd (&writeEnd, [] (int* fd) { if (*fd >= 0) ::close (*fd); });
        ASSERT_TRUE (e2e::pollUntil (windowstest::wineStartupTimeout, [&]
        {
            return console.standardOutput().find ("ready") != std::string::npos || ! console.isRunning();
        }));
        ASSERT_TRUE (console.isRunning()) << console.report();

        auto& app = launchWindowsApp();
        e2e::PortsUnderTest ports;
        ASSERT_TRUE (app.waitForJackPorts (jack, ports));
        EXPECT_TRUE (app.process().isRunning()) << app.process().report();
    }
}
