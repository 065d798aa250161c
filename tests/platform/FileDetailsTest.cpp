// The facts behind the properties dialog: read from the path itself (never through a link),
// and the content's first bytes only from a regular file, without waiting on a FIFO.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <string>

#include "platform/FileDetails.h"
#include "support/TempTree.h"

namespace qm::platform {
namespace {

using test::Content;
using test::Fifo;
using test::Folder;
using test::HardLinkTo;
using test::Seconds;
using test::SymlinkTo;
using test::TempTree;

TEST(FileDetailsTest, RegularFileShowsItsFacts) {
    TempTree tree({{"photo.jpg", Content("\xFF\xD8\xFF\xE0 rest of a jpeg")
                                     .WithMode(0640)
                                     .WithMTime(Seconds(1'710'408'412))
                                     .WithATime(Seconds(1'700'000'000))},
                   {"copy.jpg", HardLinkTo("photo.jpg")}});
    const std::string path = tree.Path("photo.jpg");
    struct stat st {};
    ASSERT_EQ(lstat(path.c_str(), &st), 0);

    const FileDetails details = ReadFileDetails(path, 4);
    ASSERT_TRUE(details.exists);
    EXPECT_EQ(details.kind, EntryKind::RegularFile);
    EXPECT_EQ(details.size, 19);
    EXPECT_EQ(details.mode & 07777, 0640u);
    EXPECT_TRUE(S_ISREG(details.mode));
    EXPECT_EQ(details.modified, Seconds(1'710'408'412));
    EXPECT_EQ(details.accessed, Seconds(1'700'000'000));
    EXPECT_GE(details.changed, details.modified);
    EXPECT_EQ(details.linkCount, 2u);
    EXPECT_EQ(details.fileId, st.st_ino);
    EXPECT_EQ(details.deviceMajor, major(st.st_dev));
    EXPECT_EQ(details.deviceMinor, minor(st.st_dev));
    EXPECT_EQ(details.ownerId, st.st_uid);
    EXPECT_EQ(details.groupId, st.st_gid);
    EXPECT_EQ(details.ownerName, st.st_uid == 0 ? "root" : details.ownerName);
    EXPECT_FALSE(details.ownerName.empty());
    EXPECT_EQ(details.head, "\xFF\xD8\xFF\xE0");
}

TEST(FileDetailsTest, HeadIsAsMuchAsTheFileHas) {
    TempTree tree({{"short.txt", Content("abc")}, {"empty.txt", Content("")}});
    EXPECT_EQ(ReadFileDetails(tree.Path("short.txt"), 4096).head, "abc");
    EXPECT_EQ(ReadFileDetails(tree.Path("short.txt")).head, "");
    EXPECT_EQ(ReadFileDetails(tree.Path("empty.txt"), 4096).head, "");
}

TEST(FileDetailsTest, LinksFoldersAndFifosAreNotRead) {
    TempTree tree({{"target.txt", Content("secret")},
                   {"link.txt", SymlinkTo("target.txt")},
                   {"pipe", Fifo()},
                   {"folder/", Folder()}});
    const FileDetails link = ReadFileDetails(tree.Path("link.txt"), 64);
    ASSERT_TRUE(link.exists);
    EXPECT_EQ(link.kind, EntryKind::SymbolicLink);
    EXPECT_EQ(link.size, 10);  // the length of the link's own text
    EXPECT_EQ(link.head, "");
    // Returns at once although nobody writes to the FIFO.
    const FileDetails pipe = ReadFileDetails(tree.Path("pipe"), 64);
    ASSERT_TRUE(pipe.exists);
    EXPECT_EQ(pipe.kind, EntryKind::Other);
    EXPECT_TRUE(S_ISFIFO(pipe.mode));
    EXPECT_EQ(pipe.head, "");
    EXPECT_EQ(ReadFileDetails(tree.Path("folder"), 64).kind, EntryKind::Folder);
}

TEST(FileDetailsTest, MissingPathSaysWhy) {
    TempTree tree;
    const FileDetails details = ReadFileDetails(tree.Path("gone.jpg"), 64);
    EXPECT_FALSE(details.exists);
    EXPECT_EQ(details.error, ENOENT);
}

TEST(FileDetailsTest, PermissionsAsLsShowsThem) {
    struct Case {
        std::uint32_t mode;
        const char* text;
    };
    const Case cases[] = {{S_IFREG | 0644, "-rw-r--r-- (0644)"},
                          {S_IFREG | 0640, "-rw-r----- (0640)"},
                          {S_IFDIR | 0755, "drwxr-xr-x (0755)"},
                          {S_IFLNK | 0777, "lrwxrwxrwx (0777)"},
                          {S_IFIFO | 0600, "prw------- (0600)"},
                          {S_IFREG | S_ISUID | 0755, "-rwsr-xr-x (4755)"},
                          {S_IFREG | S_ISUID | S_ISGID | 0644, "-rwSr-Sr-- (6644)"},
                          {S_IFDIR | S_ISVTX | 0777, "drwxrwxrwt (1777)"},
                          {S_IFDIR | S_ISVTX | 0770, "drwxrwx--T (1770)"},
                          {S_IFREG, "---------- (0000)"}};
    for (const Case& c : cases) {
        EXPECT_EQ(PermissionsText(c.mode), c.text) << std::oct << c.mode;
    }
    EXPECT_EQ(SpecialKindText(S_IFREG | 0644), "");
    EXPECT_EQ(SpecialKindText(S_IFDIR | 0755), "Folder");
    EXPECT_EQ(SpecialKindText(S_IFCHR | 0666), "Device");
}

// The existence tests of the file commands: a file is a regular file itself, a folder may be
// reached through a link.
TEST(FileDetailsTest, ExistenceTests) {
    TempTree tree({{"a.jpg", Content("x")},
                   {"link.jpg", SymlinkTo("a.jpg")},
                   {"dir/", Folder()},
                   {"dirlink", SymlinkTo("dir")},
                   {"pipe", Fifo()}});
    struct Case {
        std::string path;
        bool file;
        bool folder;
    };
    const Case cases[] = {
        {tree.Path("a.jpg"), true, false},   {tree.Path("link.jpg"), false, false},
        {tree.Path("dir"), false, true},     {tree.Path("dir/"), false, true},
        {tree.Path("dirlink"), false, true}, {tree.Path("pipe"), false, false},
        {tree.Path("gone"), false, false},   {"", false, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(IsRegularFile(c.path), c.file) << c.path;
        EXPECT_EQ(IsFolder(c.path), c.folder) << c.path;
    }
}

}  // namespace
}  // namespace qm::platform
