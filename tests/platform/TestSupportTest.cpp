// The shared fixtures are what every other test stands on, so they get checks of their own.
#include <gtest/gtest.h>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#undef Yield  // a macro of old Windows, which would hide the host's Yield

#include "platform/Win32Tools.h"
#else
#include <sys/stat.h>
#endif

#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/PathRules.h"
#include "support/RecordingSearchHost.h"
#include "support/TempTree.h"

namespace qm::test {
namespace {

using engine::Counter;
using engine::SearchStep;
using engine::StepState;

std::string ReadFile(const std::string& path) {
    auto file = platform::SystemFileSystem().OpenForRead(path);
    EXPECT_NE(file, nullptr) << path;
    std::string all;
    if (!file) {
        return all;
    }
    char buffer[65536];
    std::int64_t count;
    while ((count = file->Read(buffer, sizeof buffer)) > 0) {
        all.append(buffer, static_cast<std::size_t>(count));
    }
    return all;
}

TEST(TestSupportTest, TempTreeBuildsContentsAndIsRemovedAfterwards) {
    std::string root;
    {
        TempTree tree({
            {"a/x.txt", Content("hello")},
            {"a/b/y.bin", Size(5000, 42)},
            {"a/b/z.bin", Size(3'000'001, 42)},
            {"zeros", Zeros(1000)},
            {"patched", Size(100, 1).WithPatch(99, "!")},
            {"grown", Content("ab").WithPatch(4, "e")},
            {"ro", Content("r").WithMode(0444)},
            {"empty/", Folder()},
        });
#ifndef _WIN32
        tree.Add({{"lockedDir/inner", Content("i")}, {"lockedDir/", Folder().WithMode(0)}});
#endif
        root = tree.Root();
        EXPECT_EQ(root.back(), platform::kPathDelim);
#ifndef _WIN32
        EXPECT_EQ(root.rfind("/tmp/", 0), 0u);
#endif
        EXPECT_TRUE(platform::IsAbsolutePath(root)) << root;
        EXPECT_NE(root.find("TestSupportTest.TempTreeBuilds"), std::string::npos);
        EXPECT_EQ(tree.Path("a/x.txt"), root + NativePath("a/x.txt"));
        EXPECT_EQ(PortablePath(tree.Path("a/x.txt")), PortablePath(root) + "a/x.txt");
        EXPECT_EQ(ReadFile(tree.Path("a/x.txt")), "hello");

        const std::string bytes = ReadFile(tree.Path("a/b/y.bin"));
        EXPECT_EQ(bytes, TempTree::Bytes(5000, 42));
        // The stream is the same whatever the size (written in chunks): a prefix of a longer one.
        const std::string longer = ReadFile(tree.Path("a/b/z.bin"));
        EXPECT_EQ(longer, TempTree::Bytes(3'000'001, 42));
        EXPECT_EQ(longer.substr(0, 5000), bytes);
        EXPECT_NE(TempTree::Bytes(64, 1), TempTree::Bytes(64, 2));
        EXPECT_NE(bytes.find_first_not_of('\0'), std::string::npos);

        EXPECT_EQ(ReadFile(tree.Path("zeros")), std::string(1000, '\0'));
        std::string patched = TempTree::Bytes(100, 1);
        patched[99] = '!';
        EXPECT_EQ(ReadFile(tree.Path("patched")), patched);
        EXPECT_EQ(ReadFile(tree.Path("grown")), std::string("ab\0\0e", 5));

#ifdef _WIN32
        const DWORD attributes =
            ::GetFileAttributesW(platform::win32::SystemPath(tree.Path("ro")).c_str());
        ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
        EXPECT_NE(attributes & FILE_ATTRIBUTE_READONLY, 0u);
#else
        struct stat st;
        ASSERT_EQ(::stat(tree.Path("ro").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0444u);
        ASSERT_EQ(::stat(tree.Path("lockedDir").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0u);
#endif
        EXPECT_EQ(platform::SystemFileSystem().Stat(tree.Path("empty/")).kind,
                  platform::EntryKind::Folder);

        tree.Remove("a/b");
        EXPECT_FALSE(platform::SystemFileSystem().Stat(tree.Path("a/b")).exists);
        EXPECT_TRUE(platform::SystemFileSystem().Stat(tree.Path("a/x.txt")).exists);
    }
    EXPECT_FALSE(platform::SystemFileSystem().Stat(root).exists) << "left behind: " << root;
}

TEST(TestSupportTest, TwoTreesInOneTestAreSeparate) {
    TempTree first({{"f", Content("1")}});
    TempTree second({{"f", Content("2")}});
    EXPECT_NE(first.Root(), second.Root());
    EXPECT_EQ(ReadFile(first.Path("f")), "1");
    EXPECT_EQ(ReadFile(second.Path("f")), "2");
}

TEST(TestSupportTest, TempTreeTimesAreSetOnTheLinkItselfAndLocalTimesConvert) {
    const platform::LocalDateTime local{2006, 1, 5, 15, 4, 6};
    TempTree tree({{"target", Content("t").WithMTime(Seconds(1000))},
                   {"local", Content("l").WithMTimeLocal(local).WithATimeLocal(local)}});
    EXPECT_EQ(platform::SystemFileSystem().Stat(tree.Path("target")).lastWrite, Seconds(1000));
#ifndef _WIN32
    tree.Add({"link", SymlinkTo("target").WithMTime(Seconds(2000))});
    struct stat st;
    ASSERT_EQ(::lstat(tree.Path("link").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 2000);
    ASSERT_EQ(::stat(tree.Path("link").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000);
#endif
    std::vector<platform::DirEntry> entries;
    ASSERT_TRUE(
        platform::SystemFileSystem().ListFolder(tree.Root(), platform::ListDetail::Full, entries));
    for (const auto& entry : entries) {
        if (entry.name == "local") {
            EXPECT_EQ(platform::LocalFileDate(entry.lastWrite), local);
            EXPECT_EQ(platform::LocalFileDate(entry.lastAccess), local);
        }
    }
}

TEST(TestSupportTest, RecordingHostRecordsEveryCall) {
    RecordingSearchHost host;
    host.SetStepState(SearchStep::FolderScan, StepState::InProgress);
    host.SetCounter(Counter::FoldersScanned, 1);
    host.SetCounter(Counter::FoldersScanned, 2);
    host.SetStatusText("<B>Step</B>");
    host.SetStatusPath("<B>Scanning Folder:</B> ", "/a|b/\xff/");
    host.ShowProgress(true);
    host.SetProgressDecorations(true);
    host.SetProgress(40);
    host.Yield();
    host.SetStepState(SearchStep::FolderScan, StepState::Done);

    EXPECT_EQ(host.StepStateOf(SearchStep::FolderScan), StepState::Done);
    EXPECT_EQ(host.StepStateOf(SearchStep::FileScan), StepState::Pending);
    EXPECT_EQ(host.StepHistory().size(), 2u);
    EXPECT_EQ(host.CounterValue(Counter::FoldersScanned), 2);
    EXPECT_EQ(host.CounterHistory(Counter::FoldersScanned), (std::vector<std::int64_t>{1, 2}));
    EXPECT_EQ(host.CounterValue(Counter::FilesIgnored), 0);
    EXPECT_TRUE(host.CounterHistory(Counter::FilesIgnored).empty());
    ASSERT_EQ(host.StatusTexts().size(), 2u);
    EXPECT_EQ(host.LastStatusText(), "<B>Scanning Folder:</B> /a|b/\xff/");
    ASSERT_EQ(host.StatusPaths().size(), 1u);
    EXPECT_EQ(host.StatusPaths()[0].path, "/a|b/\xff/");
    EXPECT_TRUE(host.ProgressVisible());
    EXPECT_TRUE(host.ProgressDecorations());
    EXPECT_EQ(host.ProgressValue(), 40);
    EXPECT_EQ(host.Yields(), 1);
    EXPECT_EQ(host.Log().front(), "Step 1 In Progress");
    EXPECT_EQ(host.Log()[8], "Yield");
    EXPECT_FALSE(host.AbortRequested());
}

TEST(TestSupportTest, RecordingHostAbortsAtTheNextYieldAfterATrigger) {
    {
        RecordingSearchHost host;
        host.AbortAfterYields(3);
        host.Yield();
        host.Yield();
        EXPECT_FALSE(host.AbortRequested());
        host.Yield();
        EXPECT_TRUE(host.AbortRequested());
    }
    {
        RecordingSearchHost host;
        host.AbortOnStatusPrefix("<B>Scanning File:</B>");
        host.SetStatusPath("<B>Scanning Folder:</B> ", "/x/");
        host.Yield();
        EXPECT_FALSE(host.AbortRequested());
        host.SetStatusPath("<B>Scanning File:</B> ", "/x/f");
        EXPECT_FALSE(host.AbortRequested()) << "an abort click is handled only at a yield";
        host.Yield();
        EXPECT_TRUE(host.AbortRequested());
    }
    {
        RecordingSearchHost host;
        host.AbortWhen([](const RecordingSearchHost& h) {
            return h.CounterValue(Counter::FilesScanned) >= 2;
        });
        host.SetCounter(Counter::FilesScanned, 1);
        host.Yield();
        EXPECT_FALSE(host.AbortRequested());
        host.SetCounter(Counter::FilesScanned, 2);
        host.Yield();
        EXPECT_TRUE(host.AbortRequested());
    }
    {
        RecordingSearchHost host;
        int calls = 0;
        host.OnYield([&] { ++calls; });
        host.Yield();
        host.Yield();
        EXPECT_EQ(calls, 2);
        host.RequestAbortNow();
        EXPECT_TRUE(host.AbortRequested());
        EXPECT_EQ(host.AbortQueries(), 1);
    }
}

}  // namespace
}  // namespace qm::test
