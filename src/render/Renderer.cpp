#include "Renderer.h"

#include "AudioMidiHandler.h"
#include "FileIdentity.h"
#include "InputAudio.h"
#include "MidiSchedule.h"
#include "PendingOutputFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <iomanip>
#include <sstream>
#include <vector>

namespace
{
    // Samples read, processed and written per round trip through the files;
    // rounded up to whole blocks so the engine sees its block size.
    constexpr int preferredChunkSize = 16384;

    // The MIDI events handed to the engine with one block at the most.
    constexpr int maximumEventsPerBlock = 256;

    // 44100 as "44100", 44100.5 as "44100.5".
    std::string formatHz (double rate)
    {
        std::ostringstream text;
        text << std::setprecision (10) << rate;
        return text.str();
    }
}

std::string Renderer::render (const RenderOptions& options,
                              const std::function<void (const Progress&)>& onProgress,
                              Summary& summary)
{
    std::unique_ptr<InputAudio> reader;

    if (auto error = InputAudio::open (options.inputPath, reader); ! error.empty())
        return error;

    const auto sampleRate = reader->sampleRate();
    const auto numChannels = reader->numChannels();

    MidiSchedule schedule;

    if (! options.midiPath.empty())
        if (auto error = MidiSchedule::load (options.midiPath, sampleRate, schedule); ! error.empty())
            return error;

    if (FileIdentity::isSameFile (options.inputPath, options.outputPath))
        return "output '" + options.outputPath + "' is the input file; choose another name";

    if (! options.midiPath.empty() && FileIdentity::isSameFile (options.midiPath, options.outputPath))
        return "output '" + options.outputPath + "' is the MIDI file; choose another name";

    const auto inputLength = reader->lengthInSamples();
    const auto tailLength = static_cast<juce::int64> (std::llround (options.tailSeconds * sampleRate));
    const auto totalLength = inputLength + tailLength;

    // Declared before the writer, so the writer (and its stream) is gone
    // before this removes or commits the file.
    std::unique_ptr<PendingOutputFile> pending;

    if (auto error = PendingOutputFile::create (options.outputPath, pending); ! error.empty())
        return error;

    const auto format = options.outputFormat.createAudioFormat();
    auto stream = pending->createStream();
    std::unique_ptr<juce::AudioFormatWriter> writer (format->createWriterFor (stream.get(), sampleRate,
                                                                              static_cast<unsigned int> (numChannels),
                                                                              options.outputFormat.bitsPerSample, {},
                                                                              options.outputFormat.qualityOptionIndex()));

    if (writer == nullptr)
        return pending->abandon (options.outputFormat.describe() + " cannot hold " + std::to_string (numChannels)
                                 + " channel(s) at " + formatHz (sampleRate) + " Hz");

    stream.release();   // the writer owns it now

    // The writer goes first: it still writes to the file as it is destroyed.
    const auto giveUp = [&writer, &pending] (const std::string& reason)
    {
        writer.reset();
        return pending->abandon (reason);
    };

    // Latency costs nothing here: the linear-phase filters unless asked
    // otherwise (see RenderOptions).
    const auto resampling = options.resampling;
    AudioMidiHandler engine;
    engine.setOversampling (options.oversampling);
    engine.setResampling (resampling);

    for (const auto& setting : options.settings)
        engine.setParameter (setting.index, setting.value);

    // Oversampled, the engine's output lags its input by the resampler's
    // delay: the input runs on that much further (in silence) and as much is
    // left off the front of the output, which so lines up with the input
    // sample for sample at every frequency, as at factor 1.
    const auto latency = static_cast<juce::int64> (AudioMidiHandler::latencyForOversampling (options.oversampling,
                                                                                             resampling));
    const auto processedLength = totalLength + latency;

    const auto blockSize = options.blockSize;
    const auto chunkSize = blockSize * std::max (1, (preferredChunkSize + blockSize - 1) / blockSize);

    engine.prepare (sampleRate, blockSize);

    juce::AudioBuffer<float> input (numChannels, chunkSize);
    juce::AudioBuffer<float> output (numChannels, chunkSize);
    std::vector<const float*> inputs (static_cast<size_t> (numChannels));
    std::vector<float*> outputs (static_cast<size_t> (numChannels));
    // The MIDI events of one block, at their positions in it.
    juce::MidiBuffer blockMidi;
    blockMidi.ensureSize (static_cast<size_t> (maximumEventsPerBlock) * 16);

    const bool clips = options.outputFormat.clipsAtFullScale();

    summary = {};
    summary.sampleRate = sampleRate;
    summary.numChannels = numChannels;

    if (onProgress)
        onProgress ({ 0, totalLength, sampleRate });

    for (juce::int64 chunkStart = 0; chunkStart < processedLength; chunkStart += chunkSize)
    {
        const auto length = static_cast<int> (std::min<juce::int64> (chunkSize, processedLength - chunkStart));
        const auto fromFile = static_cast<int> (std::clamp<juce::int64> (inputLength - chunkStart, 0, length));
        // The samples that are still the resampler's delay, not output.
        const auto delayed = static_cast<int> (std::clamp<juce::int64> (latency - chunkStart, 0, length));

        input.clear();

        if (fromFile > 0)
            if (auto error = reader->read (input.getArrayOfWritePointers(), chunkStart, fromFile); ! error.empty())
                return giveUp (error);

        // The chunk goes to the engine in blocks of the size it was prepared
        // for, each with the MIDI events that land in it: an event acts from
        // its own sample on. Adding to a MIDI buffer costs more the fuller it
        // is, so a block takes a bounded number of events; past that it ends
        // where the next event lands, and the next block starts there.
        for (int done = 0; done < length;)
        {
            const auto position = chunkStart + done;
            auto segment = std::min (blockSize, length - done);

            blockMidi.clear();
            int events = 0;

            for (const MidiSchedule::Event* event; (event = schedule.peek()) != nullptr && event->sample < position + segment; schedule.pop())
            {
                const auto at = static_cast<int> (std::max<juce::int64> (event->sample - position, 0));

                if (events == maximumEventsPerBlock)
                {
                    segment = at;
                    break;
                }

                blockMidi.addEvent (event->message, at);
                ++events;
            }

            if (! schedule.problem().empty())
                return giveUp (schedule.problem());

            for (int channel = 0; channel < numChannels; ++channel)
            {
                inputs[static_cast<size_t> (channel)] = input.getReadPointer (channel, done);
                outputs[static_cast<size_t> (channel)] = output.getWritePointer (channel, done);
            }

            engine.process (inputs.data(), numChannels, outputs.data(), numChannels, segment, blockMidi);
            done += segment;
        }

        if (clips)
        {
            for (int channel = 0; channel < numChannels; ++channel)
            {
                auto* const samples = output.getWritePointer (channel);

                for (int i = delayed; i < length; ++i)
                {
                    const bool counted = channel == 0;

                    // The integer conversion has no answer for these.
                    if (! std::isfinite (samples[i]))
                    {
                        samples[i] = 0.0f;
                        summary.clippedSamples += counted ? 1 : 0;
                    }
                    else if (counted && std::abs (samples[i]) > 1.0f)
                    {
                        ++summary.clippedSamples;
                    }
                }
            }
        }

        if (length > delayed && ! writer->writeFromAudioSampleBuffer (output, delayed, length - delayed))
            return giveUp ("the " + options.outputFormat.describe() + " encoder failed");

        summary.samplesWritten += length - delayed;

        if (onProgress)
            onProgress ({ std::max<juce::int64> (chunkStart + length - latency, 0), totalLength, sampleRate });
    }

    engine.release();
    writer.reset();   // writes the header and flushes the stream
    return pending->commit();
}
