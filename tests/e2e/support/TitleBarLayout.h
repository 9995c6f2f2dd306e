#pragma once

#include "ScreenGeometry.h"

namespace e2e
{
    // Where the framework's own window frame puts things, in window-relative
    // pixels, worked out from the window's outer size and its content size.
    //
    // The app keeps the framework's title bar (not a native one) and its
    // default look-and-feel, which frames the content with an equal border on
    // every side, puts the title bar above the content, and right-aligns the
    // title-bar buttons: each button is (h - h/8) wide for a bar h high, the
    // close button ends a quarter of a button short of the right edge, and the
    // next button (minimise, as there is no maximise) sits a quarter button
    // to its left.
    struct TitleBarLayout final
    {
        int border = 0;
        int titleBarHeight = 0;
        Rectangle titleBar;
        Rectangle content;
        Rectangle closeButton;
        Rectangle minimiseButton;

        // Any thread: throws std::runtime_error when the sizes cannot belong to
        // such a window (content larger than the window, no title bar).
        static TitleBarLayout forWindow (int windowWidth, int windowHeight, int contentWidth, int contentHeight);
    };
}
