// Reading a file that must be a regular file: whatever else stands at the
// path is named and not read, a named pipe without a writer included (it
// must not wait for one), and no more than the limit is read, counted in
// bytes that arrive, not in the size the file claims.

#include "RegularFileContents.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{
    using Outcome = RegularFileContents::Outcome;

    class RegularFileContentsTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            folder = juce::File::createTempFile ("regular-file-contents");
            ASSERT_TRUE (folder.createDirectory());
        }

        void TearDown() override
        {
            folder.deleteRecursively();
        }

        juce::File write (const std::string& name, const std::string& content)
        {
            const auto file = folder.getChildFile (name);
            std::ofstream (file.getFullPathName().toStdString(), std::ios::binary) << content;
            return file;
        }

        std::string pathOf (const std::string& name) const
        {
            return folder.getChildFile (name).getFullPathName().toStdString();
        }

        juce::File folder;
    };

    TEST_F (RegularFileContentsTest, AFileIsReadWhole)
    {
        const auto contents = RegularFileContents::read (write ("a", "<PROPERTIES/>\n"), 100);
        ASSERT_EQ (contents.outcome, Outcome::read);
        EXPECT_EQ (contents.bytes.toString(), "<PROPERTIES/>\n");
    }

    TEST_F (RegularFileContentsTest, AnEmptyFileIsReadAsNothing)
    {
        const auto contents = RegularFileContents::read (write ("a", ""), 100);
        ASSERT_EQ (contents.outcome, Outcome::read);
        EXPECT_EQ (contents.bytes.getSize(), 0u);
    }

    TEST_F (RegularFileContentsTest, TheLimitIsTheMostThatIsRead)
    {
        EXPECT_EQ (RegularFileContents::read (write ("a", std::string (100, 'x')), 100).outcome, Outcome::read);
        EXPECT_EQ (RegularFileContents::read (write ("b", std::string (101, 'x')), 100).outcome, Outcome::tooLarge);

        // Past the first buffer's worth.
        const auto big = RegularFileContents::read (write ("c", std::string (300000, 'y')), 300000);
        ASSERT_EQ (big.outcome, Outcome::read);
        EXPECT_EQ (big.bytes.getSize(), 300000u);
    }

    TEST_F (RegularFileContentsTest, NothingThereIsMissing)
    {
        EXPECT_EQ (RegularFileContents::read (folder.getChildFile ("none"), 100).outcome, Outcome::missing);
    }

    TEST_F (RegularFileContentsTest, ALinkToADeviceThatNeverEndsIsRefusedUnread)
    {
        // /dev/zero claims a size of 0 and gives zeros for ever.
        ASSERT_EQ (::symlink ("/dev/zero", pathOf ("zero").c_str()), 0);
        const auto contents = RegularFileContents::read (folder.getChildFile ("zero"), 1 << 20);
        EXPECT_EQ (contents.outcome, Outcome::notRegular);
        EXPECT_EQ (contents.kind, "a character device");
    }

    TEST_F (RegularFileContentsTest, ANamedPipeIsRefusedWithoutWaitingForAWriter)
    {
        ASSERT_EQ (::mkfifo (pathOf ("pipe").c_str(), 0644), 0);
        const auto contents = RegularFileContents::read (folder.getChildFile ("pipe"), 100);
        EXPECT_EQ (contents.outcome, Outcome::notRegular);
        EXPECT_EQ (contents.kind, "a pipe");
    }

    TEST_F (RegularFileContentsTest, ASocketIsRefusedByName)
    {
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        const auto path = pathOf ("socket");
        ASSERT_LT (path.size(), sizeof (address.sun_path));
        std::strcpy (address.sun_path, path.c_str());

        const auto fd = ::socket (AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE (fd, 0);
        ASSERT_EQ (::bind (fd, reinterpret_cast<const sockaddr*> (&address), sizeof (address)), 0);
        ::close (fd);

        const auto contents = RegularFileContents::read (folder.getChildFile ("socket"), 100);
        EXPECT_EQ (contents.outcome, Outcome::notRegular);
        EXPECT_EQ (contents.kind, "a socket");
    }

    TEST_F (RegularFileContentsTest, ADirectoryIsRefusedByName)
    {
        ASSERT_TRUE (folder.getChildFile ("dir").createDirectory());
        const auto contents = RegularFileContents::read (folder.getChildFile ("dir"), 100);
        EXPECT_EQ (contents.outcome, Outcome::notRegular);
        EXPECT_EQ (contents.kind, "a directory");
    }
}
