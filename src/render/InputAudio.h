#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

#include <functional>
#include <memory>
#include <string>

class WatchedInputStream;

// The audio file a render reads: opened, checked and read here, so that a
// render never contains audio the file does not hold. A file whose header
// announces more than it holds is refused before anything is written, and a
// read that comes up short during the render is an error too.
class InputAudio final
{
public:
    // Input files above this rate are refused: the engine keeps one second of
    // delay memory per run, and a damaged header could ask for gigabytes.
    static constexpr double maximumSampleRate = 768000.0;
    // Below this the engine's filters have no room to work in.
    static constexpr double minimumSampleRate = 1000.0;
    // More channels than any audio interface the engine is made for.
    static constexpr int maximumChannels = 64;

    // Main thread. Opens the file at `path`; on failure returns a one-line
    // reason and leaves `result` empty.
    static std::string open (const std::string& path, std::unique_ptr<InputAudio>& result);

    // Any one thread. The same for the bytes `openStream` gives a fresh
    // stream over each time it is called (a check may read them on its own),
    // named `shownName` in messages.
    using StreamOpener = std::function<std::unique_ptr<juce::InputStream>()>;
    static std::string open (const StreamOpener& openStream, const std::string& shownName,
                             std::unique_ptr<InputAudio>& result);

    // The thread that opened it, as for every member.
    ~InputAudio();

    double sampleRate() const noexcept { return reader->sampleRate; }
    int numChannels() const noexcept { return static_cast<int> (reader->numChannels); }
    juce::int64 lengthInSamples() const noexcept { return reader->lengthInSamples; }
    // The framework's name for the format ("WAV file", "FLAC file" ...).
    juce::String formatName() const { return reader->getFormatName(); }

    // Reads `numSamples` from sample `start` (within the length) into one
    // buffer per channel; returns a one-line reason on failure.
    std::string read (float* const* destination, juce::int64 start, int numSamples);

private:
    InputAudio (std::unique_ptr<juce::AudioFormatReader> reader, WatchedInputStream& stream, std::string shown,
                bool readsAreExact);

    std::unique_ptr<juce::AudioFormatReader> reader;
    WatchedInputStream& stream;   // owned by the reader
    const std::string shown;
    const bool readsAreExact;     // every read asks the stream only for audio data

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InputAudio)
};
