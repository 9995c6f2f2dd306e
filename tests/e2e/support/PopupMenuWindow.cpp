#include "PopupMenuWindow.h"

#include "Polling.h"
#include "Screenshot.h"

#include <cstdlib>
#include <optional>
#include <stdexcept>

namespace e2e
{
    namespace
    {
        // The framework's default look for a menu without a standard item
        // height: items as high as 1.3 times its 17-pixel menu font, rounded;
        // separators a fixed 10; a 2-pixel border all round.
        constexpr int borderSize = 2;
        constexpr int itemHeight = 22;
        constexpr int separatorHeight = 10;

        // A highlighted row differs from a plain one by far more than this in
        // at least one channel (dark slate against slate in the default look).
        constexpr int highlightTolerance = 8;

        int heightOf (PopupMenuWindow::Row row)
        {
            return row == PopupMenuWindow::Row::item ? itemHeight : separatorHeight;
        }

        bool differ (Rgb a, Rgb b)
        {
            return std::abs (a.red - b.red) > highlightTolerance
                   || std::abs (a.green - b.green) > highlightTolerance
                   || std::abs (a.blue - b.blue) > highlightTolerance;
        }
    }

    PopupMenuWindow::PopupMenuWindow (XdoTool xdotool, std::string id, std::vector<Row> menuRows)
        : xdo (std::move (xdotool)), windowId (std::move (id)), rows (std::move (menuRows))
    {
    }

    PopupMenuWindow PopupMenuWindow::waitFor (const XdoTool& xdotool, pid_t pid, std::vector<Row> rows,
                                              std::chrono::milliseconds timeout)
    {
        // Telling a highlighted row from a plain one needs at least two other
        // rows: only one can be highlighted at a time.
        if (rows.size() < 3)
            throw std::invalid_argument ("a menu needs at least three rows to tell which one is highlighted");

        int expectedHeight = 2 * borderSize;
        for (const auto row : rows)
            expectedHeight += heightOf (row);

        // The menu the test opened is the process's only menu, at the height
        // of its rows. Until then what shows may be the menu before it, still
        // closing, or this one before the framework has sized it: those are
        // waited out, not measured.
        std::string lastSeen = "no menu window";
        std::optional<std::string> found;

        pollUntil (timeout, [&]
        {
            const auto menus = xdotool.findVisibleWindows (pid, "^menu$");

            if (menus.size() != 1)
            {
                lastSeen = std::to_string (menus.size()) + " menu windows";
                return false;
            }

            Rectangle g;

            try
            {
                g = xdotool.geometry (menus.front());
            }
            catch (const std::runtime_error& e)
            {
                lastSeen = "a menu window that could not be measured: " + std::string (e.what());
                return false;
            }

            if (g.height != expectedHeight)
            {
                lastSeen = "a popup menu " + std::to_string (g.height) + " pixels high, not the " + std::to_string (expectedHeight)
                           + " its " + std::to_string (rows.size()) + " rows take in the framework's default look";
                return false;
            }

            found = menus.front();
            return true;
        });

        if (! found.has_value())
            throw std::runtime_error ("no popup menu of " + std::to_string (rows.size()) + " rows showed within "
                                      + std::to_string (timeout.count()) + " ms; last seen: " + lastSeen);

        PopupMenuWindow menu (xdotool, *found, std::move (rows));
        menu.width = menu.geometry().width;
        return menu;
    }

    Rectangle PopupMenuWindow::geometry() const
    {
        return xdo.geometry (windowId);
    }

    Rectangle PopupMenuWindow::rowArea (size_t rowIndex) const
    {
        int y = borderSize;

        for (size_t i = 0; i < rowIndex; ++i)
            y += heightOf (rows[i]);

        return { borderSize, y, width - 2 * borderSize, heightOf (rows[rowIndex]) };
    }

    size_t PopupMenuWindow::rowOfItem (int itemIndex) const
    {
        int items = 0;

        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i] == Row::item && items++ == itemIndex)
                return i;

        throw std::out_of_range ("the menu has no item " + std::to_string (itemIndex));
    }

    Rectangle PopupMenuWindow::itemArea (int itemIndex) const
    {
        return rowArea (rowOfItem (itemIndex));
    }

    bool PopupMenuWindow::isHighlighted (int itemIndex) const
    {
        const auto target = rowOfItem (itemIndex);
        const auto shot = Screenshot::capture (xdo.display(), windowId, xdo.logs() / "popup-menu.png", xdo.logs());

        // Probed near the right end of each row, where no item text reaches,
        // so only the row's background counts; a separator's line lies in its
        // middle, so its probe is just under its top.
        const auto probe = [&] (size_t row)
        {
            const auto area = rowArea (row);
            const int x = area.x + area.width - 8;
            const int y = rows[row] == Row::item ? area.y + area.height / 2 : area.y + 1;
            return shot.pixel (x, y);
        };

        const auto targetColour = probe (target);

        for (size_t row = 0; row < rows.size(); ++row)
            if (row != target && ! differ (probe (row), targetColour))
                return false;

        return true;
    }

    void PopupMenuWindow::choose (int itemIndex, const std::string& keyWindowId, std::chrono::milliseconds timeout) const
    {
        const auto area = itemArea (itemIndex);
        const auto g = geometry();
        xdo.moveMouse ({ g.x + area.x + area.width / 2, g.y + area.y + area.height / 2 });

        if (! pollUntil (timeout, [&] { return isHighlighted (itemIndex); }))
            throw std::runtime_error ("menu item " + std::to_string (itemIndex) + " did not highlight under the pointer within "
                                      + std::to_string (timeout.count()) + " ms");

        xdo.pressKeys (keyWindowId, "Return");
    }
}
