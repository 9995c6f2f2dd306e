#include "WindowIcon.h"

#if defined (_WIN32)

void WindowIcon::give (juce::Component&)
{
    // The framework's window class takes the icon of the program file (the
    // resource IDI_ICON1), in the sizes the system asks for, so every window
    // has it already; a picture set here would replace those with a scaled
    // copy of one size.
}

#else

#include "VelthornIcon.h"

void WindowIcon::give (juce::Component& windowOnDesktop)
{
    // The icon goes to the window system (_NET_WM_ICON), for the task bar and
    // the window switcher; the framework-drawn title bar stays as it is.
    if (auto* peer = windowOnDesktop.getPeer())
        peer->setIcon (juce::ImageCache::getFromMemory (VelthornIcon::velthorn128_png, VelthornIcon::velthorn128_pngSize));
}

#endif
