#include "WindowIcon.h"

#include "VelthornIcon.h"

void WindowIcon::give (juce::Component& windowOnDesktop)
{
    // The icon goes to the window system (_NET_WM_ICON), for the task bar and
    // the window switcher; the framework-drawn title bar stays as it is.
    if (auto* peer = windowOnDesktop.getPeer())
        peer->setIcon (juce::ImageCache::getFromMemory (VelthornIcon::velthorn128_png, VelthornIcon::velthorn128_pngSize));
}
