// Input files whose headers promise audio the file does not hold, or in a
// layout the reader must not guess at: each is refused with one line and
// exit status 1, and nothing is written. Unusual but legal layouts render
// the samples they hold, no more and no fewer.

#include "RenderFixture.h"

#include <cstring>
#include <filesystem>

namespace
{
    using rendertest::makeSignal;
    using Bytes = std::vector<uint8_t>;

    void putLittle (Bytes& bytes, uint64_t value, int numBytes)
    {
        for (int i = 0; i < numBytes; ++i)
            bytes.push_back (static_cast<uint8_t> (value >> (8 * i)));
    }

    void putTag (Bytes& bytes, const char* tag)
    {
        bytes.insert (bytes.end(), tag, tag + 4);
    }

    // The parts of a RIFF WAVE file a test wants to choose.
    struct WavLayout
    {
        int formatTag = 1;           // 1 PCM, 3 IEEE float
        uint32_t channels = 1;
        uint32_t sampleRate = 44100;
        int bitsPerSample = 16;      // as the header says it
        int containerBytes = 2;      // bytes each sample takes in the data
        uint32_t paddingBytes = 0;   // a chunk of no interest before the data
        Bytes data;
    };

    Bytes wavBytes (const WavLayout& layout)
    {
        Bytes body;
        putTag (body, "WAVE");
        putTag (body, "fmt ");
        putLittle (body, 16, 4);
        putLittle (body, static_cast<uint64_t> (layout.formatTag), 2);
        putLittle (body, layout.channels, 2);
        putLittle (body, layout.sampleRate, 4);
        const auto blockAlign = layout.channels * static_cast<uint32_t> (layout.containerBytes);
        putLittle (body, static_cast<uint64_t> (layout.sampleRate) * blockAlign, 4);
        putLittle (body, blockAlign, 2);
        putLittle (body, static_cast<uint64_t> (layout.bitsPerSample), 2);

        if (layout.paddingBytes > 0)
        {
            putTag (body, "JUNK");
            putLittle (body, layout.paddingBytes, 4);
            body.insert (body.end(), layout.paddingBytes, 0);
        }

        putTag (body, "data");
        putLittle (body, layout.data.size(), 4);
        body.insert (body.end(), layout.data.begin(), layout.data.end());

        Bytes file;
        putTag (file, "RIFF");
        putLittle (file, body.size(), 4);
        file.insert (file.end(), body.begin(), body.end());
        return file;
    }

    // `count` little-endian integers of `bytes` each, a ramp that uses the
    // top `bits` bits only (the rest zero, as narrower samples are stored).
    Bytes rampSamples (int count, int bytes, int bits)
    {
        Bytes data;

        for (int i = 0; i < count; ++i)
        {
            const auto step = static_cast<int64_t> ((i * 37) % 1024 - 512);
            const auto value = static_cast<uint64_t> (step * (int64_t (1) << (8 * bytes - 11)))
                             & ~((uint64_t (1) << (8 * bytes - bits)) - 1);
            putLittle (data, value, bytes);
        }

        return data;
    }

    class RenderDamagedInput : public RenderFixture
    {
    protected:
        // Runs on `input` and checks for the refusal: status 1, one line
        // naming `text`, and the folder as it was.
        void expectRefused (const std::string& input, const std::string& text)
        {
            const auto before = dir.entries();
            const auto result = run ({ input, "out.wav" });

            EXPECT_EQ (result.signal, 0);
            EXPECT_EQ (result.exitCode, 1) << result.err;
            EXPECT_EQ (result.err.rfind ("velthorn-render: ", 0), 0u) << result.err;
            EXPECT_NE (result.err.find (text), std::string::npos) << result.err;
            EXPECT_EQ (std::count (result.err.begin(), result.err.end(), '\n'), 1) << "one line: " << result.err;
            EXPECT_EQ (dir.entries(), before) << "something was left behind";
        }

        // A FLAC file of `numSamples` from JUCE's writer, as bytes.
        Bytes flacBytes (int64_t numSamples)
        {
            writeInput ("made.flac", makeSignal (1, numSamples, 44100.0), 16);
            auto bytes = rendertest::readBytes (dir.path ("made.flac"));
            ::unlink (dir.path ("made.flac").c_str());
            return bytes;
        }
    };

    TEST_F (RenderDamagedInput, AFlacWhoseHeaderClaimsMoreSamplesIsRefused)
    {
        // 0.2 s of audio whose stream information says 60 s. The total is
        // the last 36 bits of bytes 10 to 17 of that block, which starts at
        // byte 8 of the file.
        auto bytes = flacBytes (8820);
        ASSERT_EQ (std::memcmp (bytes.data(), "fLaC", 4), 0);
        const uint64_t claimed = 60 * 44100;
        bytes[21] = static_cast<uint8_t> ((bytes[21] & 0xf0) | ((claimed >> 32) & 0x0f));

        for (int i = 0; i < 4; ++i)
            bytes[22 + static_cast<size_t> (i)] = static_cast<uint8_t> (claimed >> (24 - 8 * i));

        rendertest::writeBytes (dir.path ("claims.flac"), bytes);
        expectRefused ("claims.flac", "is damaged");
    }

    TEST_F (RenderDamagedInput, ATruncatedFlacIsRefused)
    {
        auto bytes = flacBytes (3 * 44100);
        bytes.resize (bytes.size() / 2);
        rendertest::writeBytes (dir.path ("half.flac"), bytes);
        expectRefused ("half.flac", "is damaged");
    }

    TEST_F (RenderDamagedInput, AnIntactFlacStillRenders)
    {
        rendertest::writeBytes (dir.path ("whole.flac"), flacBytes (3 * 44100));
        const auto output = renderOk ({ "whole.flac", "out.wav" }, "out.wav");
        EXPECT_EQ (output.numSamples(), 3 * 44100);
    }

    TEST_F (RenderDamagedInput, AWavCutByLessThanItsOtherChunksIsRefused)
    {
        // 16 KiB of padding would hide a 16,000-byte cut from any check that
        // compares the announced audio with the size of the whole file.
        WavLayout layout;
        layout.paddingBytes = 16384;
        layout.data = rampSamples (44100, 2, 16);
        auto bytes = wavBytes (layout);
        bytes.resize (bytes.size() - 16000);
        rendertest::writeBytes (dir.path ("cut.wav"), bytes);
        expectRefused ("cut.wav", "is damaged");
    }

    TEST_F (RenderDamagedInput, AnAiffCutShortIsRefused)
    {
        writeInput ("whole.aiff", makeSignal (2, 4410, 44100.0), 16);
        auto bytes = rendertest::readBytes (dir.path ("whole.aiff"));
        bytes.resize (bytes.size() - 100);
        rendertest::writeBytes (dir.path ("cut.aiff"), bytes);
        expectRefused ("cut.aiff", "is damaged");
    }

    TEST_F (RenderDamagedInput, ATruncatedOggIsRefused)
    {
        writeInput ("whole.ogg", makeSignal (2, 3 * 44100, 44100.0));
        auto bytes = rendertest::readBytes (dir.path ("whole.ogg"));
        bytes.resize (bytes.size() * 9 / 10);
        rendertest::writeBytes (dir.path ("cut.ogg"), bytes);
        expectRefused ("cut.ogg", "is damaged");
    }

    TEST_F (RenderDamagedInput, AnIntactOggStillRendersAllOfIt)
    {
        writeInput ("whole.ogg", makeSignal (2, 3 * 44100, 44100.0));
        const auto output = renderOk ({ "whole.ogg", "out.wav" }, "out.wav");
        EXPECT_EQ (output.numSamples(), 3 * 44100);
    }

    // Headers that are legal or plainly impossible, each with what the
    // renderer must say.
    struct HeaderCase
    {
        std::string label;
        WavLayout layout;
        std::string text;
    };

    void PrintTo (const HeaderCase& c, std::ostream* os)
    {
        *os << c.label;
    }

    class RenderWavHeader : public RenderDamagedInput,
                            public ::testing::WithParamInterface<HeaderCase>
    {
    };

    TEST_P (RenderWavHeader, IsRefusedWithTheReason)
    {
        rendertest::writeBytes (dir.path ("odd.wav"), wavBytes (GetParam().layout));
        expectRefused ("odd.wav", GetParam().text);
    }

    WavLayout layoutWith (uint32_t channels, uint32_t rate, int formatTag = 1, int bits = 16)
    {
        WavLayout layout;
        layout.channels = channels;
        layout.sampleRate = rate;
        layout.formatTag = formatTag;
        layout.bitsPerSample = bits;
        layout.containerBytes = bits / 8;
        layout.data = Bytes (static_cast<size_t> (64 * (bits / 8)), 0);
        return layout;
    }

    INSTANTIATE_TEST_SUITE_P (
        Table, RenderWavHeader,
        ::testing::Values (
            HeaderCase { "float64", layoutWith (1, 44100, 3, 64), "64-bit float WAV is not supported" },
            HeaderCase { "channels65535", layoutWith (65535, 44100), "has 65535 channels; 1 to 64 can be rendered" },
            HeaderCase { "rate0", layoutWith (1, 0), "has a sample rate of 0 Hz; from 1000 to 768000 Hz can be rendered" },
            HeaderCase { "rate4GHz", layoutWith (1, 4000000000u), "has a sample rate of 4000000000 Hz; from 1000 to 768000" }),
        [] (const ::testing::TestParamInfo<HeaderCase>& info) { return info.param.label; });

    // Samples narrower than their container are stored in its top bits; the
    // same bytes read as the container's width are the same values.
    struct NarrowCase
    {
        int bits;
        int containerBytes;
    };

    class RenderNarrowPcm : public RenderDamagedInput,
                            public ::testing::WithParamInterface<NarrowCase>
    {
    };

    TEST_P (RenderNarrowPcm, RendersLikeTheSameSamplesAtTheContainerWidth)
    {
        const auto [bits, containerBytes] = GetParam();
        constexpr int numFrames = 3000;

        WavLayout narrow;
        narrow.channels = 2;
        narrow.bitsPerSample = bits;
        narrow.containerBytes = containerBytes;
        narrow.data = rampSamples (2 * numFrames, containerBytes, bits);

        auto wide = narrow;
        wide.bitsPerSample = 8 * containerBytes;

        rendertest::writeBytes (dir.path ("narrow.wav"), wavBytes (narrow));
        rendertest::writeBytes (dir.path ("wide.wav"), wavBytes (wide));

        const auto fromNarrow = renderOk ({ "narrow.wav", "a.wav" }, "a.wav");
        const auto fromWide = renderOk ({ "wide.wav", "b.wav" }, "b.wav");

        ASSERT_EQ (fromNarrow.numSamples(), numFrames);
        ASSERT_EQ (fromWide.numSamples(), numFrames);
        EXPECT_EQ (rendertest::firstDifference (fromNarrow.channels[0], fromWide.channels[0]), -1);

        float loudest = 0.0f;

        for (const auto sample : fromNarrow.channels[0])
            loudest = std::max (loudest, std::abs (sample));

        EXPECT_GT (loudest, 0.01f) << "the samples were read as silence";
    }

    INSTANTIATE_TEST_SUITE_P (Table, RenderNarrowPcm, ::testing::Values (NarrowCase { 12, 2 }, NarrowCase { 20, 3 }),
                              [] (const ::testing::TestParamInfo<NarrowCase>& info)
                              { return "bits" + std::to_string (info.param.bits); });

    TEST_F (RenderDamagedInput, EveryInputTheFuzzerFoundIsRefused)
    {
        // Each of these once rendered audio that was not in the file (or
        // asked for gigabytes of memory); the real binary now refuses them.
        int cases = 0;

        for (const auto& entry : std::filesystem::directory_iterator (VELTHORN_FUZZ_AUDIO_REGRESSIONS))
        {
            const auto name = entry.path().filename().string();
            rendertest::writeBytes (dir.path (name), rendertest::readBytes (entry.path().string()));
            SCOPED_TRACE (name);
            expectRefused (name, "is damaged");
            ++cases;
        }

        EXPECT_GT (cases, 0) << "no regression cases found in " << VELTHORN_FUZZ_AUDIO_REGRESSIONS;
    }
}
