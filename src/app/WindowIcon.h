#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The icon the task bar and the window switcher show for a window of the app.
class WindowIcon final
{
public:
    // Message thread: gives the window on the desktop its icon.
    static void give (juce::Component& windowOnDesktop);

    WindowIcon() = delete;
};
