#pragma once

#include "OutputFormat.h"
#include "Resampling.h"

#include <string>
#include <vector>

// Everything the command line says, checked and ready to use. Parsing has no
// side effects: it neither touches files nor prints, so every rule is tested
// on its own.
struct RenderOptions final
{
    enum class Progress
    {
        automatic,   // a bar when stderr is a terminal and the render takes a while
        always,      // --progress
        never        // --quiet
    };

    struct Setting
    {
        std::string name;
        int index = 0;       // AudioMidiHandler::setParameter index
        float value = 0.0f;
    };

    static constexpr int defaultBlockSize = 512;
    static constexpr int maximumBlockSize = 65536;
    static constexpr double maximumTailSeconds = 3600.0;

    // Any thread. Parses the arguments after the program name into `result`.
    // Returns a one-line reason on a bad command line, else an empty string.
    static std::string parse (const std::vector<std::string>& arguments, RenderOptions& result);

    // Any thread. The text --help prints.
    static std::string usage();

    std::string inputPath;
    std::string outputPath;
    std::string midiPath;                 // empty: no MIDI
    std::vector<Setting> settings;        // in command-line order; a later one wins
    double tailSeconds = 0.0;
    int blockSize = defaultBlockSize;
    int oversampling = 1;                 // the chain at 1, 2, 4 or 8 times the file's rate
    Resampling resampling = Resampling::linearPhase;   // the filters of an oversampled chain
    int requestedBits = 0;                // 0: the output format's default
    OutputFormat outputFormat;
    Progress progress = Progress::automatic;
    bool showHelp = false;
    bool showVersion = false;
};
