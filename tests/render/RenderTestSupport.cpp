#include "RenderTestSupport.h"

#include "AudioMidiHandler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace rendertest
{
    namespace fs = std::filesystem;

    TempDirectory::TempDirectory()
    {
        auto pattern = (fs::temp_directory_path() / "velthorn-render-test-XXXXXX").string();
        std::vector<char> name (pattern.begin(), pattern.end());
        name.push_back ('\0');

        if (::mkdtemp (name.data()) == nullptr)
            throw std::runtime_error ("mkdtemp failed");

        rootPath = name.data();
    }

    TempDirectory::~TempDirectory()
    {
        std::error_code ignored;
        fs::remove_all (rootPath, ignored);
    }

    std::string TempDirectory::path (const std::string& name) const
    {
        return rootPath + "/" + name;
    }

    std::vector<std::string> TempDirectory::entries() const
    {
        std::vector<std::string> names;

        for (const auto& entry : fs::directory_iterator (rootPath))
            names.push_back (entry.path().filename().string());

        std::sort (names.begin(), names.end());
        return names;
    }

    AudioData makeSignal (int numChannels, int64_t numSamples, double sampleRate, float level, uint32_t seed)
    {
        AudioData audio;
        audio.sampleRate = sampleRate;
        audio.channels.resize (static_cast<size_t> (numChannels));
        uint32_t state = seed * 2654435761u + 12345u;

        for (int channel = 0; channel < numChannels; ++channel)
        {
            auto& samples = audio.channels[static_cast<size_t> (channel)];
            samples.resize (static_cast<size_t> (numSamples));
            const double frequency = 110.0 * (channel + 1) + 37.0;

            for (int64_t i = 0; i < numSamples; ++i)
            {
                state = state * 1664525u + 1013904223u;
                const auto noise = static_cast<float> (state >> 8) / static_cast<float> (1u << 24) - 0.5f;
                const auto tone = static_cast<float> (std::sin (2.0 * juce::MathConstants<double>::pi * frequency
                                                                * static_cast<double> (i) / sampleRate));
                // The offset keeps every sample away from zero, so a gain or
                // a bypass always shows in the output.
                samples[static_cast<size_t> (i)] = level * (0.6f * tone + 0.2f * noise) + 0.1f * level;
            }
        }

        return audio;
    }

    void writeAudio (const std::string& path, const AudioData& audio, int bitsPerSample)
    {
        juce::AudioFormatManager formats;
        formats.registerBasicFormats();
        const juce::File file (path);
        auto* const format = formats.findFormatForFileExtension (file.getFileExtension());
        ASSERT_NE (format, nullptr) << path;

        file.deleteFile();
        auto stream = std::make_unique<juce::FileOutputStream> (file);
        ASSERT_TRUE (stream->openedOk()) << path;

        const auto quality = file.hasFileExtension ("ogg") ? 8 : 0;
        std::unique_ptr<juce::AudioFormatWriter> writer (format->createWriterFor (stream.get(), audio.sampleRate,
                                                                                  static_cast<unsigned int> (audio.numChannels()),
                                                                                  bitsPerSample, {}, quality));
        ASSERT_NE (writer, nullptr) << path;
        stream.release();

        std::vector<const float*> pointers;

        for (const auto& channel : audio.channels)
            pointers.push_back (channel.data());

        pointers.push_back (nullptr);
        ASSERT_TRUE (writer->writeFromFloatArrays (pointers.data(), audio.numChannels(), static_cast<int> (audio.numSamples())));
    }

    AudioData readAudio (const std::string& path)
    {
        juce::AudioFormatManager formats;
        formats.registerBasicFormats();
        std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (juce::File (path)));
        AudioData audio;

        EXPECT_NE (reader, nullptr) << "cannot read " << path;

        if (reader == nullptr)
            return audio;

        audio.sampleRate = reader->sampleRate;
        audio.channels.assign (reader->numChannels, std::vector<float> (static_cast<size_t> (reader->lengthInSamples)));
        std::vector<float*> pointers;

        for (auto& channel : audio.channels)
            pointers.push_back (channel.data());

        if (reader->lengthInSamples > 0)
            EXPECT_TRUE (reader->read (pointers.data(), static_cast<int> (pointers.size()), 0,
                                       static_cast<int> (reader->lengthInSamples)));

        return audio;
    }

    std::vector<uint8_t> readBytes (const std::string& path)
    {
        std::ifstream in (path, std::ios::binary);
        return { std::istreambuf_iterator<char> (in), std::istreambuf_iterator<char>() };
    }

    void writeBytes (const std::string& path, const std::vector<uint8_t>& bytes)
    {
        std::ofstream out (path, std::ios::binary | std::ios::trunc);
        out.write (reinterpret_cast<const char*> (bytes.data()), static_cast<std::streamsize> (bytes.size()));
    }

    void writeText (const std::string& path, const std::string& text)
    {
        std::ofstream (path, std::ios::binary | std::ios::trunc) << text;
    }

    bool exists (const std::string& path)
    {
        struct stat info {};
        return ::lstat (path.c_str(), &info) == 0;
    }

    void writeMidiFile (const std::string& path, const juce::MidiFile& midiFile)
    {
        const juce::File file (path);
        file.deleteFile();
        juce::FileOutputStream stream (file);
        ASSERT_TRUE (stream.openedOk());
        ASSERT_TRUE (midiFile.writeTo (stream, 1));
    }

    std::vector<uint8_t> midiFileBytes (int format, int division, const std::vector<std::vector<uint8_t>>& trackBodies,
                                        int numTracks)
    {
        std::vector<uint8_t> bytes;

        const auto put32 = [&bytes] (uint32_t value)
        {
            for (int shift = 24; shift >= 0; shift -= 8)
                bytes.push_back (static_cast<uint8_t> (value >> shift));
        };

        const auto put16 = [&bytes] (int value)
        {
            bytes.push_back (static_cast<uint8_t> (value >> 8));
            bytes.push_back (static_cast<uint8_t> (value));
        };

        bytes.insert (bytes.end(), { 'M', 'T', 'h', 'd' });
        put32 (6);
        put16 (format);
        put16 (numTracks >= 0 ? numTracks : static_cast<int> (trackBodies.size()));
        put16 (division);

        for (const auto& body : trackBodies)
        {
            bytes.insert (bytes.end(), { 'M', 'T', 'r', 'k' });
            put32 (static_cast<uint32_t> (body.size()));
            bytes.insert (bytes.end(), body.begin(), body.end());
        }

        return bytes;
    }

    int64_t tickToSample (int64_t tick, const std::vector<TempoChange>& tempoMap, int64_t ticksPerQuarter, int64_t rate)
    {
        int64_t elapsed = 0;   // microseconds times ticksPerQuarter
        int64_t lastTick = 0;
        int64_t tempo = 500000;

        for (const auto& change : tempoMap)
        {
            if (change.tick >= tick)
                break;

            elapsed += (change.tick - lastTick) * tempo;
            lastTick = change.tick;
            tempo = change.microsecondsPerQuarter;
        }

        elapsed += (tick - lastTick) * tempo;

        const auto numerator = elapsed * rate;
        const auto denominator = ticksPerQuarter * 1000000;
        return (2 * numerator + denominator) / (2 * denominator);
    }

    juce::MidiMessageSequence tempoTrack (const std::vector<TempoChange>& tempoMap)
    {
        juce::MidiMessageSequence track;

        for (const auto& change : tempoMap)
            track.addEvent (juce::MidiMessage::tempoMetaEvent (static_cast<int> (change.microsecondsPerQuarter)),
                            static_cast<double> (change.tick));

        return track;
    }

    std::vector<float> renderWithEngine (const AudioData& input, int64_t tailSamples,
                                         const std::vector<std::pair<int, float>>& settings,
                                         const std::vector<TimedMidi>& events, int oversampling)
    {
        // As the renderer runs it: the linear-phase resampler.
        const int64_t latency = AudioMidiHandler::latencyForOversampling (oversampling, Resampling::linearPhase);
        const auto total = input.numSamples() + tailSamples + latency;

        // The input followed by the silent tail, one buffer per channel.
        std::vector<std::vector<float>> padded;

        for (const auto& channel : input.channels)
        {
            padded.push_back (channel);
            padded.back().resize (static_cast<size_t> (total), 0.0f);
        }

        std::vector<float> mono (static_cast<size_t> (total), 0.0f);

        AudioMidiHandler engine;
        engine.setOversampling (oversampling);
        engine.setResampling (Resampling::linearPhase);

        for (const auto& [index, value] : settings)
            engine.setParameter (index, value);

        engine.prepare (input.sampleRate, static_cast<int> (std::max<int64_t> (total, 1)));

        std::vector<const float*> inputs (padded.size());
        int64_t position = 0;
        size_t next = 0;

        while (position < total)
        {
            for (; next < events.size() && events[next].sample <= position; ++next)
                engine.handleMidi (events[next].message);

            auto end = total;

            if (next < events.size())
                end = std::min (end, events[next].sample);

            for (size_t channel = 0; channel < padded.size(); ++channel)
                inputs[channel] = padded[channel].data() + position;

            float* const output = mono.data() + position;
            engine.process (inputs.data(), static_cast<int> (inputs.size()), &output, 1, static_cast<int> (end - position));
            position = end;
        }

        engine.release();
        mono.erase (mono.begin(), mono.begin() + latency);
        return mono;
    }

    bool bitIdentical (const std::vector<float>& a, const std::vector<float>& b)
    {
        return a.size() == b.size() && std::memcmp (a.data(), b.data(), a.size() * sizeof (float)) == 0;
    }

    int64_t firstDifference (const std::vector<float>& a, const std::vector<float>& b)
    {
        const auto common = std::min (a.size(), b.size());

        for (size_t i = 0; i < common; ++i)
            if (std::memcmp (&a[i], &b[i], sizeof (float)) != 0)
                return static_cast<int64_t> (i);

        return a.size() == b.size() ? -1 : static_cast<int64_t> (common);
    }

    std::string rendererPath()
    {
        return VELTHORN_RENDER_BINARY;
    }

    namespace
    {
        std::vector<char*> makeArgv (const std::vector<std::string>& arguments, std::vector<std::string>& storage)
        {
            storage.clear();
            storage.push_back (rendererPath());
            storage.insert (storage.end(), arguments.begin(), arguments.end());

            std::vector<char*> argv;

            for (auto& argument : storage)
                argv.push_back (argument.data());

            argv.push_back (nullptr);
            return argv;
        }

        std::string readAll (int fd)
        {
            std::string text;
            char buffer[4096];

            for (;;)
            {
                const auto got = ::read (fd, buffer, sizeof (buffer));

                if (got < 0 && errno == EINTR)
                    continue;

                if (got <= 0)
                    break;

                text.append (buffer, static_cast<size_t> (got));
            }

            return text;
        }

        void fillResult (int status, RunResult& result)
        {
            if (WIFEXITED (status))
            {
                result.exitCode = WEXITSTATUS (status);
                result.signal = 0;
            }
            else if (WIFSIGNALED (status))
            {
                result.exitCode = -1;
                result.signal = WTERMSIG (status);
            }
        }

        int waitFor (int pid)
        {
            int status = 0;

            while (::waitpid (pid, &status, 0) < 0 && errno == EINTR)
            {
            }

            return status;
        }
    }

    RunResult runRenderer (const std::vector<std::string>& arguments, const std::string& workingDirectory,
                           RunLimits limits)
    {
        std::vector<std::string> storage;
        auto argv = makeArgv (arguments, storage);

        // Both streams go to unlinked temporary files: pipes could fill up
        // while this side waits for the process.
        char outName[] = "/tmp/velthorn-render-out-XXXXXX";
        char errName[] = "/tmp/velthorn-render-err-XXXXXX";
        const auto outFd = ::mkstemp (outName);
        const auto errFd = ::mkstemp (errName);
        ::unlink (outName);
        ::unlink (errName);

        // Written whole before the renderer starts, so this side never waits
        // on it and never writes into a pipe it has left.
        int inFd = -1;

        if (! limits.standardInput.empty())
        {
            int pipeFds[2] = { -1, -1 };

            if (::pipe (pipeFds) != 0)
                throw std::runtime_error ("pipe failed");

            if (::write (pipeFds[1], limits.standardInput.data(), limits.standardInput.size())
                != static_cast<ssize_t> (limits.standardInput.size()))
                throw std::runtime_error ("standard input too long for a pipe");

            ::close (pipeFds[1]);
            inFd = pipeFds[0];
        }

        const auto pid = ::fork();

        if (pid == 0)
        {
            ::dup2 (outFd, STDOUT_FILENO);
            ::dup2 (errFd, STDERR_FILENO);

            const auto in = inFd >= 0 ? inFd : ::open ("/dev/null", O_RDONLY);
            ::dup2 (in, STDIN_FILENO);

            if (limits.maximumFileSize >= 0)
            {
                // Writes beyond the limit then fail with EFBIG instead of
                // killing the process, as a full disk would fail them.
                ::signal (SIGXFSZ, limits.ignoreFileSizeSignal ? SIG_IGN : SIG_DFL);
                const rlimit limit { static_cast<rlim_t> (limits.maximumFileSize), static_cast<rlim_t> (limits.maximumFileSize) };
                ::setrlimit (RLIMIT_FSIZE, &limit);
            }

            if (limits.maximumAddressSpace >= 0)
            {
                const rlimit limit { static_cast<rlim_t> (limits.maximumAddressSpace), static_cast<rlim_t> (limits.maximumAddressSpace) };
                ::setrlimit (RLIMIT_AS, &limit);
            }

            if (::chdir (workingDirectory.c_str()) != 0)
                ::_exit (127);

            if (limits.honourFilePermissions && ::geteuid() == 0)
            {
                // Still user 0, the owner of the test's files, but without
                // CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH: a mode-444 file
                // is then as read-only as it is to its owner on any desktop.
                std::vector<char*> launcher { const_cast<char*> ("setpriv"),
                                              const_cast<char*> ("--bounding-set=-dac_override,-dac_read_search"),
                                              const_cast<char*> ("--inh-caps=-dac_override,-dac_read_search"),
                                              const_cast<char*> ("--") };
                launcher.insert (launcher.end(), argv.begin(), argv.end());
                ::execvp (launcher[0], launcher.data());
                ::_exit (127);
            }

            ::execv (argv[0], argv.data());
            ::_exit (127);
        }

        if (inFd >= 0)
            ::close (inFd);

        RunResult result;
        fillResult (waitFor (pid), result);

        ::lseek (outFd, 0, SEEK_SET);
        ::lseek (errFd, 0, SEEK_SET);
        result.out = readAll (outFd);
        result.err = readAll (errFd);
        ::close (outFd);
        ::close (errFd);
        return result;
    }

    RunningRenderer::RunningRenderer (const std::vector<std::string>& arguments, const std::string& workingDirectory)
    {
        std::vector<std::string> storage;
        auto argv = makeArgv (arguments, storage);
        int pipeFds[2] = { -1, -1 };

        if (::pipe (pipeFds) != 0)
            throw std::runtime_error ("pipe failed");

        pid = ::fork();

        if (pid == 0)
        {
            ::dup2 (pipeFds[1], STDERR_FILENO);
            ::close (pipeFds[0]);
            ::close (pipeFds[1]);

            const auto nullFd = ::open ("/dev/null", O_RDWR);
            ::dup2 (nullFd, STDIN_FILENO);
            ::dup2 (nullFd, STDOUT_FILENO);

            // A test runner may have left signals ignored or blocked; the
            // renderer must see them as a shell would deliver them.
            for (int signalNumber = 1; signalNumber < NSIG; ++signalNumber)
                if (signalNumber != SIGKILL && signalNumber != SIGSTOP)
                    ::signal (signalNumber, SIG_DFL);

            sigset_t none;
            sigemptyset (&none);
            ::sigprocmask (SIG_SETMASK, &none, nullptr);

            // Signals that dump core by default must not leave a core file
            // in the folder the test inspects.
            const rlimit noCore { 0, 0 };
            ::setrlimit (RLIMIT_CORE, &noCore);

            if (::chdir (workingDirectory.c_str()) != 0)
                ::_exit (127);

            ::execv (argv[0], argv.data());
            ::_exit (127);
        }

        ::close (pipeFds[1]);
        errFd = pipeFds[0];
    }

    RunningRenderer::~RunningRenderer()
    {
        if (pid > 0)
        {
            ::kill (pid, SIGKILL);
            waitFor (pid);
        }

        if (errFd >= 0)
            ::close (errFd);
    }

    bool RunningRenderer::waitForStderr (const std::string& text)
    {
        char buffer[256];

        while (err.find (text) == std::string::npos)
        {
            const auto got = ::read (errFd, buffer, sizeof (buffer));

            if (got < 0 && errno == EINTR)
                continue;

            if (got <= 0)
                return false;

            err.append (buffer, static_cast<size_t> (got));
        }

        return true;
    }

    void RunningRenderer::sendSignal (int signalNumber)
    {
        ASSERT_GT (pid, 0);
        ::kill (pid, signalNumber);
    }

    RunResult RunningRenderer::wait()
    {
        RunResult result;

        if (pid <= 0)
            return result;

        err += readAll (errFd);
        fillResult (waitFor (pid), result);
        pid = -1;
        result.err = err;
        return result;
    }
}
