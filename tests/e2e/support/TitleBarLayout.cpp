#include "TitleBarLayout.h"

#include <stdexcept>
#include <string>

namespace e2e
{
    TitleBarLayout TitleBarLayout::forWindow (int windowWidth, int windowHeight, int contentWidth, int contentHeight)
    {
        TitleBarLayout layout;
        layout.border = (windowWidth - contentWidth) / 2;
        layout.titleBarHeight = windowHeight - contentHeight - 2 * layout.border;

        if (layout.border < 0 || windowWidth - contentWidth != 2 * layout.border || layout.titleBarHeight <= 0)
            throw std::runtime_error ("a " + std::to_string (windowWidth) + "x" + std::to_string (windowHeight)
                                      + " window cannot hold a " + std::to_string (contentWidth) + "x"
                                      + std::to_string (contentHeight) + " content under a title bar");

        const int b = layout.border;
        const int h = layout.titleBarHeight;
        layout.titleBar = { b, b, windowWidth - 2 * b, h };
        layout.content = { b, b + h, contentWidth, contentHeight };

        const int buttonWidth = h - h / 8;
        const int closeX = layout.titleBar.x + layout.titleBar.width - buttonWidth - buttonWidth / 4;
        layout.closeButton = { closeX, b, buttonWidth, h };
        layout.minimiseButton = { closeX - (buttonWidth + buttonWidth / 4), b, buttonWidth, h };
        return layout;
    }
}
