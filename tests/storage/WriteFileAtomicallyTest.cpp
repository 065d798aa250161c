#include <gtest/gtest.h>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

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

#ifdef _WIN32
#include "platform/Win32Tools.h"
#endif

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

std::size_t EntriesIn(const std::string& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

// A folder, or a path ending in a separator, is never written: the error names the path and
// nothing changes.
TEST(WriteFileAtomicallyTest, AFolderIsNotWritten) {
    TempTree tree({{"dir/", Folder()}, {"keep.txt", Content("kept")}});
    for (const std::string& path : {tree.Path("dir"), tree.Path("dir/"), tree.Path("keep.txt/")}) {
        SCOPED_TRACE(path);
        try {
            WriteFileAtomically(path, "x");
            ADD_FAILURE() << "no error";
        } catch (const FileError& error) {
            EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
        }
    }
    EXPECT_EQ(EntriesIn(tree.Root()), 2u);
    EXPECT_EQ(EntriesIn(tree.Path("dir")), 0u);
    EXPECT_EQ(ReadBytes(tree.Path("keep.txt")), "kept");
}

#ifdef _WIN32
// Whatever stands at the path keeps its attributes: a hidden file stays hidden; a new file is made
// plain; nothing temporary is left behind.
TEST(WriteFileAtomicallyTest, AttributesOfTheReplacedFileStay) {
    TempTree tree({{"out/.hidden.ini", Content("old")}, {"out/plain.ini", Content("old")}});
    struct Case {
        const char* name;
        bool hidden;
    };
    for (const Case& c :
         {Case{".hidden.ini", true}, Case{"plain.ini", false}, Case{"new.ini", false}}) {
        SCOPED_TRACE(c.name);
        const std::string path = tree.Path(std::string("out/") + c.name);
        WriteFileAtomically(path, "new content\r\n");
        EXPECT_EQ(ReadBytes(path), "new content\r\n");
        const DWORD attributes = ::GetFileAttributesW(platform::win32::SystemPath(path).c_str());
        ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ((attributes & FILE_ATTRIBUTE_HIDDEN) != 0, c.hidden);
    }
    EXPECT_EQ(EntriesIn(tree.Path("out")), 3u);
}

// A read-only file is not replaced behind the user's back: the error names it, the old content
// stays and so does its read-only attribute.
TEST(WriteFileAtomicallyTest, AReadOnlyFileIsLeftAsItWas) {
    TempTree tree({{"out/locked.ini", Content("old").WithMode(0444)}});
    const std::string path = tree.Path("out/locked.ini");
    try {
        WriteFileAtomically(path, "new");
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
    }
    EXPECT_EQ(ReadBytes(path), "old");
    const DWORD attributes = ::GetFileAttributesW(platform::win32::SystemPath(path).c_str());
    EXPECT_NE(attributes & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(EntriesIn(tree.Path("out")), 1u);
}

// The null device is written into, not replaced by a file made beside it (which, at "\\.\",
// could not be made at all: the write would fail).
TEST(WriteFileAtomicallyTest, TheNullDeviceIsWrittenIntoNotReplaced) {
    EXPECT_NO_THROW(WriteFileAtomically("\\\\.\\NUL", "discarded\r\n"));
}
#else
mode_t TypeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & S_IFMT;
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

#endif

}  // namespace
}  // namespace qm::storage
