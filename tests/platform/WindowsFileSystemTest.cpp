// What only Windows has: file attributes, \\?\ paths, many spellings of one path. Built and run
// in the Windows build only (under Wine here).
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Win32Tools.h"
#include "support/TempTree.h"

namespace qm::platform {
namespace {

using test::Content;
using test::HardLinkTo;
using test::Sparse;
using test::TempTree;

std::map<std::string, DirEntry> ListByName(const std::string& folder) {
    std::vector<DirEntry> entries;
    EXPECT_TRUE(SystemFileSystem().ListFolder(folder, ListDetail::Full, entries)) << folder;
    std::map<std::string, DirEntry> byName;
    for (DirEntry& e : entries) {
        byName[e.name] = std::move(e);
    }
    return byName;
}

void AddAttributes(const std::string& path, DWORD attributes) {
    const std::wstring wide = win32::SystemPath(path);
    const DWORD current = ::GetFileAttributesW(wide.c_str());
    ASSERT_NE(current, INVALID_FILE_ATTRIBUTES) << path;
    ASSERT_NE(::SetFileAttributesW(wide.c_str(), (current & ~FILE_ATTRIBUTE_NORMAL) | attributes),
              0)
        << path;
}

std::string ReadAll(ReadableFile& file) {
    std::string bytes;
    char buffer[4096];
    std::int64_t count = 0;
    while ((count = file.Read(buffer, sizeof buffer)) > 0) {
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
    return bytes;
}

// Hidden follows the attributes, not the name: a file marked hidden or system is hidden, a
// read-only or archived one is not. Each stays a regular file that opens and reads.
TEST(WindowsFileSystemTest, HiddenAndSystemAttributesMakeAnEntryHidden) {
    const struct {
        const char* name;
        DWORD attributes;
        bool hidden;
    } cases[] = {
        {"plain.txt", 0, false},
        {"hidden.txt", FILE_ATTRIBUTE_HIDDEN, true},
        {"system.txt", FILE_ATTRIBUTE_SYSTEM, true},
        {"both.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, true},
        {"readonly.txt", FILE_ATTRIBUTE_READONLY, false},
        {"archive.txt", FILE_ATTRIBUTE_ARCHIVE, false},
    };
    TempTree tree;
    for (const auto& c : cases) {
        tree.Add({std::string("f/") + c.name, Content(c.name)});
        if (c.attributes != 0) {
            AddAttributes(tree.Path(std::string("f/") + c.name), c.attributes);
        }
    }
    tree.Add({"f/folder/", test::Folder()});
    AddAttributes(tree.Path("f/folder"), FILE_ATTRIBUTE_HIDDEN);

    const auto listed = ListByName(tree.Path("f/"));
    ASSERT_EQ(listed.size(), std::size(cases) + 1);
    EXPECT_TRUE(listed.at("folder").hidden);
    EXPECT_EQ(listed.at("folder").kind, EntryKind::Folder);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DirEntry& entry = listed.at(c.name);
        EXPECT_EQ(entry.hidden, c.hidden);
        EXPECT_EQ(entry.kind, EntryKind::RegularFile);
        const auto file = SystemFileSystem().OpenForRead(tree.Path(std::string("f/") + c.name));
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(ReadAll(*file), c.name);
    }
    // KindOnly listings, as the folder walk makes them, agree on hidden.
    std::vector<DirEntry> kinds;
    ASSERT_TRUE(SystemFileSystem().ListFolder(tree.Path("f/"), ListDetail::KindOnly, kinds));
    for (const DirEntry& e : kinds) {
        EXPECT_EQ(e.hidden, listed.at(e.name).hidden) << e.name;
    }
}

// A read-only file is read like any other, and opening it for reading takes no write access
// that would fail.
TEST(WindowsFileSystemTest, ReadOnlyFileIsReadAndKeepsItsFacts) {
    TempTree tree({{"ro.txt", Content("locked but readable").WithMode(0444)}});
    const FileFacts facts = SystemFileSystem().Stat(tree.Path("ro.txt"));
    ASSERT_TRUE(facts.exists);
    EXPECT_EQ(facts.size, 19);
    const auto file = SystemFileSystem().OpenForRead(tree.Path("ro.txt"));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Facts().id, facts.id);
    EXPECT_EQ(ReadAll(*file), "locked but readable");
}

// Every spelling of one file's path, and a hard link to it, has one id; a copy has another.
TEST(WindowsFileSystemTest, OneFileThroughManyPathsHasOneId) {
    TempTree tree({{"a/file.txt", Content("same")},
                   {"b/link.txt", HardLinkTo("a/file.txt")},
                   {"a/copy.txt", Content("same")}});
    const std::string path = tree.Path("a/file.txt");
    const FileId id = SystemFileSystem().Stat(path).id;
    ASSERT_NE(id.inode, 0u);
    std::string slashes = path;
    for (char& c : slashes) {
        if (c == '\\') {
            c = '/';
        }
    }
    for (const std::string& other : {"\\\\?\\" + path, slashes, tree.Path("b/../a/file.txt"),
                                     tree.Path("b/link.txt"), tree.Path("A/FILE.TXT")}) {
        SCOPED_TRACE(other);
        const FileFacts facts = SystemFileSystem().Stat(other);
        ASSERT_TRUE(facts.exists);
        EXPECT_EQ(facts.id, id);
        const auto file = SystemFileSystem().OpenForRead(other);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->Facts().id, id);
    }
    EXPECT_EQ(ListByName(tree.Path("b/")).at("link.txt").id, id);
    EXPECT_NE(SystemFileSystem().Stat(tree.Path("a/copy.txt")).id, id);
}

// Paths past the 260 characters of MAX_PATH are listed, examined and read.
TEST(WindowsFileSystemTest, PathsLongerThanMaxPathWork) {
    TempTree tree;
    std::string relative;
    for (int i = 0; i < 6; ++i) {
        relative += "folder-" + std::to_string(i) + "-" + std::string(40, 'x') + "/";
    }
    tree.Add({relative + "far.txt", Content("far away")});
    const std::string folder = tree.Path(relative);
    ASSERT_GT(folder.size(), 260u);
    const auto listed = ListByName(folder);
    ASSERT_EQ(listed.count("far.txt"), 1u);
    EXPECT_EQ(listed.at("far.txt").size, 8);
    EXPECT_TRUE(SystemFileSystem().Stat(folder + "far.txt").exists);
    const auto file = SystemFileSystem().OpenForRead(folder + "far.txt");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(ReadAll(*file), "far away");
    // The parent of the long folder lists it by its name.
    const std::string parent = folder.substr(0, folder.size() - 1);
    const std::size_t cut = parent.find_last_of('\\');
    const auto parentListing = ListByName(parent.substr(0, cut + 1));
    EXPECT_EQ(parentListing.at(parent.substr(cut + 1)).kind, EntryKind::Folder);
}

// Sizes are 64-bit: a sparse file past 4 GiB is sized right by the listing, Stat and the open
// file, and reads as zeros.
TEST(WindowsFileSystemTest, FileBeyond4GiBHasItsFullSize) {
    constexpr std::int64_t kBeyond4GiB = (std::int64_t{4} << 30) + 10;
    TempTree tree({{"big.img", Sparse(kBeyond4GiB)}});
    EXPECT_EQ(ListByName(tree.Root()).at("big.img").size, kBeyond4GiB);
    EXPECT_EQ(SystemFileSystem().Stat(tree.Path("big.img")).size, kBeyond4GiB);
    const auto file = SystemFileSystem().OpenForRead(tree.Path("big.img"));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Facts().size, kBeyond4GiB);
    char buffer[64] = {1};
    ASSERT_EQ(file->Read(buffer, sizeof buffer), 64);
    EXPECT_EQ(std::string(buffer, 64), std::string(64, '\0'));
}

}  // namespace
}  // namespace qm::platform
