#include "InputAudio.h"

#include "FlacStreamCheck.h"
#include "OggStreamCheck.h"
#include "WatchedInputStream.h"
#include "WavFormatInfo.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <iomanip>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
    // 44100 as "44100", 44100.5 as "44100.5".
    std::string formatHz (double rate)
    {
        std::ostringstream text;
        text << std::setprecision (10) << rate;
        return text.str();
    }

    std::string rateProblem (double rate)
    {
        if (std::isfinite (rate) && rate >= InputAudio::minimumSampleRate && rate <= InputAudio::maximumSampleRate)
            return {};

        return "has a sample rate of " + formatHz (rate) + " Hz; from "
             + std::to_string (static_cast<int> (InputAudio::minimumSampleRate)) + " to "
             + std::to_string (static_cast<int> (InputAudio::maximumSampleRate)) + " Hz can be rendered";
    }

    std::string channelProblem (juce::int64 channels)
    {
        if (channels >= 1 && channels <= InputAudio::maximumChannels)
            return {};

        return "has " + std::to_string (channels) + " channels; 1 to " + std::to_string (InputAudio::maximumChannels)
             + " can be rendered";
    }

    enum class Container
    {
        wav,
        aiff,
        flac,
        ogg,
        other
    };

    Container sniff (juce::InputStream& stream)
    {
        char magic[12] = {};
        stream.setPosition (0);
        const auto got = stream.read (magic, sizeof (magic));
        stream.setPosition (0);

        const auto is = [&] (int offset, const char* tag)
        { return got >= offset + 4 && std::memcmp (magic + offset, tag, 4) == 0; };

        if ((is (0, "RIFF") || is (0, "RF64")) && is (8, "WAVE"))
            return Container::wav;

        if (is (0, "FORM") && (is (8, "AIFF") || is (8, "AIFC")))
            return Container::aiff;

        if (is (0, "fLaC"))
            return Container::flac;

        if (is (0, "OggS"))
            return Container::ogg;

        return Container::other;
    }

    // What the framework's WAV reader would get wrong or refuse without
    // saying why. Narrow integer samples (12 bits in 16, 20 in 24) are
    // stored in the top bits of their container, so the header is shown to
    // the reader as the container's width: the same bytes, the same values.
    std::string checkWav (WatchedInputStream& stream)
    {
        WavFormatInfo info;

        if (! WavFormatInfo::read (stream, info))
            return {};   // the reader gives the generic message

        if (auto problem = channelProblem (info.channels); ! problem.empty())
            return problem;

        if (auto problem = rateProblem (info.sampleRate); ! problem.empty())
            return problem;

        if (info.isFloat && info.bitsPerSample != 32)
            return "is a " + std::to_string (info.bitsPerSample) + "-bit float WAV; " + std::to_string (info.bitsPerSample)
                 + "-bit float WAV is not supported";

        if (info.isPcm)
        {
            const auto containerBits = info.blockAlign % info.channels == 0 ? 8 * (info.blockAlign / info.channels) : 0;

            if (info.bitsPerSample == containerBits && (containerBits == 8 || containerBits == 16 || containerBits == 24 || containerBits == 32))
                return {};

            if (info.bitsPerSample > 8 && info.bitsPerSample < containerBits && (containerBits == 16 || containerBits == 24 || containerBits == 32))
            {
                juce::MemoryBlock bits (2);
                bits[0] = static_cast<char> (containerBits);
                bits[1] = 0;
                stream.replaceBytes (info.bitsFieldPosition, bits);
                return {};
            }

            return "is a " + std::to_string (info.bitsPerSample) + "-bit WAV in " + std::to_string (containerBits)
                 + "-bit frames per channel; that layout is not supported";
        }

        return {};
    }
}

InputAudio::InputAudio (std::unique_ptr<juce::AudioFormatReader> readerToUse, WatchedInputStream& streamToWatch,
                        std::string shownName, bool exact)
    : reader (std::move (readerToUse)),
      stream (streamToWatch),
      shown (std::move (shownName)),
      readsAreExact (exact)
{
}

InputAudio::~InputAudio() = default;

std::string InputAudio::open (const std::string& path, std::unique_ptr<InputAudio>& result)
{
    const auto shown = "input '" + path + "'";
    struct stat info {};

    if (::stat (path.c_str(), &info) != 0)
        return "cannot open " + shown + ": " + std::strerror (errno);

    if (S_ISDIR (info.st_mode))
        return shown + " is a directory";

    // The framework's streams only say "no"; ask the system why first.
    const auto probe = ::open (path.c_str(), O_RDONLY);

    if (probe < 0)
        return "cannot open " + shown + ": " + std::strerror (errno);

    ::close (probe);

    auto file = std::make_unique<juce::FileInputStream> (
        juce::File::getCurrentWorkingDirectory().getChildFile (juce::String (path)));

    if (file->failedToOpen())
        return "cannot open " + shown + ": " + file->getStatus().getErrorMessage().toStdString();

    return open (std::move (file), shown, result);
}

std::string InputAudio::open (std::unique_ptr<juce::InputStream> source, const std::string& shown,
                              std::unique_ptr<InputAudio>& result)
{
    auto watched = std::make_unique<WatchedInputStream> (std::move (source));
    auto& stream = *watched;
    const auto container = sniff (stream);
    const auto damaged = shown + " is damaged: ";
    FlacStreamCheck flac;

    switch (container)
    {
        case Container::wav:
            if (auto problem = checkWav (stream); ! problem.empty())
                return shown + " " + problem;
            break;

        case Container::flac:
            flac = FlacStreamCheck::run (stream);

            if (auto problem = flac.problem(); ! problem.empty())
                return damaged + problem;
            break;

        case Container::ogg:
            if (auto problem = OggStreamCheck::run (stream); ! problem.empty())
                return damaged + problem;
            break;

        case Container::aiff:
        case Container::other:
            break;
    }

    stream.setPosition (0);

    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (std::move (watched)));

    if (reader == nullptr)
        return shown + " is not a WAV, AIFF, FLAC or Ogg Vorbis file, or it is damaged";

    if (auto problem = rateProblem (reader->sampleRate); ! problem.empty())
        return shown + " " + problem;

    if (auto problem = channelProblem (static_cast<juce::int64> (reader->numChannels)); ! problem.empty())
        return shown + " " + problem;

    if (reader->lengthInSamples < 0)
        return damaged + "it has a negative length";

    // The framework keeps only 32 bits of a FLAC length; whatever it keeps
    // must have decoded.
    if (container == Container::flac && reader->lengthInSamples > flac.decodedSamples)
        return damaged + "its header announces " + std::to_string (reader->lengthInSamples) + " samples but it holds "
             + std::to_string (flac.decodedSamples);

    const bool exact = container == Container::wav || container == Container::aiff;
    std::unique_ptr<InputAudio> input (new InputAudio (std::move (reader), stream, shown, exact));

    // Uncompressed audio is where the header says; reading the last frame
    // tells whether all of it is in the file, whatever else the file holds.
    if (exact && input->lengthInSamples() > 0)
    {
        juce::AudioBuffer<float> last (input->numChannels(), 1);

        if (auto problem = input->read (last.getArrayOfWritePointers(), input->lengthInSamples() - 1, 1); ! problem.empty())
            return problem;
    }

    result = std::move (input);
    return {};
}

std::string InputAudio::read (float* const* destination, juce::int64 start, int numSamples)
{
    stream.clearShortReads();

    if (! reader->read (destination, numChannels(), start, numSamples))
        return "cannot read " + shown + ": it is damaged";

    if (readsAreExact && stream.hadShortRead())
        return shown + " is damaged: it holds less audio than its header announces";

    return {};
}
