#include "InputAudio.h"

#include "FileKind.h"
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

    bool isWav (juce::InputStream& stream)
    {
        char magic[12] = {};
        stream.setPosition (0);
        const auto got = stream.read (magic, sizeof (magic));
        stream.setPosition (0);

        return got == 12 && (std::memcmp (magic, "RIFF", 4) == 0 || std::memcmp (magic, "RF64", 4) == 0)
            && std::memcmp (magic + 8, "WAVE", 4) == 0;
    }

    // The framework's AIFF reader takes the length from the COMM chunk and
    // reads the audio from where the SSND chunk's offset field points, with
    // no check that this is inside the chunk or even the file (with no SSND
    // chunk, from an offset nothing set). The walk over the chunks here
    // finds where the sound data really is: from `start` up to `end`.
    struct SoundData
    {
        juce::int64 start = -1;
        juce::int64 end = -1;
        bool otherChunkPastEnd = false;
    };

    SoundData findAiffSoundData (juce::InputStream& stream)
    {
        SoundData sound;
        char header[12] = {};
        stream.setPosition (0);

        if (stream.read (header, 12) != 12 || std::memcmp (header, "FORM", 4) != 0)
            return sound;

        const auto total = stream.getTotalLength();

        for (juce::int64 position = 12; position + 8 <= total;)
        {
            char chunkHeader[16] = {};

            if (! stream.setPosition (position) || stream.read (chunkHeader, 16) < 8)
                break;

            const auto size = static_cast<juce::int64> (juce::ByteOrder::bigEndianInt (chunkHeader + 4));

            if (std::memcmp (chunkHeader, "SSND", 4) == 0)
            {
                // The offset is unsigned here; the framework reads it signed.
                const auto offset = static_cast<juce::int64> (juce::ByteOrder::bigEndianInt (chunkHeader + 8));
                sound.start = offset <= 0x7fffffff ? position + 16 + offset : -1;
                sound.end = std::min (position + 8 + size, total);
            }
            else if (position + 8 + size > total)
            {
                // The framework allocates what some chunks' sizes say.
                sound.otherChunkPastEnd = true;
            }

            position += 8 + size + (size & 1);
        }

        stream.setPosition (0);
        return sound;
    }

    // What the framework's WAV reader would get wrong or refuse without
    // saying why. Narrow integer samples (12 bits in 16, 20 in 24) are
    // stored in the top bits of their container, so the header is shown to
    // the reader as the container's width: the same bytes, the same values.
    std::string checkWav (WatchedInputStream& stream)
    {
        WavFormatInfo info;

        const bool hasFormat = WavFormatInfo::read (stream, info);

        // Checked first: the framework's reader allocates and walks what such
        // a chunk's size says (a 'smpl' chunk claiming a gigabyte of loops
        // keeps it busy for minutes), format chunk or not.
        if (! info.chunkPastEnd.empty())
            return "is damaged: its '" + info.chunkPastEnd + "' chunk runs past the end of the file";

        if (! hasFormat)
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

    // Checked before opening it: a named pipe would wait for a writer.
    if (! S_ISREG (info.st_mode))
        return shown + " is not a regular file (it is " + FileKind::describe (info.st_mode)
             + "); audio is read from files only";

    // The framework's streams only say "no"; ask the system why first.
    const auto probe = ::open (path.c_str(), O_RDONLY);

    if (probe < 0)
        return "cannot open " + shown + ": " + std::strerror (errno);

    ::close (probe);

    const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (juce::String (path));
    const auto openStream = [file]() -> std::unique_ptr<juce::InputStream>
    {
        auto stream = std::make_unique<juce::FileInputStream> (file);
        return stream->failedToOpen() ? nullptr : std::move (stream);
    };

    return open (openStream, shown, result);
}

std::string InputAudio::open (const StreamOpener& openStream, const std::string& shown, std::unique_ptr<InputAudio>& result)
{
    auto source = openStream();

    if (source == nullptr)
        return "cannot open " + shown;

    auto watched = std::make_unique<WatchedInputStream> (std::move (source));
    auto& stream = *watched;
    const auto damaged = shown + " is damaged: ";

    // The framework's WAV reader wants the RIFF header at the start; the
    // others skip what comes before their own, so the checks below go by
    // the reader that took the file, not by its first bytes.
    if (isWav (stream))
        if (auto problem = checkWav (stream); ! problem.empty())
            return shown + " " + problem;

    // Likewise the AIFF reader wants FORM at the start.
    const auto sound = findAiffSoundData (stream);

    if (sound.otherChunkPastEnd)
        return damaged + "one of its chunks runs past the end of the file";

    // The readers start where the stream stands.
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

    const auto format = reader->getFormatName();

    if (format == "FLAC file" || format == "Ogg-Vorbis file")
    {
        // Read on a stream of their own: the reader's is in use.
        auto checked = openStream();

        if (checked == nullptr)
            return "cannot open " + shown;

        if (format == "FLAC file")
        {
            const auto flac = FlacStreamCheck::run (*checked);

            if (auto problem = flac.problem(); ! problem.empty())
                return damaged + problem;

            // The framework keeps only 32 bits of the length; whatever it
            // keeps must have decoded.
            if (reader->lengthInSamples > flac.decodedSamples)
                return damaged + "its header announces " + std::to_string (reader->lengthInSamples)
                     + " samples but it holds " + std::to_string (flac.decodedSamples);
        }
        else if (auto problem = OggStreamCheck::run (*checked); ! problem.empty())
        {
            return damaged + problem;
        }
    }
    else if (format != "WAV file" && format != "AIFF file")
    {
        return shown + " is in a format (" + format.toStdString() + ") that cannot be checked for damage";
    }

    if (format == "AIFF file")
    {
        const auto bits = static_cast<int> (reader->bitsPerSample);

        if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
            return shown + " is a " + std::to_string (bits) + "-bit AIFF; that is not supported";

        const auto bytes = reader->lengthInSamples * static_cast<juce::int64> (reader->numChannels) * (bits / 8);

        if (bytes > 0 && (sound.start < 0 || sound.start + bytes > sound.end))
            return damaged + "it holds less audio than its header announces";
    }

    const bool exact = format == "WAV file" || format == "AIFF file";
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
