#include "OutputFormat.h"

#include "OutputFileCalls.h"

#include <algorithm>
#include <cctype>

namespace
{
    std::string lowerCaseExtension (std::string_view path)
    {
        const auto name = OutputFileCalls::nameOf (std::string (path));
        const auto dot = name.find_last_of ('.');

        // A leading dot names a hidden file, not an extension.
        if (dot == std::string::npos || dot == 0)
            return {};

        auto extension = name.substr (dot);
        std::transform (extension.begin(), extension.end(), extension.begin(),
                        [] (unsigned char c) { return static_cast<char> (std::tolower (c)); });
        return extension;
    }

    // Vorbis quality 0.8 of 0..1: roughly 256 kbit/s for stereo, plenty for a
    // preview of a rendered take.
    constexpr int vorbisQualityIndex = 8;
}

std::string OutputFormat::choose (std::string_view outputPath, int requestedBits, OutputFormat& result)
{
    const auto extension = lowerCaseExtension (outputPath);
    OutputFormat format;

    if (extension == ".wav")
    {
        format.container = Container::wav;
        format.bitsPerSample = requestedBits != 0 ? requestedBits : 32;

        if (format.bitsPerSample != 16 && format.bitsPerSample != 24 && format.bitsPerSample != 32)
            return "WAV output takes --bits 16, 24 or 32";
    }
    else if (extension == ".aif" || extension == ".aiff" || extension == ".flac")
    {
        // JUCE writes AIFF and FLAC as integers only, so the deepest lossless
        // choice, 24 bits, is their default.
        const bool isFlac = extension == ".flac";
        format.container = isFlac ? Container::flac : Container::aiff;
        format.bitsPerSample = requestedBits != 0 ? requestedBits : 24;

        if (format.bitsPerSample != 16 && format.bitsPerSample != 24)
            return std::string (isFlac ? "FLAC" : "AIFF")
                 + " output takes --bits 16 or 24 (32-bit float needs a .wav output)";
    }
    else if (extension == ".ogg")
    {
        format.container = Container::oggVorbis;
        format.bitsPerSample = 32;

        if (requestedBits != 0)
            return "Ogg Vorbis output is lossy and has no bit depth: leave out --bits";
    }
    else
    {
        return "cannot tell the output format from '" + std::string (outputPath)
             + "': name it .wav, .aif, .aiff, .flac or .ogg";
    }

    result = format;
    return {};
}

std::string OutputFormat::describe() const
{
    switch (container)
    {
        case Container::wav:       return bitsPerSample == 32 ? "32-bit float WAV" : std::to_string (bitsPerSample) + "-bit WAV";
        case Container::aiff:      return std::to_string (bitsPerSample) + "-bit AIFF";
        case Container::flac:      return std::to_string (bitsPerSample) + "-bit FLAC";
        case Container::oggVorbis: return "Ogg Vorbis";
    }

    return {};
}

bool OutputFormat::clipsAtFullScale() const
{
    return ! (container == Container::wav && bitsPerSample == 32);
}

std::unique_ptr<juce::AudioFormat> OutputFormat::createAudioFormat() const
{
    switch (container)
    {
        case Container::wav:       return std::make_unique<juce::WavAudioFormat>();
        case Container::aiff:      return std::make_unique<juce::AiffAudioFormat>();
        case Container::flac:      return std::make_unique<juce::FlacAudioFormat>();
        case Container::oggVorbis: return std::make_unique<juce::OggVorbisAudioFormat>();
    }

    return {};
}

int OutputFormat::qualityOptionIndex() const
{
    switch (container)
    {
        case Container::flac:      return 5;   // libFLAC's own default level
        case Container::oggVorbis: return vorbisQualityIndex;
        case Container::wav:
        case Container::aiff:      break;
    }

    return 0;
}
