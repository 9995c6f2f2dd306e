#include "CommandLineOptions.h"

#include "VelthornVersion.h"

std::optional<int> CommandLineOptions::answer (const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err)
{
    // The first argument that settles it wins, as in GNU programs: a valid
    // --help before a bad option still prints the help.
    for (const auto& argument : arguments)
    {
        if (argument == "--help" || argument == "-h")
        {
            std::fputs (helpText().c_str(), out);
            return done;
        }

        if (argument == "--version" || argument == "-V")
        {
            std::fputs (versionText().c_str(), out);
            return done;
        }

        std::fprintf (err, "Velthorn: %s '%s'\nTry 'Velthorn --help' for more information.\n",
                      argument.rfind ("-", 0) == 0 ? "unrecognized option" : "unexpected argument",
                      argument.c_str());
        return badCommandLine;
    }

    return std::nullopt;
}

std::string CommandLineOptions::helpText()
{
    return "Usage: Velthorn [OPTION]\n"
           "Guitar multi-effect: wah, distortion, amplifier with cabinet, delay and\n"
           "master volume, played live through an audio interface (ALSA or JACK).\n"
           "Choose the devices under File > Audio Settings; the choice is kept in\n"
           "~/.Velthorn/Velthorn.settings.\n"
           "\n"
           "  -h, --help     display this help and exit\n"
           "  -V, --version  output version information and exit\n"
           "\n"
           "Exit status: 0 when the window was closed normally, 1 when there is no\n"
           "display to show it on (DISPLAY unset or not answering), 2 for a bad\n"
           "command line.\n"
           "To process audio files offline, see velthorn-render(1).\n";
}

std::string CommandLineOptions::versionText()
{
    return std::string ("Velthorn ") + velthorn::versionString + "\n"
           "Copyright (C) 2026 The Velthorn developers\n"
           "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
           "This is free software: you are free to change and redistribute it.\n"
           "There is NO WARRANTY, to the extent permitted by law.\n";
}
