#include "AppWindow.h"

#include "Polling.h"

namespace e2e
{
    AppWindow::AppWindow (XdoTool xdotool, std::string id, int width, int height)
        : xdo (std::move (xdotool)), windowId (std::move (id)), contentWidth (width), contentHeight (height)
    {
    }

    Rectangle AppWindow::geometry() const
    {
        return xdo.geometry (windowId);
    }

    TitleBarLayout AppWindow::layout() const
    {
        const auto g = geometry();
        return TitleBarLayout::forWindow (g.width, g.height, contentWidth, contentHeight);
    }

    Point AppWindow::windowToScreen (Point windowPoint) const
    {
        const auto g = geometry();
        return { g.x + windowPoint.x, g.y + windowPoint.y };
    }

    Point AppWindow::contentToScreen (Point contentPoint) const
    {
        const auto content = layout().content;
        return windowToScreen ({ content.x + contentPoint.x, content.y + contentPoint.y });
    }

    void AppWindow::clickContent (Point contentPoint, int button) const
    {
        xdo.click (contentToScreen (contentPoint), button);
    }

    void AppWindow::moveMouseToContent (Point contentPoint) const
    {
        xdo.moveMouse (contentToScreen (contentPoint));
    }

    void AppWindow::dragContent (Point from, Point to, int steps) const
    {
        xdo.drag (contentToScreen (from), contentToScreen (to), steps);
    }

    void AppWindow::clickCloseButton() const
    {
        xdo.click (windowToScreen (layout().closeButton.centre()));
    }

    void AppWindow::clickMinimiseButton() const
    {
        xdo.click (windowToScreen (layout().minimiseButton.centre()));
    }

    void AppWindow::pressKeys (const std::string& keys) const
    {
        xdo.pressKeys (windowId, keys);
    }

    Screenshot AppWindow::screenshot (const std::filesystem::path& pngFile) const
    {
        return Screenshot::capture (xdo.display(), windowId, pngFile, xdo.logs());
    }

    Screenshot AppWindow::screenshotOfContent (const std::filesystem::path& pngFile) const
    {
        const auto whole = screenshot (xdo.logs() / (pngFile.stem().string() + "-whole-window.png"));
        return whole.cropped (layout().content, pngFile, xdo.logs());
    }

    bool AppWindow::waitUntilDrawn (std::chrono::milliseconds timeout) const
    {
        const auto probeFile = xdo.logs() / "first-paint-probe.png";

        return pollUntil (timeout, [&]
        {
            const auto shot = screenshot (probeFile);
            const Rectangle whole { 0, 0, shot.width(), shot.height() };
            return shot.width() > 0 && shot.countPixelsDifferentFrom (whole, shot.pixel (0, 0), 0) > 0;
        });
    }
}
