#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

// The options Velthorn answers on the command line, before the framework
// starts: --help and --version print and end the process without opening a
// display or an audio device, so they work on a console, over ssh and in a
// package's build. --oversample N (or --oversample=N) lets the app start
// with the chain at N times the device rate. Any other option is refused the
// GNU way.
class CommandLineOptions final
{
public:
    enum ExitStatus
    {
        done = 0,
        badCommandLine = 2
    };

    // Process entry, before the framework starts. Given the arguments after
    // the program name, prints what they ask for to `out` (or the complaint
    // to `err`) and returns the exit status when the process should end
    // there; returns nothing when the app should start.
    static std::optional<int> answer (const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err);

    // Any thread: the oversampling factor arguments that answer() let the app
    // start with ask for: N from --oversample N, 1 without it.
    static int oversampling (const std::vector<std::string>& arguments);

    // Any thread: the text --help prints.
    static std::string helpText();

    // Any thread: the text --version prints.
    static std::string versionText();
};
