#include "E2eTest.h"
#include "EmbeddedPictures.h"
#include "FilePermissionLauncher.h"
#include "JackClientNamesLock.h"
#include "MainPanelLayout.h"
#include "PanelArtwork.h"
#include "PictureComposition.h"
#include "Polling.h"
#include "PopupMenuWindow.h"
#include "SettingsFile.h"
#include "ToolRun.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{
    using Row = e2e::PopupMenuWindow::Row;

    // The items of the File menu, counted from the top, separators not counted.
    constexpr int audioSettingsItem = 0;
    constexpr int aboutItem = 1;
    constexpr int quitItem = 2;

    // The about box's content is fixed; the device dialog's is as wide as the
    // panel sizes it, and as high as the framework's selector makes itself.
    constexpr int aboutSize = 400;
    constexpr int audioSettingsWidth = 600;

    // In the device dialog for this JACK server, the tick box of the second
    // input channel (capture_2): the framework's selector lists the input
    // channels under the output channels, one row each, with the tick box at
    // the left of each row.
    constexpr e2e::Point secondInputTick { 225, 202 };

    std::string describe (const std::map<std::string, std::string>& attributes)
    {
        std::string text;

        for (const auto& [name, value] : attributes)
            text += " " + name + "=\"" + value + "\"";

        return text;
    }

    std::string attribute (const std::map<std::string, std::string>& attributes, const std::string& name)
    {
        const auto found = attributes.find (name);
        return found != attributes.end() ? found->second : "(missing)";
    }

    class FileMenuTest : public e2e::E2eTest
    {
    protected:
        // Test thread: clicks "File" and waits for its menu.
        e2e::PopupMenuWindow openFileMenu (const e2e::AppWindow& window)
        {
            window.clickContent (e2e::panel::fileButton.centre());
            return e2e::PopupMenuWindow::waitFor (window.xdotool(), launchedApp().process().pid(),
                                                  { Row::item, Row::item, Row::separator, Row::item },
                                                  e2e::startupTimeout);
        }

        // Test thread: chooses a File menu item and waits for the dialog it
        // opens, by its exact title; throws if none appears.
        std::string openDialogFromFileMenu (const e2e::AppWindow& window, int item, const std::string& title)
        {
            openFileMenu (window).choose (item, window.id(), e2e::startupTimeout);

            const auto id = window.xdotool().waitForVisibleWindow (launchedApp().process().pid(), "^" + title + "$",
                                                                   e2e::startupTimeout);
            if (! id.has_value())
                throw std::runtime_error ("no window titled \"" + title + "\" appeared\n" + launchedApp().process().report());

            return *id;
        }

        // Test thread: a dialog of the app as a window with the given content
        // width under a frame and title bar like the main window's, once it
        // has been painted.
        static e2e::AppWindow dialogWindow (const e2e::AppWindow& mainWindow, const std::string& id, int contentWidth)
        {
            const auto main = mainWindow.layout();
            const auto g = mainWindow.xdotool().geometry (id);
            const e2e::AppWindow dialog { mainWindow.xdotool(), id, contentWidth, g.height - 2 * main.border - main.titleBarHeight };

            // Its controls take clicks and keys, and its pictures mean
            // something, once it shows them.
            if (! dialog.waitUntilDrawn (e2e::startupTimeout))
                throw std::runtime_error ("the dialog " + id + " was mapped but not painted");

            return dialog;
        }

        // Test thread: polls the settings file until `done` accepts what it
        // says about the device, and returns the last reading.
        e2e::SavedDeviceState waitForSavedDeviceState (const std::function<bool (const e2e::SavedDeviceState&)>& done)
        {
            const auto file = e2e::VelthornApp::settingsFileIn (home());
            e2e::SavedDeviceState state;

            e2e::pollUntil (e2e::startupTimeout, [&]
            {
                state = e2e::SavedDeviceState::read (file);
                return done (state);
            });

            return state;
        }

        // Test thread: presses Escape in the dialog and waits until it is gone.
        //
        // A dialog painted for the first time has not always taken the
        // keyboard over yet (on a busy machine its modal state begins a while
        // after), and a key that comes before is not the dialog's to act on.
        // So Escape is pressed again, as a person would, while the dialog
        // still shows, until the deadline; a dialog that ignores Escape fails.
        ::testing::AssertionResult closeWithEscape (const e2e::AppWindow& dialog)
        {
            const auto deadline = std::chrono::steady_clock::now() + e2e::shutdownTimeout;

            do
            {
                try
                {
                    dialog.pressKeys ("Escape");
                }
                catch (const std::runtime_error&)
                {
                    // The dialog closed between the look and the key.
                    if (! dialog.xdotool().isWindowVisible (dialog.id()))
                        return ::testing::AssertionSuccess();

                    throw;
                }

                if (dialog.xdotool().waitUntilWindowHidden (dialog.id(), std::chrono::seconds (5)))
                    return ::testing::AssertionSuccess();
            }
            while (std::chrono::steady_clock::now() < deadline);

            return ::testing::AssertionFailure() << "the dialog was still open after Escape";
        }

        // Test thread: starts the app on a settings file it must refuse,
        // expects it named on standard error with `reason`, opens and closes
        // Audio Settings (where the app would save a device choice) and
        // quits, which must end the app with 0.
        void runRefusingTheSettingsFile (const std::string& reason)
        {
            const auto file = e2e::VelthornApp::settingsFileIn (home());
            const auto window = launchAppOnJack();
            auto& app = launchedApp();
            const auto said = app.process().standardError();
            EXPECT_NE (said.find ("Velthorn: not reading the settings file " + file.string() + ": " + reason), std::string::npos)
                << said;

            {
                const e2e::JackClientNamesLock lock;
                const auto dialog = dialogWindow (window, openDialogFromFileMenu (window, audioSettingsItem, "Audio Settings"),
                                                  audioSettingsWidth);
                ASSERT_TRUE (closeWithEscape (dialog));
            }

            const auto status = app.quitBy ([&]
            {
                openFileMenu (window).choose (quitItem, window.id(), e2e::startupTimeout);
            });
            ASSERT_TRUE (status.has_value()) << "the app was still running after Quit was chosen\n" << app.process().report();
            EXPECT_TRUE (status->isExitCode (0)) << status->describe() << "\n" << app.process().report();
        }
    };

    TEST_F (FileMenuTest, AudioSettingsClosedUnchangedOnAFirstStartSavesAnEmptyDeviceStateAtOnce)
    {
        const auto window = launchAppOnJack();
        ASSERT_FALSE (std::filesystem::exists (e2e::VelthornApp::settingsFileIn (home())));

        // The dialog scans for JACK servers with a client of a fixed name.
        const e2e::JackClientNamesLock lock;
        const auto dialog = dialogWindow (window, openDialogFromFileMenu (window, audioSettingsItem, "Audio Settings"),
                                          audioSettingsWidth);
        dialog.screenshot (artefact ("audio-settings.png"));

        // As wide as the panel made it: 600 pixels between borders like the
        // main window's.
        EXPECT_EQ (dialog.layout().border, window.layout().border) << "the dialog is " << dialog.geometry().width << " pixels wide";
        ASSERT_TRUE (closeWithEscape (dialog));

        // Nothing was chosen and nothing was saved before, so the device
        // manager has no setup of its own to report: the key is written empty.
        const auto saved = waitForSavedDeviceState ([] (const e2e::SavedDeviceState& s) { return s.hasValue; });

        EXPECT_TRUE (launchedApp().process().isRunning()) << "the settings must be saved while the app runs";
        ASSERT_TRUE (saved.readable) << saved.text;
        ASSERT_TRUE (saved.hasValue) << "no audioDeviceState in\n" << saved.text;
        EXPECT_EQ (saved.plainValue, "") << saved.text;
        EXPECT_FALSE (saved.deviceSetup.has_value()) << saved.text;
    }

    TEST_F (FileMenuTest, InputChannelSwitchedOffInAudioSettingsIsSavedAsTheDeviceSetupWhenTheDialogCloses)
    {
        const auto window = launchAppOnJack();
        auto& jack = startJack();
        const auto observer = jack.openClient (e2e::JackServer::uniqueClientName ("observer"));

        const auto isConnected = [&] (const std::string& appPort, const std::string& systemPort)
        {
            for (const auto& other : observer->connectionsOf (e2e::VelthornApp::jackPort (appPort)))
                if (other == systemPort)
                    return true;

            return false;
        };

        ASSERT_TRUE (isConnected ("in_2", "system:capture_2"));

        const e2e::JackClientNamesLock lock;
        const auto dialog = dialogWindow (window, openDialogFromFileMenu (window, audioSettingsItem, "Audio Settings"),
                                          audioSettingsWidth);
        dialog.screenshot (artefact ("audio-settings-before.png"));

        dialog.clickContent (secondInputTick);

        // The change applies at once: the app's second input leaves capture_2.
        const bool applied = e2e::pollUntil (e2e::startupTimeout, [&]
        {
            return ! isConnected ("in_2", "system:capture_2") && isConnected ("in_1", "system:capture_1");
        });
        dialog.screenshot (artefact ("audio-settings-after.png"));
        ASSERT_TRUE (applied) << "the second input stayed on; see " << artefact ("audio-settings-after.png");

        ASSERT_FALSE (std::filesystem::exists (e2e::VelthornApp::settingsFileIn (home())))
            << "the setup is saved when the dialog closes, not before";
        ASSERT_TRUE (closeWithEscape (dialog));

        const auto saved = waitForSavedDeviceState ([] (const e2e::SavedDeviceState& s) { return s.deviceSetup.has_value(); });

        EXPECT_TRUE (launchedApp().process().isRunning()) << "the settings must be saved while the app runs";
        ASSERT_TRUE (saved.deviceSetup.has_value()) << "no DEVICESETUP under audioDeviceState in\n" << saved.text;

        const auto& setup = *saved.deviceSetup;
        const std::map<std::string, std::string> expected {
            { "deviceType", "JACK" },
            { "audioOutputDeviceName", "system" },
            { "audioInputDeviceName", "system" },
            { "audioDeviceRate", "48000.0" },
            // A bit per channel, lowest first: capture_1 only.
            { "audioDeviceInChans", "1" },
        };

        for (const auto& [name, value] : expected)
            EXPECT_EQ (attribute (setup, name), value) << "in the saved DEVICESETUP:" << describe (setup);
    }

    TEST_F (FileMenuTest, SavedDeviceSetupIsOpenedAndWrittenBackWhenAudioSettingsCloses)
    {
        // Written by hand, on one line: the app writes its own layout, so a
        // changed file shows that the app saved it.
        const std::string handWritten =
            "<PROPERTIES><VALUE name=\"audioDeviceState\"><DEVICESETUP deviceType=\"JACK\" "
            "audioOutputDeviceName=\"system\" audioInputDeviceName=\"system\" audioDeviceRate=\"48000.0\" "
            "audioDeviceBufferSize=\"256\"/></VALUE></PROPERTIES>\n";
        writeSettingsFile (handWritten);

        const auto window = launchAppOnJack();

        const e2e::JackClientNamesLock lock;
        const auto dialog = dialogWindow (window, openDialogFromFileMenu (window, audioSettingsItem, "Audio Settings"),
                                          audioSettingsWidth);
        ASSERT_TRUE (closeWithEscape (dialog));

        const auto saved = waitForSavedDeviceState ([&] (const e2e::SavedDeviceState& s)
        {
            return s.text != handWritten && s.deviceSetup.has_value();
        });

        EXPECT_TRUE (launchedApp().process().isRunning()) << "the settings must be saved while the app runs";
        ASSERT_NE (saved.text, handWritten) << "the app did not write the settings file when the dialog closed";
        ASSERT_TRUE (saved.deviceSetup.has_value()) << "no DEVICESETUP under audioDeviceState in\n" << saved.text;
        EXPECT_EQ (attribute (*saved.deviceSetup, "deviceType"), "JACK") << saved.text;
        EXPECT_EQ (attribute (*saved.deviceSetup, "audioOutputDeviceName"), "system") << saved.text;
        EXPECT_EQ (attribute (*saved.deviceSetup, "audioInputDeviceName"), "system") << saved.text;
    }

    TEST_F (FileMenuTest, ASettingsFileTheAppCannotReadIsLeftAloneWhenAudioSettingsClosesAndAtExit)
    {
        // A valid saved choice the app is not allowed to read: the file must
        // come out of the run byte for byte and mode for mode, or the choice
        // is lost for good.
        const std::string saved =
            "<PROPERTIES><VALUE name=\"audioDeviceState\"><DEVICESETUP deviceType=\"JACK\" "
            "audioOutputDeviceName=\"system\" audioInputDeviceName=\"system\" audioDeviceRate=\"48000.0\" "
            "audioDeviceBufferSize=\"256\"/></VALUE></PROPERTIES>\n";
        writeSettingsFile (saved);
        const auto file = e2e::VelthornApp::settingsFileIn (home());
        std::filesystem::permissions (file, std::filesystem::perms::none);

        const auto launcher = e2e::launcherHonouringFilePermissions();
        auto readAttempt = launcher;
        readAttempt.insert (readAttempt.end(), { "cat", file.string() });
        const auto read = e2e::runTool (readAttempt, e2e::Environment::minimal(), logDirectory(), e2e::toolTimeout);
        ASSERT_TRUE (read.status.has_value() && ! read.succeeded() && read.standardOutput.empty())
            << "the app must be unable to read the file for this test to mean anything: " << read.describe();

        // Unable to read its choice, the app opens the default device.
        const auto window = launchAppOnJack (launcher);

        {
            const e2e::JackClientNamesLock lock;
            const auto dialog = dialogWindow (window, openDialogFromFileMenu (window, audioSettingsItem, "Audio Settings"),
                                              audioSettingsWidth);
            ASSERT_TRUE (closeWithEscape (dialog));
        }

        // Once the app has ended, whatever it would write has been written.
        auto& app = launchedApp();
        const auto status = app.quitBy ([&]
        {
            openFileMenu (window).choose (quitItem, window.id(), e2e::startupTimeout);
        });
        ASSERT_TRUE (status.has_value()) << "the app was still running after Quit was chosen\n" << app.process().report();
        EXPECT_TRUE (status->isExitCode (0)) << "the app ended with " << status->describe() << "\n" << app.process().report();

        ASSERT_TRUE (std::filesystem::exists (file));
        EXPECT_EQ (std::filesystem::status (file).permissions() & std::filesystem::perms::all, std::filesystem::perms::none)
            << "the settings file's mode was changed";
        std::ifstream in (file, std::ios::binary);
        const std::string after ((std::istreambuf_iterator<char> (in)), std::istreambuf_iterator<char>());
        EXPECT_EQ (after, saved) << "the settings file the app could not read was overwritten";
    }

    // Settings files damaged so that the framework's parser, which recurses
    // once per nested element, would overflow its stack or expand entities
    // into themselves. Each crashed the app at every start, before its window
    // showed. Now the app says why on standard error, starts on the default
    // devices, and keeps the file as it is, also when Audio Settings closes
    // and at exit.
    struct DamagedSettings
    {
        const char* name;
        std::string content;
        const char* reason;   // what the message says of the file
    };

    void PrintTo (const DamagedSettings& c, std::ostream* out)
    {
        *out << c.name;
    }

    std::string repeated (const std::string& text, int times)
    {
        std::string all;
        for (int i = 0; i < times; ++i)
            all += text;
        return all;
    }

    const std::string settingsHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n\n<PROPERTIES>\n";

    class DamagedSettingsTest : public FileMenuTest,
                                public ::testing::WithParamInterface<DamagedSettings>
    {
    };

    TEST_P (DamagedSettingsTest, IsSaidKeptAsItIsAndTheAppStartsOnTheDefaultDevices)
    {
        const auto& saved = GetParam().content;
        writeSettingsFile (saved);
        const auto file = e2e::VelthornApp::settingsFileIn (home());

        runRefusingTheSettingsFile (GetParam().reason);
        if (HasFatalFailure())
            return;

        std::ifstream in (file, std::ios::binary);
        const std::string after ((std::istreambuf_iterator<char> (in)), std::istreambuf_iterator<char>());
        EXPECT_TRUE (after == saved) << "the damaged settings file was changed";
        EXPECT_EQ (std::distance (std::filesystem::directory_iterator (file.parent_path()), std::filesystem::directory_iterator()), 1)
            << "nothing beside the settings file";
    }

    INSTANTIATE_TEST_SUITE_P (Files, DamagedSettingsTest, ::testing::Values (
        DamagedSettings { "NestedTwoHundredThousandDeepUnclosed", settingsHeader + repeated ("<a>", 200000),
                          "it holds more elements than a settings file can" },
        DamagedSettings { "NestedTwoHundredThousandDeep",
                          settingsHeader + repeated ("<a>", 200000) + repeated ("</a>", 200000) + "</PROPERTIES>\n",
                          "it is larger than a settings file can be (over 1 MiB)" },
        DamagedSettings { "EntitiesDeclaredInEachOther",
                          "<?xml version=\"1.0\"?>\n<!DOCTYPE PROPERTIES [<!ENTITY a \"aaaaaaaaaa\">"
                          "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
                          "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">]>\n"
                          "<PROPERTIES><VALUE name=\"x\" val=\"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"/></PROPERTIES>\n",
                          "it holds more elements than a settings file can, nested or declared" }),
        [] (const auto& info) { return std::string (info.param.name); });

    // Something other than a file where the settings file belongs. A named
    // pipe kept the app waiting in open() for a writer, with no window and
    // deaf to SIGTERM; a link to /dev/zero was read until the app crashed.
    // Each is named on standard error and left where it is, and the app
    // starts on the default devices, as for a damaged file.
    struct NotAFile
    {
        const char* name;
        std::function<bool (const std::filesystem::path&)> make;   // false: cannot be made here
        const char* reason;
    };

    void PrintTo (const NotAFile& c, std::ostream* out)
    {
        *out << c.name;
    }

    class NotAFileSettingsTest : public FileMenuTest,
                                 public ::testing::WithParamInterface<NotAFile>
    {
    };

    std::string entryDescription (const std::filesystem::path& path)
    {
        const auto status = std::filesystem::symlink_status (path);

        if (status.type() == std::filesystem::file_type::symlink)
            return "a link to " + std::filesystem::read_symlink (path).string();

        return std::to_string (static_cast<int> (status.type())) + " mode "
             + std::to_string (static_cast<int> (status.permissions()));
    }

    TEST_P (NotAFileSettingsTest, IsNamedLeftInPlaceAndTheAppStartsOnTheDefaultDevices)
    {
        const auto file = e2e::VelthornApp::settingsFileIn (home());
        std::filesystem::create_directories (file.parent_path());

        if (! GetParam().make (file))
            GTEST_SKIP() << "cannot make " << GetParam().name << " at " << file << " here";

        const auto before = entryDescription (file);

        runRefusingTheSettingsFile (GetParam().reason);
        if (HasFatalFailure())
            return;

        EXPECT_EQ (entryDescription (file), before) << "what stood where the settings file belongs was changed";
        EXPECT_EQ (std::distance (std::filesystem::directory_iterator (file.parent_path()), std::filesystem::directory_iterator()), 1)
            << "nothing beside the settings file";
    }

    INSTANTIATE_TEST_SUITE_P (Entries, NotAFileSettingsTest, ::testing::Values (
        NotAFile { "LinkToDevZero",
                   [] (const std::filesystem::path& p) { return ::symlink ("/dev/zero", p.c_str()) == 0; },
                   "it is a character device, not a regular file" },
        NotAFile { "NamedPipe",
                   [] (const std::filesystem::path& p) { return ::mkfifo (p.c_str(), 0644) == 0; },
                   "it is a pipe, not a regular file" },
        NotAFile { "Socket",
                   [] (const std::filesystem::path& p)
                   {
                       sockaddr_un address {};
                       address.sun_family = AF_UNIX;

                       if (p.string().size() >= sizeof (address.sun_path))
                           return false;

                       std::strcpy (address.sun_path, p.c_str());
                       const auto fd = ::socket (AF_UNIX, SOCK_STREAM, 0);
                       const auto bound = fd >= 0 && ::bind (fd, reinterpret_cast<const sockaddr*> (&address), sizeof (address)) == 0;

                       if (fd >= 0)
                           ::close (fd);

                       return bound;
                   },
                   "it is a socket, not a regular file" },
        NotAFile { "Directory",
                   [] (const std::filesystem::path& p) { return std::filesystem::create_directory (p); },
                   "it is a directory, not a regular file" }),
        [] (const auto& info) { return std::string (info.param.name); });

    TEST_F (FileMenuTest, ThePanelRepaintsWhereTheFileMenuWasWhileAudioSettingsIsOpen)
    {
        const auto window = launchAppOnJack();
        const auto origin = window.contentToScreen ({ 0, 0 });

        const e2e::JackClientNamesLock lock;
        const auto menu = openFileMenu (window);
        const auto menuOnScreen = menu.geometry();

        // Chosen with the mouse, as a person would: the item is clicked once
        // it shows highlighted, and again if the framework took the click for
        // part of the one that opened the menu and dropped it.
        const auto item = menu.itemArea (audioSettingsItem);
        const e2e::Point itemCentre { menuOnScreen.x + item.x + item.width / 2, menuOnScreen.y + item.y + item.height / 2 };
        window.xdotool().moveMouse (itemCentre);
        ASSERT_TRUE (e2e::pollUntil (e2e::startupTimeout, [&] { return menu.isHighlighted (audioSettingsItem); }));

        std::optional<std::string> dialogId;
        e2e::pollUntil (e2e::startupTimeout, [&]
        {
            if (window.xdotool().isWindowVisible (menu.id()))
                window.xdotool().click (itemCentre);

            dialogId = window.xdotool().waitForVisibleWindow (launchedApp().process().pid(), "^Audio Settings$",
                                                              std::chrono::milliseconds (500));
            return dialogId.has_value();
        });
        ASSERT_TRUE (dialogId.has_value()) << "no Audio Settings dialog appeared\n" << launchedApp().process().report();
        const auto dialogOnScreen = window.xdotool().geometry (*dialogId);

        // Where the menu was, in panel coordinates: below the File button and
        // left of the dialog, which covers the panel's middle.
        const int left = std::max (menuOnScreen.x - origin.x, 0);
        const int top = std::max (menuOnScreen.y - origin.y, e2e::panel::fileButton.y + e2e::panel::fileButton.height);
        const int right = std::min ({ menuOnScreen.x + menuOnScreen.width, dialogOnScreen.x }) - origin.x;
        const int bottom = std::min ({ menuOnScreen.y + menuOnScreen.height, dialogOnScreen.y + dialogOnScreen.height })
                           - origin.y;
        const e2e::Rectangle menuArea { left, top, right - left, bottom - top };
        ASSERT_GT (menuArea.width, 20) << "the menu lies under the dialog; nothing to see";
        ASSERT_GT (menuArea.height, 20) << "the menu lies under the dialog; nothing to see";

        // Nothing of the panel's own lies there: only its background picture.
        const e2e::PanelArtwork artwork;
        int differing = 0;
        int shots = 0;
        e2e::pollUntil (e2e::startupTimeout, [&]
        {
            // The screen as it shows, not the window's own pixels.
            const auto screen = e2e::Screenshot::capture (window.xdotool().display(), "root",
                                                          artefact ("screen-" + std::to_string (shots % 2) + ".png"),
                                                          logDirectory());
            const auto shot = screen.cropped ({ origin.x, origin.y, e2e::panel::width, e2e::panel::height },
                                              artefact ("panel-under-dialog-" + std::to_string (shots++ % 2) + ".png"),
                                              logDirectory());
            differing = artwork.picture().countPixelsDifferentIn (shot, menuArea, 4);
            return differing == 0;
        });

        EXPECT_EQ (differing, 0) << "the File menu is still painted on the panel at " << menuArea.x << ", " << menuArea.y
                                 << " (" << menuArea.width << " x " << menuArea.height << ") while Audio Settings is open; see "
                                 << artefact ("panel-under-dialog-" + std::to_string ((shots + 1) % 2) + ".png");
        // The dialog stays open; the fixture stops the app.
    }

    TEST_F (FileMenuTest, AudioSettingsLabelsAreDarkOnTheWhiteBackground)
    {
        const auto window = launchAppOnJack();

        const e2e::JackClientNamesLock lock;
        const auto dialog = dialogWindow (window, openDialogFromFileMenu (window, audioSettingsItem, "Audio Settings"),
                                          audioSettingsWidth);
        const auto shot = dialog.screenshotOfContent (artefact ("audio-settings-labels.png"));

        // The selector puts its labels ("Audio device type:", "Output:",
        // "Input:", "Sample rate:" ...) right-aligned left of its boxes,
        // which start about a third of the way across.
        const e2e::Rectangle labelColumn { 0, 0, audioSettingsWidth / 3, shot.height() };
        const e2e::Rgb white { 255, 255, 255 };
        EXPECT_EQ (shot.countPixelsDifferentFrom ({ 0, 0, 8, shot.height() }, white, 4), 0)
            << "the dialog background must stay white; see " << shot.file();

        // Text dark enough to read on white: well over a hundred levels below it.
        const e2e::Rgb darkGrey { 96, 96, 96 };
        const int darkPixels = shot.height() * labelColumn.width
                               - shot.countPixelsDifferentFrom (labelColumn, darkGrey, 96);
        EXPECT_GT (darkPixels, 200) << "no readable label text left of the boxes; see " << shot.file();

        ASSERT_TRUE (closeWithEscape (dialog));
    }

    TEST_F (FileMenuTest, AboutShowsTheAboutPictureInA400By400BoxThatEscapeCloses)
    {
        const auto window = launchAppOnJack();
        const auto about = dialogWindow (window, openDialogFromFileMenu (window, aboutItem, "About"), aboutSize);

        const auto main = window.layout();
        const auto layout = about.layout();
        // 400 x 400 inside a frame like the main window's (the layout takes
        // the width as given, so the border tells whether it was).
        EXPECT_EQ (layout.border, main.border) << "the about box is " << about.geometry().width << " pixels wide";
        EXPECT_EQ (layout.content.height, aboutSize);

        // Centred over the main panel.
        const auto panelCentre = window.contentToScreen ({ e2e::panel::width / 2, e2e::panel::height / 2 });
        const auto g = about.geometry();
        EXPECT_LE (std::abs (g.x + g.width / 2 - panelCentre.x), 1) << "about box at x " << g.x;
        EXPECT_LE (std::abs (g.y + g.height / 2 - panelCentre.y), 1) << "about box at y " << g.y;

        // The picture, over white, wherever no label or link covers it (they
        // lie within x < 242, 104 <= y < 192).
        e2e::PictureComposition expected (aboutSize, aboutSize);
        const auto picture = e2e::decodeEmbeddedPicture (e2e::EmbeddedPicture::about);
        expected.draw (picture, { 0, 0, picture.width, picture.height }, { 0, 0 });

        const auto shot = about.screenshotOfContent (artefact ("about.png"));
        const e2e::Rectangle uncovered[] = { { 0, 0, aboutSize, 104 }, { 0, 192, aboutSize, 208 }, { 242, 104, 158, 88 } };

        for (const auto& area : uncovered)
            EXPECT_EQ (expected.countPixelsDifferentIn (shot, area, 4), 0)
                << "the about picture is not shown at " << area.x << ", " << area.y << "; see " << shot.file();

        ASSERT_TRUE (closeWithEscape (about));
        EXPECT_TRUE (launchedApp().process().isRunning());
        EXPECT_TRUE (window.xdotool().isWindowVisible (window.id()));
    }

    TEST_F (FileMenuTest, QuitEndsTheAppWithExitCodeZero)
    {
        const auto window = launchAppOnJack();
        auto& app = launchedApp();

        const auto status = app.quitBy ([&]
        {
            openFileMenu (window).choose (quitItem, window.id(), e2e::startupTimeout);
        });

        ASSERT_TRUE (status.has_value()) << "the app was still running after Quit was chosen\n" << app.process().report();
        EXPECT_TRUE (status->isExitCode (0)) << "the app ended with " << status->describe() << "\n" << app.process().report();
    }
}
