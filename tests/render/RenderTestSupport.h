#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_audio_formats/juce_audio_formats.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Shared helpers for the renderer's tests: real files in a fresh temporary
// folder, the real velthorn-render binary, and the engine run directly as the
// reference every render is compared with.
namespace rendertest
{
    // A folder of its own for one test, removed with everything in it.
    class TempDirectory final
    {
    public:
        TempDirectory();
        ~TempDirectory();

        std::string path (const std::string& name) const;
        const std::string& root() const noexcept { return rootPath; }

        // Names of the entries, hidden ones included, sorted.
        std::vector<std::string> entries() const;

    private:
        std::string rootPath;
    };

    struct AudioData
    {
        double sampleRate = 48000.0;
        std::vector<std::vector<float>> channels;

        int numChannels() const noexcept { return static_cast<int> (channels.size()); }
        int64_t numSamples() const noexcept { return channels.empty() ? 0 : static_cast<int64_t> (channels.front().size()); }
    };

    // A deterministic test signal: a different tone and some noise on each
    // channel, peaks near `level`, never exactly zero.
    AudioData makeSignal (int numChannels, int64_t numSamples, double sampleRate, float level = 0.3f, uint32_t seed = 1);

    // Writes `audio` with the JUCE format named by the extension.
    void writeAudio (const std::string& path, const AudioData& audio, int bitsPerSample = 32);

    // Reads any file JUCE reads; fails the test if it cannot.
    AudioData readAudio (const std::string& path);

    std::vector<uint8_t> readBytes (const std::string& path);
    void writeBytes (const std::string& path, const std::vector<uint8_t>& bytes);
    void writeText (const std::string& path, const std::string& text);
    bool exists (const std::string& path);

    // Writes a Standard MIDI File (format 1).
    void writeMidiFile (const std::string& path, const juce::MidiFile& midiFile);

    // A Standard MIDI File byte for byte, for files the framework would not
    // write (huge, damaged, with many tracks): the header, then one track
    // chunk around each of `trackBodies` (events as they are stored, the
    // End of Track included where wanted). `numTracks` < 0 announces as
    // many tracks as there are bodies.
    std::vector<uint8_t> midiFileBytes (int format, int division, const std::vector<std::vector<uint8_t>>& trackBodies,
                                        int numTracks = -1);

    // A tempo change in a MIDI file: from `tick` on, a quarter note lasts
    // this many microseconds.
    struct TempoChange
    {
        int64_t tick;
        int64_t microsecondsPerQuarter;
    };

    // The sample a tick lands on, worked out in integers from the tempo map
    // (120 bpm before the first change): nearest sample, halves rounding up.
    int64_t tickToSample (int64_t tick, const std::vector<TempoChange>& tempoMap, int64_t ticksPerQuarter, int64_t rate);

    // A track holding just the tempo map.
    juce::MidiMessageSequence tempoTrack (const std::vector<TempoChange>& tempoMap);

    // A MIDI event placed on a sample by the test itself.
    struct TimedMidi
    {
        int64_t sample;
        juce::MidiMessage message;
    };

    // The reference: AudioMidiHandler run directly over `input` followed by
    // `tailSamples` of silence, with setParameter(index, value) for each of
    // `settings` first and each event handed in right before its sample.
    // Returns the mono result the engine writes to every output channel.
    // Oversampled, the engine's output lags by the resampler's delay: the
    // input then runs on that much further in silence and the result starts
    // that much later, so that it lines up with the input.
    std::vector<float> renderWithEngine (const AudioData& input, int64_t tailSamples,
                                         const std::vector<std::pair<int, float>>& settings,
                                         const std::vector<TimedMidi>& events = {}, int oversampling = 1);

    // True when every float has the same bit pattern (NaN and -0 included).
    bool bitIdentical (const std::vector<float>& a, const std::vector<float>& b);

    // Index of the first differing sample, or -1.
    int64_t firstDifference (const std::vector<float>& a, const std::vector<float>& b);

    struct RunResult
    {
        int exitCode = -1;      // -1 when ended by a signal
        int signal = 0;         // the ending signal, 0 if it exited
        std::string out;
        std::string err;
    };

    struct RunLimits
    {
        int64_t maximumFileSize = -1;   // RLIMIT_FSIZE in bytes; -1 leaves it alone
        bool ignoreFileSizeSignal = true;   // with a limit: writes fail with EFBIG, no SIGXFSZ
        int64_t maximumAddressSpace = -1;   // RLIMIT_AS in bytes; -1 leaves it alone
        // Held to the file permission bits as any user is: run as root (as on
        // CI), without the capabilities that write past them.
        bool honourFilePermissions = false;
        // Fed to the renderer's standard input through a pipe, as
        // `cat FILE | velthorn-render /dev/stdin ...` does; at most what a
        // pipe holds (64 KiB). Empty: standard input is /dev/null.
        std::string standardInput;
    };

    // Runs the real velthorn-render binary with `arguments` in `workingDirectory`
    // and waits for it.
    RunResult runRenderer (const std::vector<std::string>& arguments, const std::string& workingDirectory,
                           RunLimits limits = {});

    // A velthorn-render that is still running, with its stderr on a pipe.
    class RunningRenderer final
    {
    public:
        RunningRenderer (const std::vector<std::string>& arguments, const std::string& workingDirectory);
        ~RunningRenderer();

        // Blocks until `text` has appeared on stderr (true) or stderr closed.
        bool waitForStderr (const std::string& text);
        void sendSignal (int signalNumber);
        RunResult wait();

    private:
        int pid = -1;
        int errFd = -1;
        std::string err;
    };

    std::string rendererPath();
}
