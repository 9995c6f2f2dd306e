#pragma once

#include "AppWindow.h"
#include "ScreenGeometry.h"
#include "Screenshot.h"

#include <filesystem>

namespace e2e
{
    // Test thread: whether the lamp of the switch at `switchBounds` (panel
    // coordinates) shows lit, yellow, in a picture of the panel.
    bool isLampLit (const Screenshot& panelPicture, Rectangle switchBounds);

    // Test thread: takes pictures of the panel's content (saved as pngFile)
    // until the lamp of the switch at `switchBounds` shows `lit`, or the
    // start-up deadline passes, and returns the last picture either way.
    Screenshot waitForLamp (const AppWindow& window, Rectangle switchBounds, bool lit, const std::filesystem::path& pngFile);

    // Test thread: waits until the panel shows the engine's start-up values
    // (the controls stand at their minimum and off until the panel's first
    // display tick; then the amp lamp lights) and returns that picture of
    // the content, saved as pngFile.
    Screenshot waitForStartUpValues (const AppWindow& window, const std::filesystem::path& pngFile);
}
