#pragma once

#include "ScreenGeometry.h"
#include "Screenshot.h"
#include "TitleBarLayout.h"
#include "XdoTool.h"

#include <chrono>
#include <filesystem>
#include <string>

namespace e2e
{
    // The app's top-level window on the test display, driven like a person
    // would: clicks, drags and keys at positions relative to the window's
    // content (the 800 x 600 panel), or on the framework-drawn title bar.
    // The geometry is asked afresh for every action. Test thread only.
    class AppWindow final
    {
    public:
        // Test thread.
        AppWindow (XdoTool xdotool, std::string windowId, int contentWidth, int contentHeight);

        // Test thread: the X window id.
        const std::string& id() const noexcept { return windowId; }
        // Test thread: position and size on the screen, frame included.
        Rectangle geometry() const;
        // Test thread: the frame, title bar, buttons and content, window-relative.
        TitleBarLayout layout() const;
        // Test thread: a content-relative point in screen coordinates.
        Point contentToScreen (Point contentPoint) const;

        // Test thread: clicks at a content-relative point.
        void clickContent (Point contentPoint, int button = 1) const;
        // Test thread: moves the pointer to a content-relative point.
        void moveMouseToContent (Point contentPoint) const;
        // Test thread: drags between content-relative points (knobs, sliders).
        void dragContent (Point from, Point to, int steps = 10) const;
        // Test thread: clicks the middle of the title bar's close button.
        void clickCloseButton() const;
        // Test thread: clicks the middle of the title bar's minimise button.
        void clickMinimiseButton() const;
        // Test thread: focuses the window and presses keys (xdotool notation).
        void pressKeys (const std::string& keys) const;

        // Test thread: a picture of the window alone, saved as pngFile. Its
        // pixel coordinates are window-relative, as layout() is.
        Screenshot screenshot (const std::filesystem::path& pngFile) const;
        // Test thread: a picture of the content alone (frame and title bar
        // cut off), saved as pngFile; its pixel coordinates are
        // content-relative, as clickContent's are.
        Screenshot screenshotOfContent (const std::filesystem::path& pngFile) const;

        // Test thread: waits until the window shows something other than one
        // flat colour, i.e. the framework has painted it at least once (it
        // paints asynchronously after the window is mapped).
        bool waitUntilDrawn (std::chrono::milliseconds timeout) const;

        // Test thread.
        const XdoTool& xdotool() const noexcept { return xdo; }

    private:
        Point windowToScreen (Point windowPoint) const;

        XdoTool xdo;
        std::string windowId;
        int contentWidth, contentHeight;
    };
}
