#include "PlatformHelpText.h"

const char* const PlatformHelpText::devicesAndSettings =
    "master volume, played live through an audio interface (ALSA or JACK).\n"
    "Choose the devices under File > Audio Settings; the choice is kept in\n"
    "~/.Velthorn/Velthorn.settings.\n";

const char* const PlatformHelpText::exitStatus =
    "Exit status: 0 when the window was closed normally, 1 when there is no\n"
    "display to show it on (DISPLAY unset or not answering), 2 for a bad\n"
    "command line.\n";

const char* const PlatformHelpText::rendererHelp = "velthorn-render(1)";
