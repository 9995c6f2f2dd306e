// Any bytes as the renderer's input file, through the renderer's own reading
// code: either a one-line refusal, or a file whose every announced sample
// reads, never more audio than the bytes can hold.

#include "FlacStreamCheck.h"
#include "InputAudio.h"

#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{
    void fail (const char* what, long long a = 0, long long b = 0)
    {
        std::fprintf (stderr, "input_audio_fuzzer: %s (%lld, %lld)\n", what, a, b);
        std::abort();
    }

    struct Bytes
    {
        const uint8_t* data;
        size_t size;
        size_t position = 0;
    };

    size_t readBytes (void* destination, size_t size, size_t count, void* source)
    {
        auto& bytes = *static_cast<Bytes*> (source);
        const auto wanted = size * count;
        const auto got = std::min (wanted, bytes.size - bytes.position);
        std::memcpy (destination, bytes.data + bytes.position, got);
        bytes.position += got;
        return size == 0 ? 0 : got / size;
    }

    int seekBytes (void* source, ogg_int64_t offset, int whence)
    {
        auto& bytes = *static_cast<Bytes*> (source);
        const auto base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<ogg_int64_t> (bytes.position)
                                                                      : static_cast<ogg_int64_t> (bytes.size);
        const auto target = base + offset;

        if (target < 0 || target > static_cast<ogg_int64_t> (bytes.size))
            return -1;

        bytes.position = static_cast<size_t> (target);
        return 0;
    }

    long tellBytes (void* source)
    {
        return static_cast<long> (static_cast<Bytes*> (source)->position);
    }

    // Samples per channel that libvorbisfile decodes from the bytes, read
    // straight through; -1 when it cannot open them.
    long long vorbisSamples (const uint8_t* data, size_t size)
    {
        Bytes bytes { data, size };
        OggVorbis_File file;
        const ov_callbacks callbacks { readBytes, seekBytes, nullptr, tellBytes };

        if (ov_open_callbacks (&bytes, &file, nullptr, 0, callbacks) != 0)
            return -1;

        long long total = 0;

        for (int attempts = 0; attempts < 1000000; ++attempts)
        {
            float** pcm = nullptr;
            int section = 0;
            const auto got = ov_read_float (&file, &pcm, 4096, &section);

            if (got == 0)
                break;

            if (got > 0)
                total += got;
        }

        ov_clear (&file);
        return total;
    }
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    std::unique_ptr<InputAudio> input;
    const auto openStream = [data, size]() -> std::unique_ptr<juce::InputStream>
    { return std::make_unique<juce::MemoryInputStream> (data, size, false); };
    const auto error = InputAudio::open (openStream, "input 'fuzz'", input);

    if (! error.empty())
    {
        if (error.find ('\n') != std::string::npos || input != nullptr)
            fail ("a refusal must be one line and open nothing");

        return 0;
    }

    const auto length = input->lengthInSamples();
    const auto channels = input->numChannels();

    if (length < 0 || channels < 1 || channels > InputAudio::maximumChannels)
        fail ("impossible shape", length, channels);

    // Never more audio than the bytes hold.
    const auto format = input->formatName();
    const bool isFlac = format == "FLAC file";
    const bool isOgg = format == "Ogg-Vorbis file";

    if (isFlac)
    {
        juce::MemoryInputStream stream (data, size, false);
        const auto decoded = FlacStreamCheck::run (stream).decodedSamples;

        if (length > decoded)
            fail ("FLAC length beyond what decodes", length, decoded);
    }
    else if (isOgg)
    {
        const auto decoded = vorbisSamples (data, size);

        if (length > decoded)
            fail ("Ogg length beyond what decodes", length, decoded);
    }
    else if (length * channels > static_cast<long long> (size))
    {
        // Uncompressed: at least one byte per sample.
        fail ("uncompressed length beyond the bytes", length * channels, static_cast<long long> (size));
    }

    // Read it all, as a render does, in pieces that do not line up with any
    // block of the file.
    constexpr int piece = 1021;
    juce::AudioBuffer<float> buffer (channels, piece);

    for (juce::int64 start = 0; start < length; start += piece)
    {
        const auto count = static_cast<int> (std::min<juce::int64> (piece, length - start));

        if (const auto problem = input->read (buffer.getArrayOfWritePointers(), start, count); ! problem.empty())
        {
            if (problem.find ('\n') != std::string::npos)
                fail ("a read error must be one line");

            break;
        }
    }

    return 0;
}
