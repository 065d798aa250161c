#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "foundation/Error.h"
#include "storage/FileIo.h"
#include "support/TempTree.h"

namespace qm::storage {
namespace {

using test::Content;
using test::Fifo;
using test::Folder;
using test::SymlinkTo;
using test::TempTree;

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

mode_t TypeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & S_IFMT;
}

std::size_t EntriesIn(const std::string& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

// Whatever stands at the path, the writer writes to the file the user means and leaves the
// path as it was: a link stays a link (its target is replaced), a FIFO or a device is written
// into, never replaced by a regular file.
TEST(WriteFileAtomicallyTest, WritesWhereThePathLeadsAndKeepsWhatStandsThere) {
    struct Case {
        const char* name;
        std::vector<test::TreeEntry> tree;
        std::string path;     // written, relative to the tree
        mode_t type;          // what stands at path afterwards
        std::string written;  // where the content ends up, relative to the tree
        mode_t writtenMode;   // permissions of that file afterwards
    };
    const Case cases[] = {
        {"new file", {{"out/", Folder()}}, "out/new.txt", S_IFREG, "out/new.txt", 0644},
        {"regular file keeps its mode",
         {{"out/old.txt", Content("old").WithMode(0600)}},
         "out/old.txt",
         S_IFREG,
         "out/old.txt",
         0600},
        {"link to a regular file",
         {{"real/file.txt", Content("old").WithMode(0640)},
          {"out/link.txt", SymlinkTo("../real/file.txt")}},
         "out/link.txt",
         S_IFLNK,
         "real/file.txt",
         0640},
        {"chain of links",
         {{"real/file.txt", Content("old").WithMode(0600)},
          {"out/second", SymlinkTo("../real/file.txt")},
          {"out/first", SymlinkTo("second")}},
         "out/first",
         S_IFLNK,
         "real/file.txt",
         0600},
        {"link to a file not made yet",
         {{"real/", Folder()}, {"out/link.txt", SymlinkTo("../real/made.txt")}},
         "out/link.txt",
         S_IFLNK,
         "real/made.txt",
         0644},
    };
    const mode_t oldMask = ::umask(022);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempTree tree;
        for (const auto& entry : c.tree) tree.Add(entry);
        const std::size_t before = EntriesIn(tree.Path("out"));
        WriteFileAtomically(tree.Path(c.path), "new content\n");
        EXPECT_EQ(TypeOf(tree.Path(c.path)), c.type);
        EXPECT_EQ(ReadBytes(tree.Path(c.written)), "new content\n");
        struct stat info {};
        ASSERT_EQ(::stat(tree.Path(c.written).c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, c.writtenMode);
        // No temporary file is left behind, beside the link or beside its target.
        EXPECT_EQ(EntriesIn(tree.Path("out")), before + (c.path == "out/new.txt" ? 1 : 0));
        const std::string writtenFolder =
            tree.Path(c.written).substr(0, tree.Path(c.written).rfind('/'));
        for (const auto& entry : std::filesystem::directory_iterator(writtenFolder)) {
            EXPECT_EQ(entry.path().filename().string().rfind(".qm-tmp", 0), std::string::npos);
        }
    }
    ::umask(oldMask);
}

TEST(WriteFileAtomicallyTest, FifoIsWrittenIntoNotReplaced) {
    TempTree tree({{"pipe", Fifo()}, {"link", SymlinkTo("pipe")}});
    for (const char* name : {"pipe", "link"}) {
        SCOPED_TRACE(name);
        // The reading end is open first, so the writer's open does not wait.
        const int reader = ::open(tree.Path("pipe").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(reader, 0);
        WriteFileAtomically(tree.Path(name), "through the pipe\n");
        char buffer[64] = {};
        const ssize_t got = ::read(reader, buffer, sizeof buffer);
        ::close(reader);
        EXPECT_EQ(std::string(buffer, got > 0 ? std::size_t(got) : 0), "through the pipe\n");
        EXPECT_EQ(TypeOf(tree.Path("pipe")), mode_t(S_IFIFO));
        EXPECT_EQ(TypeOf(tree.Path("link")), mode_t(S_IFLNK));
        EXPECT_EQ(EntriesIn(tree.Root()), 2u);
    }
}

// A device node made in the tree (the system's "null" device): written into, never replaced.
TEST(WriteFileAtomicallyTest, DeviceNodeIsWrittenIntoNotReplaced) {
    TempTree tree;
    const std::string node = tree.Path("null");
    if (::mknod(node.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0) {
        GTEST_SKIP() << "cannot make a device node here: " << std::strerror(errno);
    }
    WriteFileAtomically(node, "discarded\n");
    EXPECT_EQ(TypeOf(node), mode_t(S_IFCHR));
    struct stat info {};
    ASSERT_EQ(::stat(node.c_str(), &info), 0);
    EXPECT_EQ(info.st_rdev, ::makedev(1, 3));
    EXPECT_EQ(EntriesIn(tree.Root()), 1u);
}

TEST(WriteFileAtomicallyTest, FailureNamesThePathAndChangesNothing) {
    TempTree tree({{"dir/", Folder()},
                   {"toDir", SymlinkTo("dir")},
                   {"loop", SymlinkTo("loop")},
                   {"toNowhere", SymlinkTo("missing/file.txt")}});
    for (const char* name : {"dir", "toDir", "loop", "toNowhere"}) {
        SCOPED_TRACE(name);
        try {
            WriteFileAtomically(tree.Path(name), "x");
            ADD_FAILURE() << "no error";
        } catch (const FileError& error) {
            EXPECT_NE(std::string(error.what()).find(tree.Path(name)), std::string::npos)
                << error.what();
        }
    }
    EXPECT_EQ(EntriesIn(tree.Root()), 4u);
    EXPECT_EQ(EntriesIn(tree.Path("dir")), 0u);
    EXPECT_EQ(TypeOf(tree.Path("toDir")), mode_t(S_IFLNK));
    EXPECT_EQ(TypeOf(tree.Path("loop")), mode_t(S_IFLNK));
}

}  // namespace
}  // namespace qm::storage
