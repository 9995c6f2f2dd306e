#include "PlatformHelpText.h"

// The framework's settings file on Windows: the user's application data
// folder, a folder named after the app, the app's name with the suffix.
const char* const PlatformHelpText::devicesAndSettings =
   #if JUCE_ASIO
    "master volume, played live through an audio interface (Windows Audio,\n"
    "DirectSound or ASIO). Choose the devices under File > Audio Settings; the\n"
   #else
    "master volume, played live through an audio interface (Windows Audio or\n"
    "DirectSound). Choose the devices under File > Audio Settings; the\n"
   #endif
    "choice is kept in %APPDATA%\\Velthorn\\Velthorn.settings.\n";

const char* const PlatformHelpText::exitStatus =
    "Exit status: 0 when the window was closed normally, 1 when the session has\n"
    "no screen to show it on, 2 for a bad command line.\n";

const char* const PlatformHelpText::rendererHelp = "velthorn-render --help";
