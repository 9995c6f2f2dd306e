#pragma once

#include "Environment.h"
#include "ScreenGeometry.h"
#include "ToolRun.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace e2e
{
    // xdotool on one X display: finding windows, their geometry, and the
    // synthetic mouse and keyboard (XTEST, so the app sees real input events).
    // Coordinates here are screen coordinates. Test thread only.
    class XdoTool final
    {
    public:
        // Test thread.
        XdoTool (std::string display, std::filesystem::path logDirectory);

        // Test thread: ids of the mapped windows of that process whose name
        // matches the regular expression (both conditions at once). A look
        // that fails (a window went away during it) is made again; throws
        // when none succeeds within toolTimeout.
        std::vector<std::string> findVisibleWindows (pid_t pid, const std::string& nameRegex) const;

        // Test thread: waits until that process maps a window whose name
        // matches, and returns its id; empty if none appeared in time.
        std::optional<std::string> waitForVisibleWindow (pid_t pid, const std::string& nameRegex,
                                                         std::chrono::milliseconds timeout) const;

        // Test thread: waits until the window is no longer mapped (hidden or
        // destroyed); false if it still shows at the deadline.
        bool waitUntilWindowHidden (const std::string& windowId, std::chrono::milliseconds timeout) const;

        // Test thread: whether the window exists and is mapped (viewable).
        // A look that fails without saying the window is gone is made again;
        // throws when none succeeds within toolTimeout.
        bool isWindowVisible (const std::string& windowId) const;

        // Test thread: position and size of the window; throws when the window
        // cannot be queried.
        Rectangle geometry (const std::string& windowId) const;

        // Test thread: moves the pointer and clicks (1 = left, 3 = right).
        void click (Point screen, int button = 1) const;

        // Test thread: moves the pointer without clicking.
        void moveMouse (Point screen) const;

        // Test thread: presses at `from`, moves to `to` in `steps` even steps
        // (sliders follow each move) and releases there.
        void drag (Point from, Point to, int steps = 10, int button = 1) const;

        // Test thread: gives the window the keyboard focus, then types the keys
        // in xdotool's notation ("Escape", "ctrl+q", "Down Down Return").
        void pressKeys (const std::string& windowId, const std::string& keys) const;

        // Test thread: runs `xdotool <arguments>` on this display; throws with
        // its output when it fails.
        ToolResult run (const std::vector<std::string>& arguments) const;

        // Test thread.
        const std::string& display() const noexcept { return displayName; }
        // Test thread: where the tools' output is kept.
        const std::filesystem::path& logs() const noexcept { return logDirectory; }

    private:
        std::string displayName;
        std::filesystem::path logDirectory;
    };
}
