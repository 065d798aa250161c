#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#ifndef _WIN32
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "support/FaultyFileSystem.h"
#include "support/TempTree.h"

namespace qm::platform {
namespace {

using test::Content;
using test::Fifo;
using test::Folder;
using test::HardLinkTo;
using test::Seconds;
using test::Size;
using test::Sparse;
using test::SymlinkTo;
using test::TempTree;

std::map<std::string, DirEntry> ListByName(FileSystem& fs, const std::string& folder,
                                           ListDetail detail = ListDetail::Full) {
    std::vector<DirEntry> entries;
    EXPECT_TRUE(fs.ListFolder(folder, detail, entries)) << folder;
    std::map<std::string, DirEntry> byName;
    for (auto& entry : entries) {
        EXPECT_TRUE(byName.emplace(entry.name, entry).second) << "listed twice: " << entry.name;
    }
    return byName;
}

std::string ReadAll(ReadableFile& file) {
    std::string all;
    char buffer[4096];
    for (;;) {
        const std::int64_t count = file.Read(buffer, sizeof buffer);
        EXPECT_GE(count, 0);
        if (count <= 0) {
            return all;
        }
        all.append(buffer, static_cast<std::size_t>(count));
    }
}

constexpr std::int64_t kBeyond4GiB = (std::int64_t{4} << 30) + 10;

TEST(FileSystemTest, ListingReportsKindsSizesAndHiddenWithoutDotEntries) {
    QM_SKIP_ON_WINDOWS("symbolic links and FIFOs");
    TempTree tree({
        {"a/x.txt", Content("hello")},
        {"a/b/y.bin", Size(5000)},
        {".hid/z", Content("z")},
        {".dotfile", Content("")},
        {"big", Sparse(kBeyond4GiB)},
        {"link", SymlinkTo("a")},
        {"dangling", SymlinkTo("nowhere")},
        {"fileLink", SymlinkTo("a/x.txt")},
        {"fifo", Fifo()},
        {"c/", Folder()},
    });
    for (const ListDetail detail : {ListDetail::Full, ListDetail::KindOnly}) {
        SCOPED_TRACE(detail == ListDetail::Full ? "Full" : "KindOnly");
        const auto root = ListByName(SystemFileSystem(), tree.Root(), detail);
        ASSERT_EQ(root.size(), 9u);
        EXPECT_EQ(root.count("."), 0u);
        EXPECT_EQ(root.count(".."), 0u);
        const std::map<std::string, EntryKind> kinds = {
            {"a", EntryKind::Folder},
            {".hid", EntryKind::Folder},
            {".dotfile", EntryKind::RegularFile},
            {"big", EntryKind::RegularFile},
            {"link", EntryKind::SymbolicLink},
            {"dangling", EntryKind::SymbolicLink},
            {"fileLink", EntryKind::SymbolicLink},
            {"fifo", EntryKind::Other},
            {"c", EntryKind::Folder},
        };
        for (const auto& [name, kind] : kinds) {
            ASSERT_EQ(root.count(name), 1u) << name;
            EXPECT_EQ(root.at(name).kind, kind) << name;
            EXPECT_EQ(root.at(name).hidden, name[0] == '.') << name;
        }
        if (detail == ListDetail::Full) {
            EXPECT_EQ(root.at("big").size, kBeyond4GiB);
            EXPECT_EQ(root.at(".dotfile").size, 0);
        }
    }
    const auto a = ListByName(SystemFileSystem(), tree.Path("a/"));
    ASSERT_EQ(a.size(), 2u);
    EXPECT_EQ(a.at("x.txt").size, 5);
    EXPECT_EQ(a.at("b").kind, EntryKind::Folder);
    EXPECT_EQ(ListByName(SystemFileSystem(), tree.Path("a/b")).at("y.bin").size, 5000);
    EXPECT_TRUE(ListByName(SystemFileSystem(), tree.Path("c/")).empty());
}

TEST(FileSystemTest, ListingFailsForMissingOrNonFolderPathsAndEmptiesTheVector) {
    QM_SKIP_ON_WINDOWS("symbolic links and FIFOs");
    TempTree tree({{"file", Content("x")}, {"link", SymlinkTo(".")}, {"fifo", Fifo()}});
    std::vector<DirEntry> entries(3);
    EXPECT_FALSE(SystemFileSystem().ListFolder(tree.Path("missing/"), ListDetail::Full, entries));
    EXPECT_TRUE(entries.empty());
    entries.resize(2);
    EXPECT_FALSE(SystemFileSystem().ListFolder(tree.Path("file"), ListDetail::Full, entries));
    EXPECT_TRUE(entries.empty());
    // Opening a FIFO as a folder must neither succeed nor hang.
    EXPECT_FALSE(SystemFileSystem().ListFolder(tree.Path("fifo"), ListDetail::Full, entries));
}

TEST(FileSystemTest, ReusedVectorIsReplacedNotAppendedTo) {
    TempTree tree({{"one/a", Content("1")},
                   {"one/bb", Content("22")},
                   {"one/ccc", Content("333")},
                   {"two/d", Content("4444")}});
    std::vector<DirEntry> entries;
    ASSERT_TRUE(SystemFileSystem().ListFolder(tree.Path("one/"), ListDetail::Full, entries));
    ASSERT_EQ(entries.size(), 3u);
    ASSERT_TRUE(SystemFileSystem().ListFolder(tree.Path("two/"), ListDetail::KindOnly, entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "d");
    EXPECT_EQ(entries[0].kind, EntryKind::RegularFile);
    // KindOnly leaves no facts of an earlier listing behind.
    EXPECT_EQ(entries[0].size, 0);
    EXPECT_EQ(entries[0].lastWrite, 0);
    ASSERT_TRUE(SystemFileSystem().ListFolder(tree.Path("two/"), ListDetail::Full, entries));
    EXPECT_EQ(entries[0].size, 4);
}

TEST(FileSystemTest, NamesAreExactBytes) {
#ifdef _WIN32
    // Names outside every ANSI code page: they must come back as the same UTF-8 bytes.
    const std::vector<std::string> names = {
        " lead",     "Ελληνικά σύνολο", "日本語",     "😀 emoji", "mixed ü 中 😀.txt",
        ".hidden 😀", "quote'",          "semi;colon", "ÄÖÜ",
    };
#else
    const std::vector<std::string> names = {
        "a|b",   " lead and trail ", "cr\rlf\n",    "bad\xff\xfe", "\xc3(",  "\xe9t\xe9",
        "tab\t", "star*?",           "back\\slash", "quote\"'",    "日本語", ".hidden|x",
    };
#endif
    TempTree tree;
    for (const auto& name : names) {
        tree.Add({"f/" + name, Content(name)});
    }
    const auto listed = ListByName(SystemFileSystem(), tree.Path("f/"));
    ASSERT_EQ(listed.size(), names.size());
    for (const auto& name : names) {
        ASSERT_EQ(listed.count(name), 1u) << name;
        EXPECT_EQ(listed.at(name).kind, EntryKind::RegularFile);
        EXPECT_EQ(listed.at(name).hidden, name[0] == '.');
        // The listed name reaches the same file again.
        const auto file = SystemFileSystem().OpenForRead(tree.Path("f/") + listed.at(name).name);
        ASSERT_NE(file, nullptr) << name;
        EXPECT_EQ(ReadAll(*file), name);
        EXPECT_EQ(SystemFileSystem().Stat(tree.Path("f/" + name)).size,
                  static_cast<std::int64_t>(name.size()));
    }
}

TEST(FileSystemTest, HardLinksShareTheIdAndOtherFilesDoNot) {
    TempTree tree({{"a/orig", Content("same")},
                   {"b/second", HardLinkTo("a/orig")},
                   {"a/other", Content("same")}});
    const auto a = ListByName(SystemFileSystem(), tree.Path("a/"));
    const auto b = ListByName(SystemFileSystem(), tree.Path("b/"));
    EXPECT_EQ(a.at("orig").id, b.at("second").id);
    EXPECT_NE(a.at("orig").id, a.at("other").id);
    EXPECT_NE(a.at("orig").id.inode, 0u);
    // Stat and an open file agree with the listing on the id.
    EXPECT_EQ(SystemFileSystem().Stat(tree.Path("b/second")).id, a.at("orig").id);
    const auto file = SystemFileSystem().OpenForRead(tree.Path("a/orig"));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->Facts().id, a.at("orig").id);
}

TEST(FileSystemTest, TimesSetByTheTreeComeBack) {
    // 2006-01-05, to the 100 nanoseconds that every system's file times keep.
    const FileTime write = Seconds(1'136'473'446) + 123'456'700;
    const FileTime access = Seconds(1'500'000'000);
    const FileTime before1970 = Seconds(-86'400 * 365);
    const FileTime after2107 = Seconds(5'680'000'000);
    TempTree tree({
        {"f", Content("x").WithMTime(write).WithATime(access)},
        {"old", Content("x").WithMTime(before1970)},
        {"future", Content("x").WithMTime(after2107)},
        {"d/", Folder().WithMTime(write)},
        {"d/child", Content("c")},
    });
    const auto root = ListByName(SystemFileSystem(), tree.Root());
    EXPECT_EQ(root.at("f").lastWrite, write);
    EXPECT_EQ(root.at("f").lastAccess, access);
    EXPECT_EQ(root.at("old").lastWrite, before1970);
    EXPECT_EQ(root.at("future").lastWrite, after2107);
    EXPECT_EQ(root.at("d").lastWrite, write);  // set after its child was made
    // Birth time cannot be set: it is when the tree was made (or the change time), never 0.
    const auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
    if (!test::UnderWine()) {  // Wine reports no birth time
        EXPECT_GT(root.at("f").creation, now - Seconds(600));
        EXPECT_LE(root.at("f").creation, now + Seconds(5));
    }
    EXPECT_EQ(SystemFileSystem().Stat(tree.Path("f")).lastWrite, write);
}

TEST(FileSystemTest, StatDoesNotFollowAFinalLink) {
    QM_SKIP_ON_WINDOWS("symbolic links");
    TempTree tree({{"dir/file", Content("12345")},
                   {"toDir", SymlinkTo("dir")},
                   {"toFile", SymlinkTo("dir/file")},
                   {"fifo", Fifo()}});
    FileSystem& fs = SystemFileSystem();
    EXPECT_FALSE(fs.Stat(tree.Path("missing")).exists);
    const FileFacts file = fs.Stat(tree.Path("dir/file"));
    EXPECT_TRUE(file.exists);
    EXPECT_EQ(file.kind, EntryKind::RegularFile);
    EXPECT_EQ(file.size, 5);
    EXPECT_EQ(fs.Stat(tree.Path("dir")).kind, EntryKind::Folder);
    EXPECT_EQ(fs.Stat(tree.Path("dir/")).kind, EntryKind::Folder);
    EXPECT_EQ(fs.Stat(tree.Path("toDir")).kind, EntryKind::SymbolicLink);
    EXPECT_EQ(fs.Stat(tree.Path("toFile")).kind, EntryKind::SymbolicLink);
    EXPECT_EQ(fs.Stat(tree.Path("fifo")).kind, EntryKind::Other);
    // Through the link, the folder is reached as a folder.
    EXPECT_EQ(ListByName(fs, tree.Path("toDir/")).size(), 1u);
}

#ifndef _WIN32  // FIFOs, symbolic links and POSIX permissions
TEST(FileSystemTest, OpenForReadReadsRegularFilesAndRefusesEverythingElse) {
    const std::string content = TempTree::Bytes(300'000, 7);
    TempTree tree({{"file", Content(content)},
                   {"empty", Content("")},
                   {"dir/", Folder()},
                   {"fifo", Fifo()},
                   {"toFile", SymlinkTo("file")},
                   {"big", Sparse(kBeyond4GiB)}});
    FileSystem& fs = SystemFileSystem();
    // By path, and relative to a cached folder handle: the same files, the same refusals.
    for (const bool cached : {false, true}) {
        SCOPED_TRACE(cached ? "through a folder cache" : "by path");
        const std::unique_ptr<FileSystem::FolderCache> cache =
            cached ? fs.NewFolderCache() : nullptr;
        auto open = [&](const std::string& path) {
            return cached ? fs.OpenForReadCached(path, cache.get()) : fs.OpenForRead(path);
        };
        auto file = open(tree.Path("file"));
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(ReadAll(*file), content);
        EXPECT_EQ(file->Read(nullptr, 0), 0);
        const FileFacts facts = file->Facts();
        EXPECT_TRUE(facts.exists);
        EXPECT_EQ(facts.size, 300'000);

        auto empty = open(tree.Path("empty"));
        ASSERT_NE(empty, nullptr);
        char byte;
        EXPECT_EQ(empty->Read(&byte, 1), 0);

        EXPECT_EQ(open(tree.Path("missing")), nullptr);
        EXPECT_EQ(open(tree.Path("dir")), nullptr);
        EXPECT_EQ(open(tree.Path("dir/")), nullptr);
        // A FIFO without a writer would block a plain open for ever: run it aside so a regression
        // fails here instead of hanging the whole test program.
        auto fifo =
            std::async(std::launch::async, [&] { return open(tree.Path("fifo")) == nullptr; });
        if (fifo.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            // Release the blocked open by becoming its writer, then fail.
            const int writer = ::open(tree.Path("fifo").c_str(), O_WRONLY | O_NONBLOCK);
            fifo.wait();
            if (writer >= 0) {
                ::close(writer);
            }
            FAIL() << "opening a FIFO hangs";
        }
        EXPECT_TRUE(fifo.get());

        // A path that became a link since it was listed is not followed, whatever it names.
        errno = 0;
        EXPECT_EQ(open(tree.Path("toFile")), nullptr);
        EXPECT_EQ(errno, ELOOP);

        auto big = open(tree.Path("big"));
        ASSERT_NE(big, nullptr);
        EXPECT_EQ(big->Facts().size, kBeyond4GiB);
    }
}
#endif

TEST(FileSystemTest, ReadableFileFactsDescribeTheOpenFileNotThePath) {
    TempTree tree({{"file", Content("first")}});
    auto file = SystemFileSystem().OpenForRead(tree.Path("file"));
    ASSERT_NE(file, nullptr);
    const FileId id = file->Facts().id;
    // Moved aside, not removed: Windows keeps the name of a removed file while it is open.
    std::filesystem::rename(tree.Path("file"), tree.Path("old"));
    tree.Add({"file", Content("a longer replacement")});
    EXPECT_EQ(file->Facts().id, id);
    EXPECT_EQ(file->Facts().size, 5);
    EXPECT_EQ(ReadAll(*file), "first");
    EXPECT_NE(SystemFileSystem().Stat(tree.Path("file")).id, id);
}

// What the comparison checks after its last read: the open file's facts as they are now.
TEST(FileSystemTest, CurrentFactsSeeWritesToTheOpenFile) {
    TempTree tree({{"file", Content("first").WithMTime(Seconds(1'000'000'000))}});
    auto file = SystemFileSystem().OpenForRead(tree.Path("file"));
    ASSERT_NE(file, nullptr);
    const FileFacts opened = file->Facts();
    EXPECT_EQ(opened.lastWrite, Seconds(1'000'000'000));
    EXPECT_NE(opened.change, 0);
    const FileFacts unchanged = file->CurrentFacts();
    EXPECT_EQ(unchanged.size, opened.size);
    EXPECT_EQ(unchanged.lastWrite, opened.lastWrite);
    EXPECT_EQ(unchanged.change, opened.change);
    { std::ofstream(tree.Path("file"), std::ios::app) << " and more"; }
    const FileFacts now = file->CurrentFacts();
    EXPECT_EQ(now.id, opened.id);
    EXPECT_EQ(now.size, 14);
    EXPECT_NE(now.lastWrite, opened.lastWrite);
    EXPECT_EQ(file->Facts().size, 5) << "Facts() stay those of the open";
}

TEST(FileSystemTest, CheckedListingSaysWhyAFolderGaveNothing) {
    QM_SKIP_ON_WINDOWS("POSIX permissions and pseudo file systems");
    TempTree tree({{"dir/a", Content("x")}, {"file", Content("f")}});
    FileSystem& fs = SystemFileSystem();
    std::vector<DirEntry> entries;
    struct Case {
        std::string folder;
        ListResult result;
        std::string reason;
    };
    const Case cases[] = {
        {tree.Path("dir/"), ListResult::Listed, ""},
        {tree.Path("missing/"), ListResult::Failed, "No such file or directory"},
        {tree.Path("file"), ListResult::Failed, "Not a directory"},
        {"/proc/self/", ListResult::PseudoFileSystem, "proc"},
        {"/proc/", ListResult::PseudoFileSystem, "proc"},
        {"/sys/", ListResult::PseudoFileSystem, "sysfs"},
        {"/sys/fs/", ListResult::PseudoFileSystem, "sysfs"},
        // Ordinary mounts, also memory-backed ones, are listed.
        {"/dev/shm/", ListResult::Listed, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        const ListOutcome outcome =
            fs.ListFolderChecked(c.folder, ListDetail::KindOnly, entries, true);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.reason, c.reason);
        if (c.result != ListResult::Listed) {
            EXPECT_TRUE(entries.empty());
        }
    }
    // Asked to, it lists a pseudo file system like any other.
    EXPECT_EQ(fs.ListFolderChecked("/proc/self/", ListDetail::KindOnly, entries, false).result,
              ListResult::Listed);
    EXPECT_FALSE(entries.empty());
}

// devtmpfs calls itself tmpfs to statfs; the mount table tells them apart.
TEST(FileSystemTest, DevtmpfsIsAPseudoFileSystem) {
    QM_SKIP_ON_WINDOWS("pseudo file systems");
    std::ifstream mounts("/proc/self/mountinfo");
    bool devIsDevtmpfs = false;
    for (std::string line; std::getline(mounts, line);) {
        devIsDevtmpfs = devIsDevtmpfs || (line.find(" /dev rw") != std::string::npos &&
                                          line.find(" - devtmpfs ") != std::string::npos);
    }
    if (!devIsDevtmpfs) {
        GTEST_SKIP() << "/dev is no devtmpfs here";
    }
    std::vector<DirEntry> entries;
    const ListOutcome outcome =
        SystemFileSystem().ListFolderChecked("/dev/", ListDetail::KindOnly, entries, true);
    EXPECT_EQ(outcome.result, ListResult::PseudoFileSystem);
    EXPECT_EQ(outcome.reason, "devtmpfs");
}

TEST(FileSystemTest, SymbolicLinkLoopIsListedAsALink) {
    QM_SKIP_ON_WINDOWS("symbolic links");
    TempTree tree({{"a/up", SymlinkTo("..")}, {"a/self", SymlinkTo("self")}});
    const auto a = ListByName(SystemFileSystem(), tree.Path("a/"));
    EXPECT_EQ(a.at("up").kind, EntryKind::SymbolicLink);
    EXPECT_EQ(a.at("self").kind, EntryKind::SymbolicLink);
    EXPECT_EQ(SystemFileSystem().OpenForRead(tree.Path("a/self")), nullptr);
}

TEST(FileSystemTest, FaultyFileSystemInjectsFailures) {
    const std::string content = TempTree::Bytes(10'000, 3);
    TempTree tree({{"ok/file", Content(content)},
                   {"locked/inner", Content("x")},
                   {"ok/noOpen", Content("y")},
                   {"ok/gone", Content("z")}});
    test::FaultyFileSystem fs;
    fs.FailList(tree.Path("locked"));
    fs.FailOpen(tree.Path("ok/noOpen"));
    fs.FailReadAfter(tree.Path("ok/file"), 4096);
    fs.Vanish(tree.Path("ok/gone"));

    std::vector<DirEntry> entries(1);
    EXPECT_FALSE(fs.ListFolder(tree.Path("locked/"), ListDetail::Full, entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(fs.ListFolder(tree.Path("locked"), ListDetail::Full, entries));
    // The vanished file is still listed (it went after the listing) but is gone for Stat/open.
    EXPECT_EQ(ListByName(fs, tree.Path("ok/")).size(), 3u);
    EXPECT_FALSE(fs.Stat(tree.Path("ok/gone")).exists);
    EXPECT_EQ(fs.OpenForRead(tree.Path("ok/gone")), nullptr);
    EXPECT_EQ(fs.OpenForRead(tree.Path("ok/noOpen")), nullptr);
    EXPECT_TRUE(fs.Stat(tree.Path("ok/noOpen")).exists);

    auto file = fs.OpenForRead(tree.Path("ok/file"));
    ASSERT_NE(file, nullptr);
    std::string got;
    char buffer[1000];
    std::int64_t count;
    while ((count = file->Read(buffer, sizeof buffer)) > 0) {
        got.append(buffer, static_cast<std::size_t>(count));
    }
    EXPECT_EQ(count, -1);
    EXPECT_EQ(got, content.substr(0, 4096));
    EXPECT_EQ(fs.BytesRead(tree.Path("ok/file")), 4096);
    EXPECT_EQ(fs.OpenCount(tree.Path("ok/file")), 1);
    EXPECT_EQ(fs.OpenCount(tree.Path("ok/noOpen")), 1);
    EXPECT_EQ(fs.OpenedPaths().size(), 3u);

    fs.Heal(tree.Path("locked/"));
    fs.Heal(tree.Path("ok/file"));
    EXPECT_EQ(ListByName(fs, tree.Path("locked/")).size(), 1u);
    auto healed = fs.OpenForRead(tree.Path("ok/file"));
    ASSERT_NE(healed, nullptr);
    EXPECT_EQ(ReadAll(*healed), content);
    EXPECT_EQ(fs.ListedFolders().front(), tree.Path("locked/"));
}

#ifndef _WIN32  // FIFOs, symbolic links and POSIX permissions
TEST(FileSystemTest, UnreadableFolderThroughPermissionsIsNotListedForOrdinaryUsers) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads every folder; FaultyFileSystem covers this case";
    }
    TempTree tree({{"locked/inner", Content("x")}, {"locked/", Folder().WithMode(0)}});
    std::vector<DirEntry> entries;
    EXPECT_FALSE(SystemFileSystem().ListFolder(tree.Path("locked/"), ListDetail::Full, entries));
}
#endif

#ifndef _WIN32  // symbolic links, FIFOs and a process of another user
// The walk's listing takes the facts of the files the collection may want, and of nothing else.
TEST(FileSystemTest, ListingWithFactsExaminesOnlyTheWantedFiles) {
    TempTree tree({{"a.txt", Content("abc")},
                   {"b.log", Content("hello")},
                   {".c.txt", Content("hidden")},
                   {"sub/", Folder()},
                   {"link.txt", SymlinkTo("a.txt")}});
    std::vector<DirEntry> entries;
    std::string factsFailure = "stale";
    const FileSystem::WantedFiles wanted = [](std::string_view name, bool hidden) {
        return !hidden && name.ends_with(".txt");
    };
    const ListOutcome outcome =
        SystemFileSystem().ListFolderWithFacts(tree.Root(), wanted, entries, true, factsFailure);
    ASSERT_EQ(outcome.result, ListResult::Listed);
    EXPECT_TRUE(factsFailure.empty());
    std::map<std::string, DirEntry> byName;
    for (const DirEntry& entry : entries) byName[entry.name] = entry;
    ASSERT_EQ(byName.size(), 5u);
    EXPECT_EQ(byName["a.txt"].kind, EntryKind::RegularFile);
    EXPECT_EQ(byName["a.txt"].size, 3);
    EXPECT_NE(byName["a.txt"].id.inode, 0u);
    EXPECT_NE(byName["a.txt"].lastWrite, 0);
    // Not wanted: the kind from the listing, no facts.
    EXPECT_EQ(byName["b.log"].kind, EntryKind::RegularFile);
    EXPECT_EQ(byName["b.log"].size, 0);
    EXPECT_TRUE(byName[".c.txt"].hidden);
    EXPECT_EQ(byName[".c.txt"].size, 0);
    EXPECT_EQ(byName["sub"].kind, EntryKind::Folder);
    EXPECT_EQ(byName["link.txt"].kind, EntryKind::SymbolicLink);
}

// Without search permission a folder shows its names but not the facts of its files: it is still
// listed, so that a walk can name its sub folders, and the failure says why the files cannot be
// taken. A folder whose files nobody wants lists without a failure.
TEST(FileSystemTest, ListingWithFactsOfAFolderWithoutSearchPermission) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to become an unprivileged user";
    }
    TempTree tree({{"noexec/inner.txt", Content("x")},
                   {"noexec/sub/", Folder()},
                   {"noexec/", Folder().WithMode(0444)}});
    ASSERT_EQ(::chmod(tree.Root().c_str(), 0755), 0);
    const std::string folder = tree.Path("noexec/");
    // Run as nobody in a child: 0 when the listing came out as it should.
    const auto listAsNobody = [&](bool wantFiles) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
                ::setresuid(65534, 65534, 65534) != 0) {
                ::_exit(10);
            }
            std::vector<DirEntry> entries;
            std::string factsFailure;
            const FileSystem::WantedFiles wanted = [&](std::string_view, bool) {
                return wantFiles;
            };
            const ListOutcome outcome = SystemFileSystem().ListFolderWithFacts(
                folder, wanted, entries, false, factsFailure);
            if (outcome.result != ListResult::Listed)
                ::_exit(11);
            if (entries.size() != 2)
                ::_exit(12);
            const std::string expected = wantFiles ? "Permission denied" : "";
            ::_exit(factsFailure == expected ? 0 : 13);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(listAsNobody(true), 0);
    EXPECT_EQ(listAsNobody(false), 0);
}
#endif

}  // namespace
}  // namespace qm::platform
