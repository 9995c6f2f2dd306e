#pragma once

#include "RenderTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

// A fresh folder per test, with helpers to write inputs, run the real
// velthorn-render in that folder and read what it wrote.
class RenderFixture : public ::testing::Test
{
public:
    using Settings = std::vector<std::pair<std::string, std::string>>;   // name, value as typed

protected:
    // Writes `audio` as a 32-bit float WAV (or what the extension says).
    std::string writeInput (const std::string& name, const rendertest::AudioData& audio, int bits = 32)
    {
        const auto path = dir.path (name);
        rendertest::writeAudio (path, audio, bits);
        return path;
    }

    rendertest::RunResult run (const std::vector<std::string>& arguments, rendertest::RunLimits limits = {})
    {
        return rendertest::runRenderer (arguments, dir.root(), limits);
    }

    // Runs and expects success; returns what the output file holds.
    rendertest::AudioData renderOk (const std::vector<std::string>& arguments, const std::string& output)
    {
        const auto result = run (arguments);
        EXPECT_EQ (result.exitCode, 0) << result.err;
        return rendertest::readAudio (dir.path (output));
    }

    static std::vector<std::string> withSettings (std::vector<std::string> arguments, const Settings& settings)
    {
        for (const auto& [name, value] : settings)
        {
            arguments.push_back ("--set");
            arguments.push_back (name + "=" + value);
        }

        return arguments;
    }

    // The engine's own index for each name, as the main panel uses them.
    static int engineIndex (const std::string& name)
    {
        static const std::vector<std::string> names { "delTme", "delAm", "delOn", "wahFreq", "wahRes", "wahGain",
                                                      "wahOn", "distGain", "distFreq", "distOn", "ampDrv", "ampLo",
                                                      "ampMid", "ampHi", "ampOn", "mast", "", "mastOn" };

        for (size_t i = 0; i < names.size(); ++i)
            if (names[i] == name)
                return static_cast<int> (i);

        ADD_FAILURE() << "no parameter " << name;
        return 16;
    }

    static std::vector<std::pair<int, float>> engineSettings (const Settings& settings)
    {
        std::vector<std::pair<int, float>> result;

        for (const auto& [name, value] : settings)
            result.emplace_back (engineIndex (name), static_cast<float> (std::stod (value)));

        return result;
    }

    // Every channel of `output` is bit for bit `expected`.
    static void expectEveryChannelIs (const rendertest::AudioData& output, const std::vector<float>& expected,
                                      const std::string& label)
    {
        ASSERT_GT (output.numChannels(), 0) << label;

        for (int channel = 0; channel < output.numChannels(); ++channel)
        {
            const auto& samples = output.channels[static_cast<size_t> (channel)];
            ASSERT_EQ (samples.size(), expected.size()) << label << ", channel " << channel;
            EXPECT_EQ (rendertest::firstDifference (samples, expected), -1)
                << label << ", channel " << channel << ": first difference at that sample";
        }
    }

    rendertest::TempDirectory dir;
};
