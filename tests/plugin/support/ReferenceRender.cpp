#include "ReferenceRender.h"

#include "PluginPaths.h"
#include "Polling.h"
#include "ToolRun.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <charconv>
#include <stdexcept>

namespace hosttest
{
    namespace
    {
        void writeWav (const e2e::StereoBuffer& buffer, double sampleRate, const std::filesystem::path& file)
        {
            juce::File target (file.string());
            target.deleteFile();
            std::unique_ptr<juce::OutputStream> stream (target.createOutputStream().release());

            juce::WavAudioFormat wav;
            std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (stream.get(), sampleRate, 2, 32, {}, 0));

            if (writer == nullptr)
                throw std::runtime_error ("cannot write " + file.string());

            stream.release();   // the writer owns it now
            const float* const channels[] = { buffer.left.data(), buffer.right.data() };

            if (! writer->writeFromFloatArrays (channels, 2, static_cast<int> (buffer.size())))
                throw std::runtime_error ("cannot write the samples of " + file.string());
        }

        e2e::StereoBuffer readWav (const std::filesystem::path& file)
        {
            juce::WavAudioFormat wav;
            std::unique_ptr<juce::AudioFormatReader> reader (
                wav.createReaderFor (juce::File (file.string()).createInputStream().release(), true));

            if (reader == nullptr || reader->numChannels != 2)
                throw std::runtime_error ("cannot read the renderer's output " + file.string());

            const auto frames = static_cast<int> (reader->lengthInSamples);
            juce::AudioBuffer<float> samples (2, frames);
            reader->read (&samples, 0, frames, 0, true, true);

            auto result = e2e::StereoBuffer::silence (static_cast<size_t> (frames));
            std::copy_n (samples.getReadPointer (0), frames, result.left.begin());
            std::copy_n (samples.getReadPointer (1), frames, result.right.begin());
            return result;
        }
    }

    std::string assignment (const Setting& setting)
    {
        char text[64] {};
        const auto written = std::to_chars (std::begin (text), std::end (text), setting.value);
        return setting.name + "=" + std::string (text, written.ptr);
    }

    e2e::StereoBuffer renderWithTool (const e2e::StereoBuffer& input, double sampleRate,
                                      const std::vector<Setting>& settings,
                                      const std::filesystem::path& workFolder)
    {
        std::filesystem::create_directories (workFolder);
        const auto in = workFolder / "reference-input.wav";
        const auto out = workFolder / "reference-output.wav";
        writeWav (input, sampleRate, in);

        std::vector<std::string> arguments { rendererBinary().string(), in.string(), out.string(), "--quiet" };

        for (const auto& setting : settings)
        {
            arguments.push_back ("--set");
            arguments.push_back (assignment (setting));
        }

        const auto result = e2e::runTool (arguments, e2e::Environment::minimal(), workFolder, e2e::toolTimeout);

        if (! result.succeeded())
            throw std::runtime_error ("velthorn-render failed: " + result.describe());

        return readWav (out);
    }
}
