#pragma once

#include <string>

// Whether there is a screen to open the main window on. Without one the
// framework's window code has nothing to measure and crashes as the window
// is centred; the app says why and ends instead, before it has read or
// written any setting or opened an audio device.
class DisplayCheck final
{
public:
    // Message thread, once the framework runs: empty when a display is
    // there, otherwise the one-line reason ("cannot open display ...").
    static std::string problem();

    DisplayCheck() = delete;
};
