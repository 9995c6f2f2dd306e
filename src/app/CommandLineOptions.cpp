#include "CommandLineOptions.h"

#include "PlatformHelpText.h"
#include "VelthornVersion.h"

namespace
{
    const std::string oversampleOption = "--oversample";

    // The factor a value of --oversample names, or 0.
    int factorFrom (const std::string& value)
    {
        for (const int factor : { 1, 2, 4, 8 })
            if (value == std::to_string (factor))
                return factor;

        return 0;
    }

    // Whether arguments[i] is --oversample, with its value and how many
    // arguments the two take. `value` stays empty when it is missing.
    bool isOversampleOption (const std::vector<std::string>& arguments, size_t i, std::string& value, size_t& taken)
    {
        const auto& argument = arguments[i];

        if (argument.rfind (oversampleOption + "=", 0) == 0)
        {
            value = argument.substr (oversampleOption.size() + 1);
            taken = 1;
            return true;
        }

        if (argument != oversampleOption)
            return false;

        taken = i + 1 < arguments.size() ? 2 : 1;
        value = taken == 2 ? arguments[i + 1] : std::string();
        return true;
    }

    int complain (std::FILE* err, const std::string& complaint)
    {
        std::fprintf (err, "Velthorn: %s\nTry 'Velthorn --help' for more information.\n", complaint.c_str());
        return CommandLineOptions::badCommandLine;
    }
}

std::optional<int> CommandLineOptions::answer (const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err)
{
    bool oversampleGiven = false;

    // The first argument that settles it wins, as in GNU programs: a valid
    // --help before a bad option still prints the help.
    for (size_t i = 0; i < arguments.size(); ++i)
    {
        const auto& argument = arguments[i];
        std::string value;
        size_t taken = 0;

        if (isOversampleOption (arguments, i, value, taken))
        {
            if (taken == 1 && argument == oversampleOption)
                return complain (err, "option '" + oversampleOption + "' requires an argument");

            if (factorFrom (value) == 0)
                return complain (err, oversampleOption + " takes 1, 2, 4 or 8, not '" + value + "'");

            if (oversampleGiven)
                return complain (err, oversampleOption + " given more than once");

            oversampleGiven = true;
            i += taken - 1;
            continue;
        }

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

        return complain (err, (argument.rfind ("-", 0) == 0 ? "unrecognized option '" : "unexpected argument '")
                                  + argument + "'");
    }

    return std::nullopt;
}

int CommandLineOptions::oversampling (const std::vector<std::string>& arguments)
{
    for (size_t i = 0; i < arguments.size(); ++i)
    {
        std::string value;
        size_t taken = 0;

        if (isOversampleOption (arguments, i, value, taken))
        {
            if (const int factor = factorFrom (value); factor != 0)
                return factor;

            i += taken - 1;
        }
    }

    return 1;
}

std::string CommandLineOptions::helpText()
{
    return std::string ("Usage: Velthorn [OPTION]\n"
                        "Guitar multi-effect: wah, distortion, amplifier with cabinet, delay and\n")
           + PlatformHelpText::devicesAndSettings
           + "\n"
             "      --oversample N  run the effect chain at N (1, 2, 4 or 8) times the\n"
             "                      device rate: the same sound without the fizz of\n"
             "                      aliasing, for about N times the processing and a few\n"
             "                      samples more latency (default 1)\n"
             "  -h, --help          display this help and exit\n"
             "  -V, --version       output version information and exit\n"
             "\n"
           + PlatformHelpText::exitStatus
           + "To process audio files offline, see " + PlatformHelpText::rendererHelp + ".\n";
}

std::string CommandLineOptions::versionText()
{
    return std::string ("Velthorn ") + velthorn::versionString + "\n"
           "Copyright (C) 2026 The Velthorn developers\n"
           "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
           "This is free software: you are free to change and redistribute it.\n"
           "There is NO WARRANTY, to the extent permitted by law.\n";
}
