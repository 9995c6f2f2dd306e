// The tool's output against AudioMidiHandler run directly on the same input:
// every float must be the same bit pattern.

#include "RenderFixture.h"

#include <cmath>

namespace
{
    using rendertest::AudioData;
    using rendertest::makeSignal;
    using rendertest::renderWithEngine;

    struct MatchCase
    {
        std::string label;
        int numChannels;
        double sampleRate;
        int64_t numSamples;
        RenderFixture::Settings settings;
        std::string tailSeconds;   // empty: no --tail
    };

    void PrintTo (const MatchCase& c, std::ostream* os)
    {
        *os << c.label;
    }

    class RenderMatchesEngine : public RenderFixture,
                                public ::testing::WithParamInterface<MatchCase>
    {
    };

    TEST_P (RenderMatchesEngine, SampleForSample)
    {
        const auto& c = GetParam();
        const auto input = makeSignal (c.numChannels, c.numSamples, c.sampleRate, 0.3f, 7);
        writeInput ("in.wav", input);

        std::vector<std::string> arguments { "in.wav", "out.wav" };

        if (! c.tailSeconds.empty())
            arguments.insert (arguments.end(), { "--tail", c.tailSeconds });

        const auto tailSamples = c.tailSeconds.empty() ? 0 : std::llround (std::stod (c.tailSeconds) * c.sampleRate);
        const auto output = renderOk (withSettings (arguments, c.settings), "out.wav");
        const auto expected = renderWithEngine (input, tailSamples, engineSettings (c.settings));

        EXPECT_EQ (output.sampleRate, c.sampleRate);
        EXPECT_EQ (output.numChannels(), c.numChannels);
        expectEveryChannelIs (output, expected, c.label);
    }

    INSTANTIATE_TEST_SUITE_P (
        Table, RenderMatchesEngine,
        ::testing::Values (
            MatchCase { "defaults_stereo", 2, 48000.0, 24000, {}, "" },
            MatchCase { "defaults_mono", 1, 44100.0, 30000, {}, "" },
            MatchCase { "three_channels_low_rate", 3, 22050.0, 11025, {}, "0.1" },
            MatchCase { "every_slot_with_tail", 2, 44100.0, 22050,
                        { { "wahOn", "1" }, { "distOn", "1" }, { "delOn", "1" }, { "delTme", "0.1" },
                          { "delAm", "0.6" }, { "wahFreq", "0.35" }, { "distGain", "0.8" }, { "ampDrv", "0.4" } },
                        "0.4" },
            MatchCase { "high_rate", 2, 96000.0, 20000, { { "delOn", "1" }, { "delTme", "0.05" } }, "0.1" },
            MatchCase { "silent_level", 1, 48000.0, 4800, { { "mast", "0" } }, "" },
            MatchCase { "tail_only_of_an_empty_file", 1, 48000.0, 0, { { "delOn", "1" } }, "0.05" }),
        [] (const ::testing::TestParamInfo<MatchCase>& info) { return info.param.label; });

    // Each name reaches the engine parameter of that name: with every slot
    // running, changing it changes the output, exactly as setParameter with
    // the engine's own index does.
    class SetByName : public RenderFixture,
                      public ::testing::WithParamInterface<std::string>
    {
    };

    TEST_P (SetByName, ActsLikeSetParameterWithItsIndex)
    {
        const auto& name = GetParam();
        const auto input = makeSignal (2, 22050, 44100.0, 0.3f, 3);
        writeInput ("in.wav", input);

        const Settings everySlotOn { { "wahOn", "1" }, { "distOn", "1" }, { "delOn", "1" }, { "delTme", "0.05" } };
        const bool isSwitch = name.size() > 2 && name.compare (name.size() - 2, 2, "On") == 0;
        auto settings = everySlotOn;
        settings.emplace_back (name, isSwitch ? "0" : "0.27");

        const auto output = renderOk (withSettings ({ "in.wav", "out.wav" }, settings), "out.wav");
        const auto expected = renderWithEngine (input, 0, engineSettings (settings));
        const auto withoutIt = renderWithEngine (input, 0, engineSettings (everySlotOn));

        expectEveryChannelIs (output, expected, name);
        EXPECT_FALSE (rendertest::bitIdentical (expected, withoutIt)) << name << " made no difference at all";
    }

    INSTANTIATE_TEST_SUITE_P (
        EveryParameter, SetByName,
        ::testing::Values ("delTme", "delAm", "delOn", "wahFreq", "wahRes", "wahGain", "wahOn", "distGain", "distFreq",
                           "distOn", "ampDrv", "ampLo", "ampMid", "ampHi", "ampOn", "mast", "mastOn"));

    // Worked cases that need no reference at all.
    struct KnownGain
    {
        std::string label;
        RenderFixture::Settings settings;
        float gain;
    };

    void PrintTo (const KnownGain& c, std::ostream* os)
    {
        *os << c.label;
    }

    class RenderKnownGain : public RenderFixture,
                            public ::testing::WithParamInterface<KnownGain>
    {
    };

    TEST_P (RenderKnownGain, ScalesThePlainInputSum)
    {
        const auto input = makeSignal (2, 9000, 48000.0, 0.3f, 11);
        writeInput ("in.wav", input);

        const auto output = renderOk (withSettings ({ "in.wav", "out.wav" }, GetParam().settings), "out.wav");
        ASSERT_EQ (output.numChannels(), 2);

        for (size_t i = 0; i < 9000; ++i)
        {
            // Summed as the engine sums: from zero, channel by channel.
            float sum = 0.0f;
            sum = sum + input.channels[0][i];
            sum = sum + input.channels[1][i];
            const float expected = GetParam().gain == 1.0f ? sum : GetParam().gain * sum;

            ASSERT_EQ (output.channels[0][i], expected) << GetParam().label << " at " << i;
            ASSERT_EQ (output.channels[1][i], expected) << GetParam().label << " at " << i;
        }
    }

    INSTANTIATE_TEST_SUITE_P (
        Table, RenderKnownGain,
        ::testing::Values (
            KnownGain { "master_off", { { "mastOn", "0" } }, 1.0f },
            KnownGain { "master_off_whatever_else", { { "wahOn", "1" }, { "delOn", "1" }, { "mast", "1" }, { "mastOn", "0" } }, 1.0f },
            KnownGain { "slots_off_full_level", { { "ampOn", "0" }, { "mast", "1" } }, 100.0f }),
        [] (const ::testing::TestParamInfo<KnownGain>& info) { return info.param.label; });

    // Every input format JUCE reads is processed as it decodes.
    struct InputFormat
    {
        std::string name;
        int bits;
    };

    void PrintTo (const InputFormat& c, std::ostream* os)
    {
        *os << c.name;
    }

    class RenderReadsFormat : public RenderFixture,
                              public ::testing::WithParamInterface<InputFormat>
    {
    };

    TEST_P (RenderReadsFormat, AndProcessesWhatItDecodes)
    {
        const auto& c = GetParam();
        writeInput (c.name, makeSignal (2, 12000, 44100.0, 0.3f, 5), c.bits);
        const auto decoded = rendertest::readAudio (dir.path (c.name));
        ASSERT_EQ (decoded.numSamples(), 12000) << c.name;

        const auto output = renderOk ({ c.name, "out.wav", "--set", "delOn=1", "--tail", "0.2" }, "out.wav");
        const auto expected = renderWithEngine (decoded, std::llround (0.2 * 44100.0), { { 2, 1.0f } });

        expectEveryChannelIs (output, expected, c.name);
    }

    INSTANTIATE_TEST_SUITE_P (
        Table, RenderReadsFormat,
        ::testing::Values (InputFormat { "in16.wav", 16 }, InputFormat { "in24.wav", 24 }, InputFormat { "in.aiff", 24 },
                           InputFormat { "in.aif", 16 }, InputFormat { "in16.flac", 16 }, InputFormat { "in24.flac", 24 },
                           InputFormat { "in.ogg", 32 }));

    // Every output format: same rate, channels and length; as close to the
    // engine as the depth allows.
    struct OutputCase
    {
        std::string name;
        std::vector<std::string> extraArguments;
        double tolerance;   // 0: bit for bit; negative: lossy, only shape
    };

    void PrintTo (const OutputCase& c, std::ostream* os)
    {
        *os << c.name;
    }

    class RenderWritesFormat : public RenderFixture,
                               public ::testing::WithParamInterface<OutputCase>
    {
    };

    TEST_P (RenderWritesFormat, WithTheInputsRateChannelsAndLength)
    {
        const auto& c = GetParam();
        const auto input = makeSignal (2, 20000, 48000.0, 0.3f, 9);
        writeInput ("in.wav", input);

        auto arguments = std::vector<std::string> { "in.wav", c.name, "--set", "ampOn=0" };
        arguments.insert (arguments.end(), c.extraArguments.begin(), c.extraArguments.end());

        const auto output = renderOk (arguments, c.name);
        const auto expected = renderWithEngine (input, 0, { { 14, 0.0f } });

        EXPECT_EQ (output.sampleRate, 48000.0);
        ASSERT_EQ (output.numChannels(), 2);
        ASSERT_EQ (output.numSamples(), 20000);

        for (const auto& channel : output.channels)
        {
            double error = 0.0, energy = 0.0;

            for (size_t i = 0; i < channel.size(); ++i)
            {
                error = std::max (error, static_cast<double> (std::abs (channel[i] - expected[i])));
                energy += static_cast<double> (channel[i]) * channel[i];
            }

            if (c.tolerance >= 0.0)
                EXPECT_LE (error, c.tolerance) << c.name;
            else
                EXPECT_GT (energy, 0.0) << c.name << " is silent";
        }
    }

    INSTANTIATE_TEST_SUITE_P (
        Table, RenderWritesFormat,
        ::testing::Values (OutputCase { "float.wav", {}, 0.0 },
                           OutputCase { "float32.wav", { "--bits", "32" }, 0.0 },
                           OutputCase { "int24.wav", { "--bits", "24" }, 2.0 / 8388608.0 },
                           OutputCase { "int16.wav", { "--bits", "16" }, 2.0 / 32768.0 },
                           OutputCase { "default.aiff", {}, 2.0 / 8388608.0 },
                           OutputCase { "int16.aif", { "--bits", "16" }, 2.0 / 32768.0 },
                           OutputCase { "default.flac", {}, 2.0 / 8388608.0 },
                           OutputCase { "int16.flac", { "--bits", "16" }, 2.0 / 32768.0 },
                           OutputCase { "lossy.ogg", {}, -1.0 }));
}
