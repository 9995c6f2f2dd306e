#pragma once

// The parts of --help that differ between systems: the device types a
// guitarist meets and where the chosen devices are kept.
struct PlatformHelpText final
{
    // Lines that end "...an audio interface" with the device types and say
    // where the device choice is kept, each ending with a newline.
    static const char* const devicesAndSettings;
    // The exit codes, ending with a newline: when there is no screen to
    // show the window on differs between systems.
    static const char* const exitStatus;
    // How to reach the renderer's own help.
    static const char* const rendererHelp;

    PlatformHelpText() = delete;
};
