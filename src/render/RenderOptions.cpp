#include "RenderOptions.h"

#include "ParameterTable.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

namespace
{
    // Strict and locale-free: the whole text must be one finite number.
    std::optional<double> parseNumber (std::string_view text)
    {
        double value = 0.0;
        const auto* const end = text.data() + text.size();
        const auto [stop, error] = std::from_chars (text.data(), end, value);

        if (text.empty() || error != std::errc() || stop != end || ! std::isfinite (value))
            return std::nullopt;

        return value;
    }

    std::optional<long long> parseWholeNumber (std::string_view text)
    {
        long long value = 0;
        const auto* const end = text.data() + text.size();
        const auto [stop, error] = std::from_chars (text.data(), end, value);

        if (text.empty() || error != std::errc() || stop != end)
            return std::nullopt;

        return value;
    }

    std::string parseSetting (std::string_view text, RenderOptions::Setting& setting)
    {
        const auto equals = text.find ('=');

        if (equals == std::string_view::npos || equals == 0)
            return "--set takes NAME=VALUE, got '" + std::string (text) + "'";

        const auto name = text.substr (0, equals);
        const auto valueText = text.substr (equals + 1);
        const auto* const entry = ParameterTable::find (name);

        if (entry == nullptr)
            return "unknown parameter '" + std::string (name) + "' (known: " + ParameterTable::allNames() + ")";

        const auto value = parseNumber (valueText);

        if (! value.has_value() || ! ParameterTable::isAllowed (entry->kind, *value))
            return "--set " + std::string (name) + ": '" + std::string (valueText) + "' is not allowed, "
                 + std::string (name) + " takes " + ParameterTable::describeAllowedValues (entry->kind);

        setting.name = entry->name;
        setting.index = entry->index;
        setting.value = static_cast<float> (*value);
        return {};
    }

    bool takesValue (std::string_view option)
    {
        return option == "--set" || option == "--midi" || option == "--tail"
            || option == "--block" || option == "--bits" || option == "--oversample" || option == "--resampling";
    }

    bool isFlag (std::string_view option)
    {
        return option == "--progress" || option == "--quiet" || option == "--help" || option == "-h"
            || option == "--version" || option == "-V";
    }
}

std::string RenderOptions::parse (const std::vector<std::string>& arguments, RenderOptions& result)
{
    RenderOptions options;
    std::vector<std::string> positional;
    bool seenMidi = false, seenTail = false, seenBlock = false, seenBits = false, seenOversample = false;
    bool seenResampling = false;
    bool seenProgress = false, seenQuiet = false;
    bool optionsEnded = false;

    for (size_t i = 0; i < arguments.size(); ++i)
    {
        const std::string_view argument = arguments[i];

        if (optionsEnded || argument.size() < 2 || argument[0] != '-')
        {
            positional.emplace_back (argument);
            continue;
        }

        if (argument == "--")
        {
            optionsEnded = true;
            continue;
        }

        // Both "--block 64" and "--block=64".
        auto option = argument;
        std::optional<std::string_view> value;

        if (const auto equals = argument.find ('='); equals != std::string_view::npos && argument.substr (0, 2) == "--")
        {
            option = argument.substr (0, equals);
            value = argument.substr (equals + 1);
        }

        if (isFlag (option))
        {
            if (value.has_value())
                return std::string (option) + " takes no value";

            if (option == "--help" || option == "-h")
            {
                options.showHelp = true;
                result = options;
                return {};
            }

            if (option == "--version" || option == "-V")
            {
                options.showVersion = true;
                result = options;
                return {};
            }

            if (option == "--progress")
                seenProgress = true;
            else
                seenQuiet = true;

            continue;
        }

        if (! takesValue (option))
            return "unknown option '" + std::string (argument) + "' (see --help)";

        if (! value.has_value())
        {
            if (i + 1 >= arguments.size())
                return std::string (option) + " needs a value";

            value = arguments[++i];
        }

        const auto once = [&] (bool& seen) -> std::string
        {
            if (seen)
                return std::string (option) + " given more than once";

            seen = true;
            return {};
        };

        if (option == "--set")
        {
            Setting setting;

            if (auto error = parseSetting (*value, setting); ! error.empty())
                return error;

            options.settings.push_back (setting);
        }
        else if (option == "--midi")
        {
            if (auto error = once (seenMidi); ! error.empty())
                return error;

            if (value->empty())
                return "--midi needs a file name";

            options.midiPath = std::string (*value);
        }
        else if (option == "--tail")
        {
            if (auto error = once (seenTail); ! error.empty())
                return error;

            const auto seconds = parseNumber (*value);

            if (! seconds.has_value() || *seconds < 0.0 || *seconds > maximumTailSeconds)
                return "--tail takes seconds from 0 to " + std::to_string (static_cast<int> (maximumTailSeconds))
                     + ", got '" + std::string (*value) + "'";

            options.tailSeconds = *seconds;
        }
        else if (option == "--block")
        {
            if (auto error = once (seenBlock); ! error.empty())
                return error;

            const auto size = parseWholeNumber (*value);

            if (! size.has_value() || *size < 1 || *size > maximumBlockSize)
                return "--block takes a whole number of samples from 1 to " + std::to_string (maximumBlockSize)
                     + ", got '" + std::string (*value) + "'";

            options.blockSize = static_cast<int> (*size);
        }
        else if (option == "--bits")
        {
            if (auto error = once (seenBits); ! error.empty())
                return error;

            const auto bits = parseWholeNumber (*value);

            if (! bits.has_value() || (*bits != 16 && *bits != 24 && *bits != 32))
                return "--bits takes 16, 24 or 32, got '" + std::string (*value) + "'";

            options.requestedBits = static_cast<int> (*bits);
        }
        else if (option == "--oversample")
        {
            if (auto error = once (seenOversample); ! error.empty())
                return error;

            const auto factor = parseWholeNumber (*value);

            if (! factor.has_value() || (*factor != 1 && *factor != 2 && *factor != 4 && *factor != 8))
                return "--oversample takes 1, 2, 4 or 8, got '" + std::string (*value) + "'";

            options.oversampling = static_cast<int> (*factor);
        }
        else if (option == "--resampling")
        {
            if (auto error = once (seenResampling); ! error.empty())
                return error;

            if (*value == "linear-phase")
                options.resampling = Resampling::linearPhase;
            else if (*value == "low-latency")
                options.resampling = Resampling::lowLatency;
            else
                return "--resampling takes linear-phase or low-latency, got '" + std::string (*value) + "'";
        }
    }

    if (seenProgress && seenQuiet)
        return "--progress and --quiet contradict each other";

    options.progress = seenQuiet ? Progress::never : (seenProgress ? Progress::always : Progress::automatic);

    if (positional.size() < 2)
        return positional.empty() ? "missing INPUT and OUTPUT files (see --help)"
                                  : "missing OUTPUT file (see --help)";

    if (positional.size() > 2)
        return "unexpected argument '" + positional[2] + "' (see --help)";

    options.inputPath = positional[0];
    options.outputPath = positional[1];

    if (options.inputPath.empty() || options.outputPath.empty())
        return "file names must not be empty";

    if (auto error = OutputFormat::choose (options.outputPath, options.requestedBits, options.outputFormat); ! error.empty())
        return error;

    result = options;
    return {};
}

std::string RenderOptions::usage()
{
    return
        "usage: velthorn-render INPUT OUTPUT [--set NAME=VALUE]... [--midi FILE.mid] [--tail SECONDS]\n"
        "                       [--block N] [--bits 16|24|32] [--oversample 1|2|4|8]\n"
        "                       [--resampling linear-phase|low-latency] [--progress | --quiet]\n"
        "       velthorn-render --help | --version\n"
        "\n"
        "Runs the Velthorn effect engine over an audio file. All channels of INPUT are\n"
        "summed as on a live input; OUTPUT gets the same channel count and sample rate.\n"
        "\n"
        "  INPUT              WAV, AIFF, FLAC or Ogg Vorbis\n"
        "  OUTPUT             .wav (32-bit float unless --bits), .aif/.aiff and .flac\n"
        "                     (24-bit unless --bits 16), .ogg (Ogg Vorbis, no --bits).\n"
        "                     Written beside its final name first and moved into place\n"
        "                     only when complete; an existing file is replaced only then.\n"
        "  --set NAME=VALUE   set a parameter before processing; repeatable, a later one wins.\n"
        "                     Continuous, 0 to 1: delTme, delAm, wahFreq, wahRes, wahGain,\n"
        "                     distGain, distFreq, ampDrv, ampLo, ampMid, ampHi, mast.\n"
        "                     Switches, 0 or 1: delOn, wahOn, distOn, ampOn, mastOn.\n"
        "  --midi FILE.mid    play a Standard MIDI File (all tracks, with its tempo map)\n"
        "                     into the engine's MIDI input. An event at t seconds acts from\n"
        "                     sample round(t * rate) on, halves rounding up; events at or\n"
        "                     after the end of the output are dropped.\n"
        "  --tail SECONDS     append that much silence so echoes ring out (0 to 3600)\n"
        "  --block N          samples per engine callback, 1 to 65536 (default 512);\n"
        "                     the result does not depend on it\n"
        "  --bits 16|24|32    output sample depth (see OUTPUT)\n"
        "  --oversample 1|2|4|8\n"
        "                     run the chain at that many times the file's rate, with\n"
        "                     anti-aliased clipping: the same sound without the fizz of\n"
        "                     folded-back harmonics, at about that many times the cost.\n"
        "                     The resampler's delay is taken out, so the output still\n"
        "                     lines up with the input sample for sample. Default 1: the\n"
        "                     chain at the file's rate, as the live program runs it\n"
        "  --resampling linear-phase|low-latency\n"
        "                     the resampler's filters when oversampling. linear-phase\n"
        "                     (the default): the same delay at every frequency, taken out\n"
        "                     exactly, so the output lines up at every frequency.\n"
        "                     low-latency: the app's and the plugins' filters, for their\n"
        "                     output sample for sample; lined up at low frequencies, up\n"
        "                     to about a sample and a half late towards 20 kHz\n"
        "  --progress         always show progress on stderr\n"
        "  --quiet            show neither progress nor warnings\n"
        "  -h, --help         show this text and exit\n"
        "  -V, --version      show the version and exit\n"
        "\n"
        "Exit status: 0 done, 1 the render failed (files, formats), 2 bad command line.\n";
}
