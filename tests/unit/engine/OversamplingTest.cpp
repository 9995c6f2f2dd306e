// The engine with its chain oversampled: latency, block independence,
// factor changes, the tone against factor 1, and recovery from a sample
// beyond the float range.

#include "EngineHarness.h"
#include "SpectrumAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <string>

namespace
{
    constexpr int factors[] { 1, 2, 4, 8 };

    // Every slot on, the knobs away from their defaults, the echo short so
    // that it shows within a second.
    void everySlotOn (AudioMidiHandler& engine)
    {
        for (int index : { 2, 6, 9, 14, 17 })
            engine.setParameter (index, 1.0f);
        engine.setParameter (0, 0.05f);    // delTme
        engine.setParameter (3, 0.4f);     // wahFreq
        engine.setParameter (10, 0.5f);    // ampDrv
    }

    // A started engine at a factor, run over a mono signal in blocks of
    // `block` (the device announcing `announced`).
    struct StartedEngine
    {
        StartedEngine (int factor, double rate = 48000.0, int announced = 512, bool everyFactor = false)
        {
            engine.setOversampling (factor);
            engine.prepareEveryOversampling (everyFactor);
            engine.prepare (rate, announced);
        }

        ~StartedEngine() { engine.release(); }

        std::vector<float> play (const std::vector<float>& input, int block)
        {
            std::vector<float> output (input.size());
            for (size_t done = 0; done < input.size(); done += static_cast<size_t> (block))
            {
                const int n = static_cast<int> (std::min (input.size() - done, static_cast<size_t> (block)));
                const float* in[] { input.data() + done };
                float* out[] { output.data() + done };
                engine.process (in, 1, out, 1, n);
            }
            return output;
        }

        AudioMidiHandler engine;
    };

    bool sameBits (const std::vector<float>& a, const std::vector<float>& b)
    {
        return a.size() == b.size() && std::memcmp (a.data(), b.data(), a.size() * sizeof (float)) == 0;
    }

    std::vector<float> sine (double frequency, double rate, int length, double level)
    {
        std::vector<float> s (static_cast<size_t> (length));
        for (int n = 0; n < length; ++n)
            s[static_cast<size_t> (n)] = static_cast<float> (level * std::sin (6.283185307179586 * frequency * n / rate));
        return s;
    }
}

// The delay the resampler adds: what the renderer takes out and a plugin
// reports. Whole samples at every factor and rate, and the figures the
// manual pages give.
TEST (Oversampling, TheOutputLagsByTheResamplersDelayAtEveryRate)
{
    const int documented[] { 0, 4, 6, 6 };

    for (size_t i = 0; i < std::size (factors); ++i)
    {
        const int factor = factors[i];
        const int latency = AudioMidiHandler::latencyForOversampling (factor);
        EXPECT_EQ (latency, documented[i]) << factor;

        for (const double rate : { 44100.0, 48000.0, 96000.0 })
        {
            // The master off: the plain input sum, through the resampler only.
            StartedEngine run (factor, rate);
            run.engine.setParameter (17, 0.0f);
            const auto input = sine (100.0, rate, static_cast<int> (rate / 2), 0.5);
            const auto output = run.play (input, 256);

            double worst = 0.0;
            for (size_t n = input.size() / 2; n < input.size(); ++n)
                worst = std::max (worst, std::fabs (static_cast<double> (output[n]) - input[n - static_cast<size_t> (latency)]));

            EXPECT_LT (worst, 1.0e-3) << factor << "x at " << rate << " Hz: the output is not the input "
                                      << latency << " samples late";
        }
    }
}

// The renderer's linear-phase resampling: its delay, a whole number of
// samples at every factor and rate (the figures the README and the manual
// page give), is the same at every frequency, so the output with the master
// off is the input exactly that much later, a high tone included.
TEST (Oversampling, LinearPhaseTheOutputLagsByItsDelayAtEveryFrequency)
{
    const int documented[] { 0, 49, 60, 65 };

    for (size_t i = 0; i < std::size (factors); ++i)
    {
        const int factor = factors[i];
        const int latency = AudioMidiHandler::latencyForOversampling (factor, Resampling::linearPhase);
        EXPECT_EQ (latency, documented[i]) << factor;

        for (const double rate : { 44100.0, 48000.0, 96000.0 })
        {
            AudioMidiHandler engine;
            engine.setOversampling (factor);
            engine.setResampling (Resampling::linearPhase);
            engine.setParameter (17, 0.0f);
            engine.prepare (rate, 256);

            auto input = sine (1000.0, rate, static_cast<int> (rate / 2), 0.3);
            const auto high = sine (0.35 * rate, rate, static_cast<int> (rate / 2), 0.3);
            for (size_t n = 0; n < input.size(); ++n)
                input[n] += high[n];

            std::vector<float> output (input.size());
            for (size_t done = 0; done < input.size(); done += 256)
            {
                const int n = static_cast<int> (std::min (input.size() - done, size_t { 256 }));
                const float* in[] { input.data() + done };
                float* out[] { output.data() + done };
                engine.process (in, 1, out, 1, n);
            }

            engine.release();

            double worst = 0.0;
            for (size_t n = input.size() / 2; n < input.size(); ++n)
                worst = std::max (worst, std::fabs (static_cast<double> (output[n]) - input[n - static_cast<size_t> (latency)]));

            EXPECT_LT (worst, 1.0e-3) << factor << "x at " << rate << " Hz: the output is not the input "
                                      << latency << " samples late";
        }
    }
}

TEST (Oversampling, OnlyOneTwoFourAndEightAreTaken)
{
    AudioMidiHandler engine;
    EXPECT_EQ (engine.getOversampling(), 1);

    for (const int factor : { 2, 8, 4, 1 })
    {
        engine.setOversampling (factor);
        EXPECT_EQ (engine.getOversampling(), factor);
    }

    engine.setOversampling (4);
    for (const int wrong : { 0, 3, 5, 16, -2, 1000 })
    {
        engine.setOversampling (wrong);
        EXPECT_EQ (engine.getOversampling(), 4) << wrong;
    }
    EXPECT_EQ (AudioMidiHandler::latencyForOversampling (3), 0);
}

// Factor 1 is the chain as it always was, also with every other factor
// made ready beside it.
TEST (Oversampling, FactorOneWithEveryFactorReadyIsTheEngineAsItWas)
{
    const auto input = noise (48000, 5, 0.5f);

    EngineHarness plain (48000.0, 512);
    everySlotOn (plain.engine);
    const auto expected = plain.run ({ input }, 1)[0];

    StartedEngine ready (1, 48000.0, 512, true);
    everySlotOn (ready.engine);
    EXPECT_TRUE (sameBits (expected, ready.play (input, 512)));
}

// The resampler and the chain run sample by sample, so how the device cuts
// its blocks (longer ones than it announced included) changes nothing.
TEST (Oversampling, TheOutputDoesNotDependOnTheBlocks)
{
    const auto input = noise (24000, 9, 0.5f);

    for (const int factor : { 2, 4, 8 })
    {
        StartedEngine reference (factor, 48000.0, 512);
        everySlotOn (reference.engine);
        const auto expected = reference.play (input, 512);

        for (const int block : { 1, 17, 300, 4096 })
        {
            StartedEngine run (factor, 48000.0, 512);
            everySlotOn (run.engine);
            EXPECT_TRUE (sameBits (expected, run.play (input, block))) << factor << "x, blocks of " << block;
        }
    }
}

// Prepared for every factor (as the plugin is), a change takes effect at the
// next block and starts the chain afresh: from there on the engine sounds as
// a fresh one at the new factor, with no echo of what it played before.
TEST (Oversampling, AChangeStartsTheChainAfreshAtTheNextBlock)
{
    const auto first = noise (20000, 3, 0.5f);
    const auto second = noise (20000, 4, 0.5f);

    for (const int from : factors)
    {
        for (const int to : factors)
        {
            if (from == to)
                continue;

            StartedEngine switching (from, 48000.0, 512, true);
            everySlotOn (switching.engine);
            switching.play (first, 512);

            switching.engine.setOversampling (to);
            EXPECT_EQ (switching.engine.getRunningOversampling(), from) << "before the next block";
            const auto after = switching.play (second, 512);
            EXPECT_EQ (switching.engine.getRunningOversampling(), to);

            StartedEngine fresh (to, 48000.0, 512);
            everySlotOn (fresh.engine);
            EXPECT_TRUE (sameBits (fresh.play (second, 512), after)) << from << "x to " << to << "x";
        }
    }
}

// The app and the renderer prepare only the factor they run at: a change
// then waits for the next device start instead of allocating on the audio
// thread.
TEST (Oversampling, UnpreparedAChangeWaitsForTheNextDeviceStart)
{
    const auto input = noise (10000, 6, 0.5f);

    StartedEngine unchanged (1);
    everySlotOn (unchanged.engine);
    const auto expected = unchanged.play (input, 256);

    StartedEngine run (1);
    everySlotOn (run.engine);
    run.engine.setOversampling (4);
    EXPECT_TRUE (sameBits (expected, run.play (input, 256)));
    EXPECT_EQ (run.engine.getRunningOversampling(), 1);

    run.engine.release();
    run.engine.prepare (48000.0, 512);
    EXPECT_EQ (run.engine.getRunningOversampling(), 4);

    StartedEngine four (4);
    everySlotOn (four.engine);
    EXPECT_TRUE (sameBits (four.play (input, 256), run.play (input, 256)));
}

// A sample far beyond full scale overflows the resampler's recursive
// filters; they start again from silence, so the sound comes back instead of
// staying NaN until the device restarts.
TEST (Oversampling, TheSoundComesBackAfterASampleBeyondTheFloatRange)
{
    for (const int factor : { 2, 4, 8 })
    {
        StartedEngine run (factor);
        run.engine.setParameter (14, 0.0f);   // no clip in the way
        run.engine.setParameter (15, 1.0f);   // +40 dB

        auto input = sine (440.0, 48000.0, 48000, 0.1);
        for (size_t n = 1000; n < 1004; ++n)
            input[n] = (n % 2 == 0 ? 1.0f : -1.0f) * 3.0e38f;

        const auto output = run.play (input, 256);
        for (size_t n = 2000; n < output.size(); ++n)
            ASSERT_TRUE (std::isfinite (output[n])) << factor << "x, sample " << n;
        EXPECT_GT (spectrum::rms (output, 24000, 48000), 1.0) << factor << "x";
    }
}

// The tone is the tone of factor 1. The wah's and the distortion's four-pole
// filters are the device-rate filters, so the wah is the same to the last
// bit of level; the cookbook biquads (amp and cabinet), designed at the
// higher rate, differ only near the device's Nyquist frequency, where the
// bilinear transform pulls the response at 1x down (the top octave, checked
// below only for the wah). Quiet noise, so the clips hardly bend; the octave
// bands of each factor against factor 1 are printed.
TEST (Oversampling, TheToneIsTheToneOfFactorOne)
{
    struct Sound
    {
        const char* name;
        std::vector<std::pair<int, float>> parameters;   // setParameter index and value
        double highestOctave;                            // checked up to here
        double toleranceDb;
    };

    const Sound sounds[] {
        // The default sound: amp at +28 dB drive and the cabinet.
        { "the default sound (amp and cabinet)", {}, 4000.0, 0.5 },
        { "amp and cabinet at 0 dB drive, delay", { { 10, 0.0f }, { 2, 1.0f }, { 0, 0.02f } }, 4000.0, 0.5 },
        { "wah alone, pedal at the toe", { { 6, 1.0f }, { 14, 0.0f } }, 8000.0, 0.1 },
        { "wah alone, pedal at 550 Hz, little damping", { { 6, 1.0f }, { 14, 0.0f }, { 3, 0.4f }, { 4, 0.05f } }, 8000.0, 0.1 },
        { "distortion at 0 dB gain, amp off", { { 9, 1.0f }, { 7, 0.0f }, { 14, 0.0f } }, 4000.0, 1.0 },
        { "every slot on", { { 6, 1.0f }, { 9, 1.0f }, { 7, 0.0f }, { 2, 1.0f }, { 0, 0.02f } }, 4000.0, 1.0 },
    };

    std::printf ("\nOctave bands against factor 1, dB (quiet noise):\n");

    for (const auto& sound : sounds)
    {
        for (const double rate : { 44100.0, 48000.0 })
        {
            const auto input = noise (static_cast<int> (rate) * 2, 12, 0.01f);
            std::vector<std::vector<float>> outputs;

            for (const int factor : factors)
            {
                StartedEngine run (factor, rate);
                for (const auto& [index, value] : sound.parameters)
                    run.engine.setParameter (index, value);
                outputs.push_back (run.play (input, 512));
            }

            for (size_t f = 1; f < std::size (factors); ++f)
            {
                std::printf ("%-44s %5.0f Hz %dx:", sound.name, rate, factors[f]);
                for (double low = 62.5; low < 16000.0; low *= 2.0)
                {
                    const double difference = spectrum::bandLevelDb (outputs[f], rate, low, 2.0 * low)
                                            - spectrum::bandLevelDb (outputs[0], rate, low, 2.0 * low);
                    std::printf (" %+5.2f", difference);

                    if (low <= sound.highestOctave)
                        EXPECT_LT (std::fabs (difference), sound.toleranceDb)
                            << sound.name << ", " << factors[f] << "x at " << rate << " Hz, the octave from " << low << " Hz";
                }
                std::printf ("\n");
            }
        }
    }
}
