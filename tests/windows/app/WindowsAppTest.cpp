#include "WindowsAppTestBase.h"

#include "AppRecording.h"
#include "MainPanelLayout.h"
#include "SampleComparison.h"
#include "Screenshot.h"
#include "TestSignal.h"
#include "ToolRun.h"
#include "VelthornApp.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <cstdlib>
#include <fstream>
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

    class WindowsAppTest : public windowstest::WindowsAppTestBase
    {
    };

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
            linuxPanel = window.screenshotOfContent (artefact ("linux-panel.png"));
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

        const auto windowsPanel = window.screenshotOfContent (artefact ("windows-panel.png"));
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
}
