#include "Reference.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <charconv>
#include <stdexcept>

#if ! defined (VELTHORN_RENDER_PATH)
 #error "the build must name velthorn-render"
#endif

namespace harness
{
    namespace
    {
        void writeWav (const juce::AudioBuffer<float>& audio, double sampleRate, const juce::File& file)
        {
            file.deleteFile();
            auto stream = file.createOutputStream();
            juce::WavAudioFormat wav;
            std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (stream.get(), sampleRate, 2, 32, {}, 0));

            if (writer == nullptr)
                throw std::runtime_error ("cannot write " + file.getFullPathName().toStdString());

            stream.release();
            writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples());
        }

        juce::AudioBuffer<float> readWav (const juce::File& file)
        {
            juce::WavAudioFormat wav;
            std::unique_ptr<juce::AudioFormatReader> reader (wav.createReaderFor (file.createInputStream().release(), true));

            if (reader == nullptr)
                throw std::runtime_error ("cannot read " + file.getFullPathName().toStdString());

            juce::AudioBuffer<float> audio (static_cast<int> (reader->numChannels), static_cast<int> (reader->lengthInSamples));
            reader->read (&audio, 0, audio.getNumSamples(), 0, true, true);
            return audio;
        }

        // One tick per sample: ticks per quarter note = rate / 100 and a
        // quarter note of 10 ms.
        void writeMidi (const Scenario& scenario, const juce::File& file)
        {
            const auto ticksPerQuarter = static_cast<int> (scenario.sampleRate / 100.0);
            juce::MidiMessageSequence track;
            track.addEvent (juce::MidiMessage::tempoMetaEvent (10000), 0.0);

            for (const auto& a : scenario.automation)
            {
                const int cc = controllerFor (a.setting.id);

                if (cc < 0)
                    throw std::logic_error ("the renderer cannot automate " + a.setting.id);

                // The control change whose value gives the engine exactly this value.
                const int value = juce::roundToInt (a.setting.value * 127.0f);
                track.addEvent (juce::MidiMessage::controllerEvent (1, cc, value), static_cast<double> (a.sample));
            }

            for (const auto& m : scenario.midi)
                track.addEvent (juce::MidiMessage::controllerEvent (1, m.controller, m.value), static_cast<double> (m.sample));

            track.sort();
            track.updateMatchedPairs();

            juce::MidiFile midiFile;
            midiFile.setTicksPerQuarterNote (ticksPerQuarter);
            midiFile.addTrack (track);

            file.deleteFile();
            juce::FileOutputStream out (file);

            if (! out.openedOk() || ! midiFile.writeTo (out))
                throw std::runtime_error ("cannot write " + file.getFullPathName().toStdString());
        }

        juce::String assignment (const Setting& setting)
        {
            char text[64] {};
            const auto written = std::to_chars (std::begin (text), std::end (text), setting.value);
            return juce::String (setting.id) + "=" + juce::String (text, static_cast<size_t> (written.ptr - text));
        }
    }

    juce::AudioBuffer<float> renderWithTool (const Scenario& scenario, const juce::File& workFolder)
    {
        workFolder.createDirectory();
        const auto in = workFolder.getChildFile ("input.wav");
        const auto midi = workFolder.getChildFile ("events.mid");
        const auto out = workFolder.getChildFile ("output.wav");
        writeWav (scenario.input, scenario.sampleRate, in);
        writeMidi (scenario, midi);

        juce::StringArray command { VELTHORN_RENDER_PATH, in.getFullPathName(), out.getFullPathName(),
                                    "--midi", midi.getFullPathName(), "--quiet" };

        for (const auto& setting : scenario.settings)
            command.addArray ({ "--set", assignment (setting) });

        // With the plugin's own filters: its output, sample for sample.
        if (scenario.oversampling != 1)
            command.addArray ({ "--oversample", juce::String (scenario.oversampling), "--resampling", "low-latency" });

        juce::ChildProcess renderer;

        if (! renderer.start (command))
            throw std::runtime_error ("cannot start " + command.joinIntoString (" ").toStdString());

        const auto output = renderer.readAllProcessOutput();

        if (renderer.getExitCode() != 0)
            throw std::runtime_error (command.joinIntoString (" ").toStdString() + " failed: " + output.toStdString());

        return readWav (out);
    }
}
