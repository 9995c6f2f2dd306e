#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

#include <memory>
#include <string>
#include <string_view>

// The kind of file the renderer writes, chosen from the output name's
// extension and the requested bit depth:
//
//   .wav          16 or 24-bit integer, or 32-bit float (the default)
//   .aif / .aiff  16 or 24-bit integer (default 24)
//   .flac         16 or 24-bit integer (default 24)
//   .ogg          Ogg Vorbis, lossy, no bit depth (--bits is refused)
//
// Only float WAV keeps every sample exactly; the others clip at full scale.
struct OutputFormat final
{
    enum class Container
    {
        wav,
        aiff,
        flac,
        oggVorbis
    };

    // Any thread. Fills `result` from the name and the requested depth (0 for
    // the container's default); returns a one-line reason when the pair is
    // impossible, or an empty string.
    static std::string choose (std::string_view outputPath, int requestedBits, OutputFormat& result);

    // Any thread. "32-bit float WAV", "24-bit FLAC", "Ogg Vorbis" ...
    std::string describe() const;

    // Any thread. True when samples beyond -1..1 cannot be stored as they are.
    bool clipsAtFullScale() const;

    // Any thread. The JUCE format that writes this container.
    std::unique_ptr<juce::AudioFormat> createAudioFormat() const;

    // Any thread. The quality option handed to the JUCE writer.
    int qualityOptionIndex() const;

    Container container = Container::wav;
    int bitsPerSample = 32;
};
