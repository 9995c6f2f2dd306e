#include "OutputFormat.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
    using Container = OutputFormat::Container;

    struct FormatCase
    {
        std::string path;
        int requestedBits;
        bool accepted;
        Container container;
        int bitsPerSample;
        bool clips;
        std::string description;
    };

    void PrintTo (const FormatCase& c, std::ostream* os)
    {
        *os << c.path << " --bits " << c.requestedBits;
    }

    class OutputFormatChoice : public ::testing::TestWithParam<FormatCase>
    {
    };

    TEST_P (OutputFormatChoice, FollowsTheExtensionAndDepth)
    {
        const auto& c = GetParam();
        OutputFormat format;
        format.bitsPerSample = -1;
        const auto error = OutputFormat::choose (c.path, c.requestedBits, format);

        if (! c.accepted)
        {
            EXPECT_NE (error, "");
            EXPECT_EQ (format.bitsPerSample, -1) << "left alone on failure";
            return;
        }

        ASSERT_EQ (error, "");
        EXPECT_EQ (format.container, c.container);
        EXPECT_EQ (format.bitsPerSample, c.bitsPerSample);
        EXPECT_EQ (format.clipsAtFullScale(), c.clips);
        EXPECT_EQ (format.describe(), c.description);

        // JUCE agrees that it can write this depth (Ogg Vorbis ignores it).
        const auto juceFormat = format.createAudioFormat();
        ASSERT_NE (juceFormat, nullptr);
        EXPECT_TRUE (juceFormat->getPossibleBitDepths().contains (format.bitsPerSample)) << c.path;
        const auto extension = juce::String (c.path).fromLastOccurrenceOf (".", true, false).toLowerCase();
        EXPECT_TRUE (juceFormat->getFileExtensions().contains (extension)) << c.path;
    }

    INSTANTIATE_TEST_SUITE_P (
        Table, OutputFormatChoice,
        ::testing::Values (
            FormatCase { "out.wav", 0, true, Container::wav, 32, false, "32-bit float WAV" },
            FormatCase { "out.wav", 32, true, Container::wav, 32, false, "32-bit float WAV" },
            FormatCase { "out.wav", 24, true, Container::wav, 24, true, "24-bit WAV" },
            FormatCase { "out.wav", 16, true, Container::wav, 16, true, "16-bit WAV" },
            FormatCase { "dir/OUT.WAV", 0, true, Container::wav, 32, false, "32-bit float WAV" },
            FormatCase { "out.aif", 0, true, Container::aiff, 24, true, "24-bit AIFF" },
            FormatCase { "out.aiff", 16, true, Container::aiff, 16, true, "16-bit AIFF" },
            FormatCase { "out.aiff", 32, false, Container::aiff, 0, true, "" },
            FormatCase { "out.flac", 0, true, Container::flac, 24, true, "24-bit FLAC" },
            FormatCase { "out.flac", 16, true, Container::flac, 16, true, "16-bit FLAC" },
            FormatCase { "out.flac", 32, false, Container::flac, 0, true, "" },
            FormatCase { "out.ogg", 0, true, Container::oggVorbis, 32, true, "Ogg Vorbis" },
            FormatCase { "out.ogg", 24, false, Container::oggVorbis, 0, true, "" },
            FormatCase { "out.wav", 8, false, Container::wav, 0, true, "" },
            FormatCase { "out.mp3", 0, false, Container::wav, 0, true, "" },
            FormatCase { "out.wav.txt", 0, false, Container::wav, 0, true, "" },
            FormatCase { "out", 0, false, Container::wav, 0, true, "" },
            FormatCase { "some.dir/out", 0, false, Container::wav, 0, true, "" },
            FormatCase { ".wav", 0, false, Container::wav, 0, true, "" }));
}
