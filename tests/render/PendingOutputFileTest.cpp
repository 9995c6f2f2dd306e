#include "PendingOutputFile.h"

#include "RenderTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
    using rendertest::TempDirectory;

    const std::vector<uint8_t> previousTake { 'o', 'l', 'd', ' ', 't', 'a', 'k', 'e' };

    std::vector<std::string> partFiles (const TempDirectory& dir)
    {
        std::vector<std::string> parts;

        for (const auto& name : dir.entries())
            if (name.size() > 5 && name.compare (name.size() - 5, 5, ".part") == 0)
                parts.push_back (name);

        return parts;
    }

    void writeThrough (PendingOutputFile& pending, const std::string& text)
    {
        auto stream = pending.createStream();
        ASSERT_TRUE (stream->write (text.data(), text.size()));
    }

    mode_t modeOf (const std::string& path)
    {
        struct stat info {};
        ::stat (path.c_str(), &info);
        return info.st_mode & 07777;
    }

    TEST (PendingOutputFile, WritesBesideTheTargetAndMovesIntoPlaceOnCommit)
    {
        TempDirectory dir;
        const auto target = dir.path ("take.wav");
        rendertest::writeBytes (target, previousTake);

        std::unique_ptr<PendingOutputFile> pending;
        ASSERT_EQ (PendingOutputFile::create (target, pending), "");

        const auto temporary = pending->temporaryPath();
        EXPECT_EQ (temporary.rfind (dir.root() + "/.take.wav.", 0), 0u) << temporary;
        EXPECT_EQ (partFiles (dir).size(), 1u);

        writeThrough (*pending, "new take");
        EXPECT_EQ (rendertest::readBytes (target), previousTake) << "untouched until the commit";

        ASSERT_EQ (pending->commit(), "");
        EXPECT_EQ (rendertest::readBytes (target), (std::vector<uint8_t> { 'n', 'e', 'w', ' ', 't', 'a', 'k', 'e' }));
        EXPECT_TRUE (partFiles (dir).empty());

        pending.reset();
        EXPECT_TRUE (rendertest::exists (target)) << "a committed file stays";
    }

    TEST (PendingOutputFile, LeavesNothingAndKeepsTheOldFileWhenNotCommitted)
    {
        TempDirectory dir;
        const auto target = dir.path ("take.wav");
        rendertest::writeBytes (target, previousTake);

        {
            std::unique_ptr<PendingOutputFile> pending;
            ASSERT_EQ (PendingOutputFile::create (target, pending), "");
            writeThrough (*pending, "half a take");
        }

        EXPECT_EQ (rendertest::readBytes (target), previousTake);
        EXPECT_EQ (dir.entries(), (std::vector<std::string> { "take.wav" }));
    }

    TEST (PendingOutputFile, AbandonNamesTheReasonAndCleansUp)
    {
        TempDirectory dir;
        std::unique_ptr<PendingOutputFile> pending;
        ASSERT_EQ (PendingOutputFile::create (dir.path ("new.wav"), pending), "");

        const auto reason = pending->abandon ("the encoder failed");

        EXPECT_NE (reason.find ("new.wav"), std::string::npos) << reason;
        EXPECT_NE (reason.find ("the encoder failed"), std::string::npos) << reason;
        EXPECT_TRUE (dir.entries().empty());
        EXPECT_NE (pending->commit(), "") << "nothing left to commit";
        EXPECT_TRUE (dir.entries().empty());
    }

    TEST (PendingOutputFile, KeepsTheModeOfAReplacedFileAndTheUmaskForANewOne)
    {
        TempDirectory dir;
        const auto replaced = dir.path ("replaced.wav");
        rendertest::writeBytes (replaced, previousTake);
        ::chmod (replaced.c_str(), 0640);

        const auto mask = ::umask (022);

        for (const auto& target : { replaced, dir.path ("fresh.wav") })
        {
            std::unique_ptr<PendingOutputFile> pending;
            ASSERT_EQ (PendingOutputFile::create (target, pending), "");
            writeThrough (*pending, "x");
            ASSERT_EQ (pending->commit(), "");
        }

        ::umask (mask);

        EXPECT_EQ (modeOf (replaced), 0640u);
        EXPECT_EQ (modeOf (dir.path ("fresh.wav")), 0644u);
    }

    TEST (PendingOutputFile, ReplacesTheFileASymbolicLinkPointsToAndKeepsTheLink)
    {
        TempDirectory dir;
        ASSERT_EQ (::mkdir (dir.path ("takes").c_str(), 0755), 0);
        const auto real = dir.path ("takes/real.wav");
        rendertest::writeBytes (real, previousTake);
        ASSERT_EQ (::symlink ("takes/real.wav", dir.path ("latest.wav").c_str()), 0);

        std::unique_ptr<PendingOutputFile> pending;
        ASSERT_EQ (PendingOutputFile::create (dir.path ("latest.wav"), pending), "");
        EXPECT_EQ (pending->temporaryPath().rfind (dir.path ("takes/.real.wav."), 0), 0u) << pending->temporaryPath();
        writeThrough (*pending, "new");
        ASSERT_EQ (pending->commit(), "");

        struct stat info {};
        ASSERT_EQ (::lstat (dir.path ("latest.wav").c_str(), &info), 0);
        EXPECT_TRUE (S_ISLNK (info.st_mode));
        EXPECT_EQ (rendertest::readBytes (real), (std::vector<uint8_t> { 'n', 'e', 'w' }));
    }

    struct UnwritableTarget
    {
        std::string description;
        std::string expectedText;
    };

    void PrintTo (const UnwritableTarget& c, std::ostream* os)
    {
        *os << c.description;
    }

    class PendingOutputFileRefuses : public ::testing::TestWithParam<UnwritableTarget>
    {
    };

    TEST_P (PendingOutputFileRefuses, WithAReasonAndWithoutLeavingAnything)
    {
        TempDirectory dir;
        rendertest::writeBytes (dir.path ("plain.wav"), previousTake);
        ASSERT_EQ (::mkdir (dir.path ("folder.wav").c_str(), 0755), 0);
        ASSERT_EQ (::symlink ("nowhere/x.wav", dir.path ("dangling.wav").c_str()), 0);

        const auto& c = GetParam();
        std::string target;

        if (c.description == "a directory")            target = dir.path ("folder.wav");
        else if (c.description == "under a file")      target = dir.path ("plain.wav/out.wav");
        else if (c.description == "missing folder")    target = dir.path ("nope/out.wav");
        else if (c.description == "a device")          target = "/dev/null";
        else if (c.description == "a broken link")     target = dir.path ("dangling.wav");
        else if (c.description == "a system folder")   target = "/proc/velthorn-render-test.wav";

        std::unique_ptr<PendingOutputFile> pending;
        const auto error = PendingOutputFile::create (target, pending);

        EXPECT_NE (error.find (c.expectedText), std::string::npos) << "got: " << error;
        EXPECT_NE (error.find ("output '" + target + "'"), std::string::npos) << "names the output: " << error;
        EXPECT_EQ (pending, nullptr);
        EXPECT_EQ (dir.entries(), (std::vector<std::string> { "dangling.wav", "folder.wav", "plain.wav" }));
        EXPECT_EQ (rendertest::readBytes (dir.path ("plain.wav")), previousTake);
    }

    INSTANTIATE_TEST_SUITE_P (
        Table, PendingOutputFileRefuses,
        ::testing::Values (UnwritableTarget { "a directory", "is a directory" },
                           UnwritableTarget { "under a file", "Not a directory" },
                           UnwritableTarget { "missing folder", "No such file or directory" },
                           UnwritableTarget { "a device", "not a regular file" },
                           UnwritableTarget { "a broken link", "symbolic link to nowhere" },
                           UnwritableTarget { "a system folder", "cannot write" }));

    TEST (PendingOutputFile, ReportsAWriteFailureAtCommit)
    {
        TempDirectory dir;
        std::unique_ptr<PendingOutputFile> pending;
        ASSERT_EQ (PendingOutputFile::create (dir.path ("out.wav"), pending), "");

        {
            auto stream = pending->createStream();
            ASSERT_TRUE (stream->write ("abc", 3));
            // A seek a file cannot take stands in for a failing disk.
            EXPECT_FALSE (stream->setPosition (-10));
            EXPECT_FALSE (stream->write ("def", 3));
        }

        EXPECT_NE (pending->commit().find ("Invalid argument"), std::string::npos);
        EXPECT_TRUE (dir.entries().empty());
    }
}

namespace
{
    class PendingOutputFileLongName : public ::testing::TestWithParam<int>
    {
    };

    TEST_P (PendingOutputFileLongName, WorksUpToTheLongestLegalName)
    {
        // Every name the file system takes must work, however little room
        // it leaves for the temporary name's additions.
        TempDirectory dir;
        const auto name = std::string (static_cast<size_t> (GetParam()) - 4, 'n') + ".wav";
        const auto target = dir.path (name);

        std::unique_ptr<PendingOutputFile> pending;
        ASSERT_EQ (PendingOutputFile::create (target, pending), "") << name.size() << " bytes";
        EXPECT_EQ (partFiles (dir).size(), 1u);

        writeThrough (*pending, "take");
        ASSERT_EQ (pending->commit(), "");
        EXPECT_EQ (dir.entries(), std::vector<std::string> { name });
        EXPECT_EQ (rendertest::readBytes (target), (std::vector<uint8_t> { 't', 'a', 'k', 'e' }));
    }

    INSTANTIATE_TEST_SUITE_P (Lengths, PendingOutputFileLongName, ::testing::Range (240, 256),
                              [] (const ::testing::TestParamInfo<int>& info)
                              { return "bytes" + std::to_string (info.param); });

    TEST (PendingOutputFile, TemporaryNamesOfTwoLongNamesSharingABeginningDiffer)
    {
        // Shortened to fit, the two temporary names share everything but the
        // random part, which still keeps them apart.
        TempDirectory dir;
        const auto stem = std::string (250, 'n');

        std::unique_ptr<PendingOutputFile> first, second;
        ASSERT_EQ (PendingOutputFile::create (dir.path (stem + "1.wav"), first), "");
        ASSERT_EQ (PendingOutputFile::create (dir.path (stem + "2.wav"), second), "");
        EXPECT_NE (first->temporaryPath(), second->temporaryPath());
        EXPECT_EQ (partFiles (dir).size(), 2u);
    }
}
