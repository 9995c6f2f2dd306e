// velthorn-render --oversample: the engine at that factor with the
// resampler's delay taken out, so the output lines up with factor 1.

#include "RenderFixture.h"

#include <cmath>
#include <cstdio>
#include <iterator>

namespace
{
    using rendertest::AudioData;
    using rendertest::makeSignal;
    using rendertest::renderWithEngine;

    struct Sound
    {
        std::string label;
        RenderFixture::Settings settings;
    };

    void PrintTo (const Sound& s, std::ostream* os)
    {
        *os << s.label;
    }

    double rms (const std::vector<float>& samples)
    {
        double sum = 0.0;
        for (const float s : samples)
            sum += static_cast<double> (s) * s;
        return std::sqrt (sum / static_cast<double> (samples.size()));
    }

    // A guitar's DI: plucked notes, each a stack of harmonics falling 6 dB an
    // octave up to 5 kHz and dying away, one every quarter second, on both
    // channels (the second a little quieter).
    AudioData guitarLike (double rate, double seconds)
    {
        AudioData audio;
        audio.sampleRate = rate;
        const auto length = static_cast<size_t> (rate * seconds);
        audio.channels.assign (2, std::vector<float> (length, 0.0f));
        const double notes[] { 82.4, 110.0, 146.8, 196.0, 246.9, 329.6, 220.0, 164.8 };

        for (size_t n = 0; n < length; ++n)
        {
            const double t = static_cast<double> (n) / rate;
            const auto note = static_cast<size_t> (t / 0.25);
            const double since = t - 0.25 * static_cast<double> (note);
            const double f0 = notes[note % std::size (notes)];
            double sample = 0.0;

            for (int k = 1; k * f0 < 5000.0; ++k)
                sample += std::sin (6.283185307179586 * k * f0 * since + k) / k;

            sample *= 0.15 * std::exp (-since * 6.0) * std::min (1.0, since * 2000.0);
            audio.channels[0][n] = static_cast<float> (sample);
            audio.channels[1][n] = static_cast<float> (0.5 * sample);
        }

        return audio;
    }

    // The lag (how many samples b is later than a) where the two correlate best.
    int correlationPeak (const std::vector<float>& a, const std::vector<float>& b, int maxLag)
    {
        int best = 0;
        double bestSum = -1.0e300;

        for (int lag = -maxLag; lag <= maxLag; ++lag)
        {
            double sum = 0.0;
            for (size_t i = static_cast<size_t> (maxLag); i + static_cast<size_t> (maxLag) < a.size(); ++i)
                sum += static_cast<double> (a[i]) * b[static_cast<size_t> (static_cast<ptrdiff_t> (i) + lag)];

            if (sum > bestSum)
            {
                best = lag;
                bestSum = sum;
            }
        }

        return best;
    }

    class RenderOversampling : public RenderFixture,
                               public ::testing::WithParamInterface<Sound>
    {
    };

    // Every factor against factor 1 on the same file: the same length, the
    // cross-correlation at its peak with no lag, and the level within 1 dB.
    TEST_P (RenderOversampling, EveryFactorLinesUpWithFactorOneAtTheSameLevel)
    {
        const auto& sound = GetParam();

        for (const double rate : { 44100.0, 48000.0 })
        {
            const auto input = guitarLike (rate, 2.0);
            writeInput ("in.wav", input);

            const auto single = renderOk (withSettings ({ "in.wav", "one.wav" }, sound.settings), "one.wav");
            ASSERT_EQ (single.numSamples(), input.numSamples());

            for (const int factor : { 2, 4, 8 })
            {
                const auto name = "x" + std::to_string (factor) + ".wav";
                const auto output = renderOk (withSettings ({ "in.wav", name, "--oversample", std::to_string (factor) },
                                                            sound.settings),
                                              name);
                ASSERT_EQ (output.numSamples(), input.numSamples()) << factor << "x";
                ASSERT_EQ (output.numChannels(), 2);

                const auto& a = single.channels[0];
                const auto& b = output.channels[0];
                const int lag = correlationPeak (a, b, 32);
                const double levelDb = 20.0 * std::log10 (rms (b) / rms (a));
                std::printf ("%-40s %5.0f Hz %dx: correlation peak at lag %d, level %+.2f dB\n", sound.label.c_str(), rate,
                             factor, lag, levelDb);

                EXPECT_EQ (lag, 0) << sound.label << ", " << factor << "x at " << rate << " Hz";
                EXPECT_LT (std::fabs (levelDb), 1.0) << sound.label << ", " << factor << "x at " << rate << " Hz";
            }
        }
    }

    INSTANTIATE_TEST_SUITE_P (
        Sounds, RenderOversampling,
        ::testing::Values (
            Sound { "the default sound", {} },
            Sound { "distortion at full gain, amp off", { { "distOn", "1" }, { "distGain", "1" }, { "ampOn", "0" } } },
            Sound { "amp drive at full", { { "ampDrv", "1" } } },
            Sound { "every slot on", { { "wahOn", "1" }, { "distOn", "1" }, { "delOn", "1" }, { "delTme", "0.1" } } },
            Sound { "the wah alone", { { "wahOn", "1" }, { "ampOn", "0" }, { "wahFreq", "0.4" } } },
            Sound { "distortion into the amp", { { "distOn", "1" } } },
            Sound { "master off", { { "mastOn", "0" } } }),
        [] (const auto& info)
        {
            std::string name;
            for (const char c : info.param.label)
                if (std::isalnum (static_cast<unsigned char> (c)))
                    name += c;
            return name;
        });

    // The output's delay against the input at `frequency`, in samples (how
    // much later the output is), from the phase of each at that frequency
    // over `length` samples from `start`; the tone must complete whole
    // cycles in that span.
    double delayAt (const std::vector<float>& input, const std::vector<float>& output, double frequency, double rate,
                    size_t start, size_t length)
    {
        const auto phaseOf = [&] (const std::vector<float>& samples)
        {
            double re = 0.0, im = 0.0;

            for (size_t n = start; n < start + length; ++n)
            {
                const auto angle = 2.0 * M_PI * frequency * static_cast<double> (n) / rate;
                re += samples[n] * std::cos (angle);
                im -= samples[n] * std::sin (angle);
            }

            return std::atan2 (im, re);
        };

        auto difference = phaseOf (output) - phaseOf (input);
        difference = std::remainder (difference, 2.0 * M_PI);
        return -difference * rate / (2.0 * M_PI * frequency);
    }

    struct DelaySound
    {
        std::string label;
        RenderFixture::Settings settings;
    };

    void PrintTo (const DelaySound& s, std::ostream* os)
    {
        *os << s.label;
    }

    class RenderOversamplingDelay : public RenderFixture,
                                    public ::testing::WithParamInterface<DelaySound>
    {
    };

    // The delay across the band, not at one low tone: tones from 100 Hz to
    // 19 kHz at once, each measured by its phase against the input. With the
    // master off the output is the input through the resamplers alone; with
    // the amp off, through the chain's gain too. Both must line up with the
    // input at every frequency (the resampler's delay taken out exactly).
    TEST_P (RenderOversamplingDelay, IsZeroAtEveryFrequencyAndFactor)
    {
        const double tones[] { 100.0, 1000.0, 3000.0, 5000.0, 7000.0, 10000.0, 13000.0, 16000.0, 17500.0, 19000.0 };

        for (const double rate : { 44100.0, 48000.0 })
        {
            // One second analysed, after half a second for the filters to settle.
            const auto second = static_cast<size_t> (rate);
            rendertest::AudioData input;
            input.sampleRate = rate;
            input.channels.assign (1, std::vector<float> (second * 5 / 2, 0.0f));

            for (size_t n = 0; n < input.channels[0].size(); ++n)
            {
                double sample = 0.0;

                for (size_t k = 0; k < std::size (tones); ++k)
                    sample += 0.04 * std::sin (2.0 * M_PI * tones[k] * static_cast<double> (n) / rate + static_cast<double> (k));

                input.channels[0][n] = static_cast<float> (sample);
            }

            writeInput ("tones.wav", input);

            for (const int factor : { 1, 2, 4, 8 })
            {
                const auto name = "tones" + std::to_string (factor) + ".wav";
                const auto output = renderOk (withSettings ({ "tones.wav", name, "--oversample", std::to_string (factor) },
                                                            GetParam().settings),
                                              name);
                ASSERT_EQ (output.numSamples(), input.numSamples());

                for (const double tone : tones)
                {
                    const auto delay = delayAt (input.channels[0], output.channels[0], tone, rate, second / 2, second);
                    std::printf ("%-16s %5.0f Hz %dx: delay at %5.0f Hz %+.4f samples\n", GetParam().label.c_str(), rate,
                                 factor, tone, delay);
                    EXPECT_LT (std::fabs (delay), 0.005)
                        << GetParam().label << ", " << factor << "x at " << rate << " Hz, tone " << tone << " Hz";
                }
            }
        }
    }

    INSTANTIATE_TEST_SUITE_P (
        Sounds, RenderOversamplingDelay,
        ::testing::Values (DelaySound { "master off", { { "mastOn", "0" } } },
                           DelaySound { "amp off", { { "ampOn", "0" } } }),
        [] (const auto& info) { return info.param.label == "master off" ? std::string ("MasterOff") : std::string ("AmpOff"); });

    // What the tool writes is the engine at that factor, its delay taken
    // out: with MIDI mid-block, a tail and any block size.
    TEST_F (RenderFixture, OversampledTheOutputIsTheEngineAtThatFactorWithoutItsDelay)
    {
        constexpr double rate = 48000.0;
        const auto input = makeSignal (1, 30000, rate, 0.3f, 4);
        writeInput ("in.wav", input);

        juce::MidiMessageSequence track;
        track.addEvent (juce::MidiMessage::controllerEvent (1, 0, 127), 0.0);     // distortion on
        track.addEvent (juce::MidiMessage::controllerEvent (1, 7, 20), 77.0);     // amp drive
        track.addEvent (juce::MidiMessage::controllerEvent (1, 9, 100), 300.0);   // wah pedal
        track.addEvent (juce::MidiMessage::controllerEvent (1, 4, 127), 301.0);   // wah on
        juce::MidiFile file;
        file.setTicksPerQuarterNote (960);   // at 120 bpm a tick is 25 samples
        file.addTrack (track);
        rendertest::writeMidiFile (dir.path ("song.mid"), file);

        const std::vector<rendertest::TimedMidi> events {
            { 0, juce::MidiMessage::controllerEvent (1, 0, 127) },
            { 77 * 25, juce::MidiMessage::controllerEvent (1, 7, 20) },
            { 300 * 25, juce::MidiMessage::controllerEvent (1, 9, 100) },
            { 301 * 25, juce::MidiMessage::controllerEvent (1, 4, 127) },
        };

        const Settings settings { { "delOn", "1" }, { "delTme", "0.05" } };

        for (const int factor : { 2, 4, 8 })
        {
            const auto expected = renderWithEngine (input, 4800, engineSettings (settings), events, factor);

            for (const char* block : { "512", "1", "4096" })
            {
                const auto output = renderOk (withSettings ({ "in.wav", "out.wav", "--midi", "song.mid", "--tail", "0.1",
                                                              "--oversample", std::to_string (factor), "--block", block },
                                                            settings),
                                              "out.wav");
                expectEveryChannelIs (output, expected, std::to_string (factor) + "x, blocks of " + block);
            }
        }
    }
}
