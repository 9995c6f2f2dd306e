#pragma once

#include "ScreenGeometry.h"
#include "XdoTool.h"

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace e2e
{
    // A popup menu of the app, which the framework shows as a top-level
    // window of its own (named "menu") next to the pointer, drawn by its
    // default look: a 2-pixel border around rows stacked top to bottom, each
    // item 22 pixels high and each separator 10.
    //
    // An item is chosen as a person at the keyboard would: the pointer rests
    // on it until the menu shows it highlighted, then Return triggers it. A
    // click would need no keyboard, but the framework drops a click that comes
    // within 250 ms of the menu opening, and a test cannot see when that was.
    // Test thread only.
    class PopupMenuWindow final
    {
    public:
        enum class Row
        {
            item,
            separator
        };

        // Test thread: waits until the process shows one menu window, and
        // no other, whose height fits `rows`; throws if there is none such by
        // the deadline, saying what showed instead (a menu of other rows is a
        // different menu than the test expects).
        static PopupMenuWindow waitFor (const XdoTool& xdotool, pid_t pid, std::vector<Row> rows,
                                        std::chrono::milliseconds timeout);

        // Test thread: the X window id.
        const std::string& id() const noexcept { return windowId; }
        // Test thread: position and size on the screen.
        Rectangle geometry() const;

        // Test thread: where the item is, window-relative; items are counted
        // from 0 at the top, separators not counted.
        Rectangle itemArea (int itemIndex) const;

        // Test thread: whether a fresh picture of the menu shows the item
        // highlighted.
        bool isHighlighted (int itemIndex) const;

        // Test thread: points at the item, waits until it is highlighted, then
        // presses Return in keyWindowId, the window whose modal loop runs the
        // menu (the framework hands its keys to the menu). Throws when the
        // item does not highlight in time.
        void choose (int itemIndex, const std::string& keyWindowId, std::chrono::milliseconds timeout) const;

    private:
        PopupMenuWindow (XdoTool xdotool, std::string windowId, std::vector<Row> rows);

        // Window-relative area of a row, separators counted.
        Rectangle rowArea (size_t rowIndex) const;
        size_t rowOfItem (int itemIndex) const;

        XdoTool xdo;
        std::string windowId;
        std::vector<Row> rows;
        int width = 0;
    };
}
