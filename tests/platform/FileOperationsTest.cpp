#include "platform/FileOperations.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/Win32Tools.h"
#else
#include <grp.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "support/FileOperationSupport.h"
#include "support/TempTree.h"

namespace qm::platform {
namespace {

using test::Content;
using test::Folder;
using test::IdentityNow;
using test::NamesIn;
using test::ReadAll;
using test::StepHook;
using test::SymlinkTo;
using test::TempTree;

using Names = std::vector<std::string>;

#ifdef _WIN32
// What the Win32 operations say instead of sending a file to the Recycle Bin, which they cannot.
constexpr const char* kNoRecycleBin =
    "this build cannot use the Recycle Bin; the file was left where it was";
#endif

std::unique_ptr<FileOperations> Operations(const std::string& dataHome,
                                           FileStepHook* hook = nullptr, bool unnamed = true) {
    FileOperationsOptions options;
    options.dataHome = dataHome;
    options.hook = hook;
    options.unnamedTemporary = unnamed;
    return MakeFileOperations(options);
}

TEST(NumberedName, TriesAndCuts) {
    struct Case {
        const char* name;
        int n;
        std::size_t maxBytes;
        const char* expected;
    };
    const Case cases[] = {
        {"a.txt", 1, 255, "a.txt"},
        {"a.txt", 2, 255, "a (2).txt"},
        {"a.tar.gz", 3, 255, "a.tar (3).gz"},
        {".profile", 2, 255, ".profile (2)"},
        {"README", 12, 255, "README (12)"},
        {"abcdef.txt", 2, 12, "abcd (2).txt"},
        // A cut never splits a character: "é" is two bytes.
        {"\xC3\xA9\xC3\xA9\xC3\xA9.txt", 2, 11, "\xC3\xA9 (2).txt"},
        {"x.averyveryverylongextension", 2, 12, "x.averyv (2)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NumberedName(c.name, c.n, c.maxBytes), c.expected) << c.name << " " << c.n;
    }
}

TEST(FileOperations, MoveNeverReplacesAndNumbersTheNewName) {
    TempTree tree({{"one/a.txt", Content("first")},
                   {"two/a.txt", Content("second")},
                   {"three/a.txt", Content("third")},
                   {"dest/a (2).txt", Content("was here")}});
    auto ops = Operations(tree.Path("data"));
    const std::string dest = tree.Path("dest");
    for (const char* from : {"one/a.txt", "two/a.txt", "three/a.txt"}) {
        const FileOperationResult result =
            ops->MoveToFolder(tree.Path(from), dest, IdentityNow(tree.Path(from)));
        EXPECT_TRUE(result.ok) << from << ": " << result.reason;
        EXPECT_EQ(ReadAll(tree.Path(from)), "<missing>");
    }
    EXPECT_EQ(NamesIn(dest), (Names{"a (2).txt", "a (3).txt", "a (4).txt", "a.txt"}));
    EXPECT_EQ(ReadAll(tree.Path("dest/a.txt")), "first");
    EXPECT_EQ(ReadAll(tree.Path("dest/a (2).txt")), "was here");
    EXPECT_EQ(ReadAll(tree.Path("dest/a (3).txt")), "second");
    EXPECT_EQ(ReadAll(tree.Path("dest/a (4).txt")), "third");
}

TEST(FileOperations, MoveIntoItsOwnFolderFails) {
    TempTree tree({{"a/x.txt", Content("x")}});
    auto ops = Operations(tree.Path("data"));
    const FileOperationResult result =
        ops->MoveToFolder(tree.Path("a/x.txt"), tree.Path("a/"), IdentityNow(tree.Path("a/x.txt")));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.reason, "it is in that folder already");
    EXPECT_EQ(NamesIn(tree.Path("a")), Names{"x.txt"});
}

// Each way a file can stop being the listed one; both operations leave it alone.
TEST(FileOperations, AFileThatIsNoLongerTheListedOneIsLeftAlone) {
    struct Case {
        const char* what;
        std::function<void(TempTree&, const std::string& path)> change;
        const char* reason;
    };
    const Case cases[] = {
        {"rewritten", [](TempTree&, const std::string& p) { test::Rewrite(p, "new bytes!"); },
         "it was changed after the search"},
#ifndef _WIN32
        {"replaced by a link",
         [](TempTree& t, const std::string& p) {
             std::remove(p.c_str());
             t.Add({"src/f.txt", SymlinkTo("../keep.txt")});
         },
         "it is a symbolic link now"},
#endif
        {"vanished", [](TempTree&, const std::string& p) { std::remove(p.c_str()); },
         "it no longer exists"},
        {"replaced by another file",
         [](TempTree& t, const std::string& p) {
             t.Add({"other.txt", Content("original")});
             ASSERT_TRUE(test::RenameOver(t.Path("other.txt"), p));
         },
         "another file has taken its place since the search"},
        {"replaced by a folder",
         [](TempTree& t, const std::string& p) {
             std::remove(p.c_str());
             t.Add({"src/f.txt/", Folder()});
         },
         "it is no longer a regular file"},
    };
    for (const bool trash : {true, false}) {
        for (const Case& c : cases) {
            TempTree tree({{"src/f.txt", Content("original")},
                           {"keep.txt", Content("original")},
                           {"dest/", Folder()}});
            auto ops = Operations(tree.Path("data"));
            const std::string path = tree.Path("src/f.txt");
            const FileIdentity listed = IdentityNow(path);
            c.change(tree, path);
            const Names before = NamesIn(tree.Path("src"));
            const std::string content = ReadAll(path);
            const FileOperationResult result =
                trash ? ops->MoveToTrash(path, listed)
                      : ops->MoveToFolder(path, tree.Path("dest"), listed);
            EXPECT_FALSE(result.ok) << c.what;
            EXPECT_EQ(result.reason, c.reason) << c.what;
            EXPECT_EQ(NamesIn(tree.Path("src")), before) << c.what;
            EXPECT_EQ(ReadAll(path), content) << c.what;
            EXPECT_TRUE(NamesIn(tree.Path("dest")).empty()) << c.what;
            EXPECT_TRUE(NamesIn(tree.Path("data/Trash/files")).empty()) << c.what;
        }
    }
}

// Another file takes the name between the check and the rename: it must not stay moved.
TEST(FileOperations, AFileSwappedInAfterTheCheckIsPutBack) {
    QM_SKIP_ON_WINDOWS("there the move acts on the open file, not on its name");
    for (const bool trash : {true, false}) {
        TempTree tree({{"src/f.txt", Content("listed")},
                       {"swap.txt", Content("someone else's")},
                       {"dest/", Folder()}});
        StepHook hook;
        auto ops = Operations(tree.Path("data"), &hook);
        const std::string path = tree.Path("src/f.txt");
        hook.At(FileStep::Checked, [&](const std::string&) {
            return std::rename(tree.Path("swap.txt").c_str(), path.c_str()) == 0;
        });
        const FileIdentity listed = IdentityNow(path);
        const FileOperationResult result = trash
                                               ? ops->MoveToTrash(path, listed)
                                               : ops->MoveToFolder(path, tree.Path("dest"), listed);
        EXPECT_FALSE(result.ok);
        EXPECT_NE(result.reason.find("was put back"), std::string::npos) << result.reason;
        EXPECT_EQ(ReadAll(path), "someone else's");
        EXPECT_TRUE(NamesIn(tree.Path("dest")).empty());
        EXPECT_TRUE(NamesIn(tree.Path("data/Trash/files")).empty());
        EXPECT_TRUE(NamesIn(tree.Path("data/Trash/info")).empty());
    }
}

#ifdef _WIN32
// The Win32 move renames the file it opened and checked, whatever has taken its old name since:
// the newcomer is never moved as if it were the listed file. (Where the system refuses to put
// another file over the name of an open one, as Wine does, the checked file simply moves.)
TEST(FileOperations, AFileSwappedInAfterTheCheckIsNotMoved) {
    TempTree tree({{"src/f.txt", Content("listed")},
                   {"swap.txt", Content("someone else's")},
                   {"dest/", Folder()}});
    StepHook hook;
    auto ops = Operations(tree.Path("data"), &hook);
    const std::string path = tree.Path("src/f.txt");
    bool swapped = false;
    hook.At(FileStep::Checked, [&](const std::string&) {
        swapped = test::RenameOver(tree.Path("swap.txt"), path);
        return true;
    });
    const FileOperationResult result =
        ops->MoveToFolder(path, tree.Path("dest"), IdentityNow(path));
    for (const std::string& name : NamesIn(tree.Path("dest"))) {
        EXPECT_NE(ReadAll(tree.Path("dest/" + name)), "someone else's") << name;
    }
    if (swapped) {
        EXPECT_EQ(ReadAll(path), "someone else's");
    }
    if (result.ok) {
        EXPECT_EQ(ReadAll(result.newPath), "listed");
    } else {
        EXPECT_FALSE(result.reason.empty());
    }
}

// A file held open by a program that does not share deleting cannot be moved; it stays, and the
// reason is the system's.
TEST(FileOperations, AFileHeldOpenWithoutDeleteSharingStays) {
    TempTree tree({{"src/f.txt", Content("busy")}, {"dest/", Folder()}});
    auto ops = Operations(tree.Path("data"));
    const std::string path = tree.Path("src/f.txt");
    const FileIdentity listed = IdentityNow(path);
    const platform::win32::Handle held(
        ::CreateFileW(platform::win32::SystemPath(path).c_str(), GENERIC_READ,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held.Valid());
    const FileOperationResult result = ops->MoveToFolder(path, tree.Path("dest"), listed);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_EQ(ReadAll(path), "busy");
    EXPECT_TRUE(NamesIn(tree.Path("dest")).empty());
}

// A read-only file moves like any other, within a volume and across volumes, and stays
// read-only.
TEST(FileOperations, AReadOnlyFileMovesAndStaysReadOnly) {
    test::OtherFileSystemFolder other;
    TempTree tree({{"src/near.txt", Content("near").WithMode(0444)},
                   {"src/far.txt", Content("far").WithMode(0444)},
                   {"dest/", Folder()}});
    auto ops = Operations(tree.Path("data"));
    struct Case {
        const char* name;
        const char* content;
        std::string folder;
    };
    const Case cases[] = {{"near.txt", "near", tree.Path("dest/")},
                          {"far.txt", "far", other.Path()}};
    for (const Case& c : cases) {
        if (c.folder.empty()) {
            continue;  // no second volume
        }
        const std::string path = tree.Path(std::string("src/") + c.name);
        const FileOperationResult result = ops->MoveToFolder(path, c.folder, IdentityNow(path));
        ASSERT_TRUE(result.ok) << c.name << ": " << result.reason;
        EXPECT_EQ(ReadAll(path), "<missing>") << c.name;
        EXPECT_EQ(ReadAll(c.folder + c.name), c.content) << c.name;
        const DWORD attributes =
            ::GetFileAttributesW(platform::win32::SystemPath(c.folder + c.name).c_str());
        ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << c.name;
        EXPECT_NE(attributes & FILE_ATTRIBUTE_READONLY, 0u) << c.name;
        EXPECT_EQ(attributes & FILE_ATTRIBUTE_HIDDEN, 0u) << c.name;
        // Writable again, so that the folders can be cleared.
        ::SetFileAttributesW(platform::win32::SystemPath(c.folder + c.name).c_str(),
                             FILE_ATTRIBUTE_NORMAL);
    }
}
#endif

TEST(FileOperations, MoveAcrossFileSystemsKeepsBytesModeAndTimes) {
    test::OtherFileSystemFolder other;
    if (other.Path().empty()) {
        GTEST_SKIP() << "no second file system";
    }
    for (const bool unnamed : {true, false}) {
        const std::string bytes = TempTree::Bytes(3 * (1 << 20) + 17, 7);
#ifdef _WIN32
        const test::TreeNode big = Content(bytes).WithMTime(test::Seconds(1'500'000'000));
#else
        const test::TreeNode big =
            Content(bytes).WithMode(0640).WithMTime(test::Seconds(1'500'000'000));
#endif
        TempTree tree({{"src/big.bin", big}, {"src/a.txt", Content("new")}});
        auto ops = Operations(tree.Path("data"), nullptr, unnamed);
        std::FILE* taken = std::fopen((other.Path() + "a.txt").c_str(), "w");
        std::fputs("old", taken);
        std::fclose(taken);

        for (const char* name : {"big.bin", "a.txt"}) {
            const std::string path = tree.Path(std::string("src/") + name);
            const FileOperationResult result =
                ops->MoveToFolder(path, other.Path(), IdentityNow(path));
            ASSERT_TRUE(result.ok) << result.reason;
            EXPECT_EQ(ReadAll(path), "<missing>");
        }
        EXPECT_EQ(NamesIn(other.Path()), (Names{"a (2).txt", "a.txt", "big.bin"})) << unnamed;
        EXPECT_EQ(ReadAll(other.Path() + "big.bin"), bytes);
        EXPECT_EQ(ReadAll(other.Path() + "a.txt"), "old");
        EXPECT_EQ(ReadAll(other.Path() + "a (2).txt"), "new");
        EXPECT_EQ(IdentityNow(other.Path() + "big.bin").lastWrite, test::Seconds(1'500'000'000));
#ifndef _WIN32
        struct stat st {};
        ASSERT_EQ(::stat((other.Path() + "big.bin").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
#endif
        for (const std::string& name : NamesIn(other.Path())) {
            std::remove((other.Path() + name).c_str());
        }
    }
}

#ifndef _WIN32
// A copy across file systems takes the file's owner where it may; where it may not (an ordinary
// user moving another's file), the copy is the mover's and must not keep set-user or set-group.
TEST(FileOperations, MoveAcrossFileSystemsDropsSetIdBitsWithTheOwner) {
    test::OtherFileSystemFolder other;
    if (other.Path().empty() || ::geteuid() != 0) {
        GTEST_SKIP() << "needs a second file system and root to make files of two owners";
    }
    ASSERT_EQ(::chmod(other.Path().c_str(), 0777), 0);
    for (const bool asNobody : {false, true}) {
        TempTree tree({{"src/tool", Content("#!/bin/sh\n").WithMode(06755)}});
        ASSERT_EQ(::chmod(tree.Root().c_str(), 0755), 0);
        ASSERT_EQ(::chmod(tree.Path("src").c_str(), 0777), 0);
        const std::string path = tree.Path("src/tool");
        ASSERT_EQ(::chmod(path.c_str(), 06755), 0);  // after the umask
        const FileIdentity listed = IdentityNow(path);
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (asNobody &&
                (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
                 ::setresuid(65534, 65534, 65534) != 0)) {
                ::_exit(10);
            }
            auto ops = Operations(other.Path() + "data");
            ::_exit(ops->MoveToFolder(path, other.Path(), listed).ok ? 0 : 11);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << asNobody;
        struct stat st {};
        ASSERT_EQ(::stat((other.Path() + "tool").c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, asNobody ? 65534u : 0u);
        EXPECT_EQ(st.st_mode & 07777, asNobody ? 0755u : 06755u) << asNobody;
        EXPECT_EQ(ReadAll(path), "<missing>");
        std::remove((other.Path() + "tool").c_str());
    }
}
#endif

// A failure at any step of a move across file systems leaves the source as it was and no copy,
// named or not, in the destination.
TEST(FileOperations, FailureDuringAMoveAcrossFileSystemsLeavesTheSourceAndNoCopy) {
    test::OtherFileSystemFolder other;
    if (other.Path().empty()) {
        GTEST_SKIP() << "no second file system";
    }
    const std::string bytes = TempTree::Bytes(200'000, 3);
    struct Case {
        FileStep step;
        bool changeSource;  // the step changes the source instead of failing
        const char* reason;
    };
    const Case cases[] = {
        {FileStep::Copied, false, "the operation was stopped"},
        {FileStep::Verified, false, "the operation was stopped"},
        {FileStep::Placed, false, "the operation was stopped"},
        {FileStep::Copied, true, "the copy differs from the file; it was left where it was"},
        {FileStep::Placed, true, "it changed while it was being copied; it was left where it was"},
    };
    for (const bool unnamed : {true, false}) {
        for (const Case& c : cases) {
            TempTree tree({{"src/f.bin", Content(bytes)}});
            const std::string path = tree.Path("src/f.bin");
            StepHook hook;
            std::string expectedContent = bytes;
            hook.At(c.step, [&](const std::string&) {
                if (!c.changeSource) {
                    return false;
                }
                // Written in place, sharing every access, as another program would.
                expectedContent.replace(0, 3, "XYZ");
                test::Rewrite(path, expectedContent);
                return true;
            });
            auto ops = Operations(tree.Path("data"), &hook, unnamed);
            const FileOperationResult result =
                ops->MoveToFolder(path, other.Path(), IdentityNow(path));
            const std::string label = std::to_string(static_cast<int>(c.step)) +
                                      (c.changeSource ? " change" : " fail") +
                                      (unnamed ? " unnamed" : " named");
            EXPECT_FALSE(result.ok) << label;
            EXPECT_EQ(result.reason, c.reason) << label;
            EXPECT_EQ(ReadAll(path), expectedContent) << label;
            EXPECT_EQ(NamesIn(tree.Path("src")), Names{"f.bin"}) << label;
            EXPECT_TRUE(NamesIn(other.Path()).empty()) << label;
        }
    }
}

TEST(FileOperations, TrashGoesToTheHomeTrashWithItsInformation) {
    QM_SKIP_ON_WINDOWS("the home trash is the desktop's trash folder");
    TempTree tree({{"src/a b%.txt", Content("one")}, {"src2/a b%.txt", Content("two")}});
    auto ops = Operations(tree.Path("data"));
    const std::string trash = tree.Path("data/Trash");
    for (const char* from : {"src/a b%.txt", "src2/a b%.txt"}) {
        const std::string path = tree.Path(from);
        const FileOperationResult result = ops->MoveToTrash(path, IdentityNow(path));
        ASSERT_TRUE(result.ok) << result.reason;
        EXPECT_EQ(ReadAll(path), "<missing>");
    }
    EXPECT_EQ(NamesIn(trash + "/files"), (Names{"a b% (2).txt", "a b%.txt"}));
    EXPECT_EQ(ReadAll(trash + "/files/a b%.txt"), "one");
    EXPECT_EQ(ReadAll(trash + "/files/a b% (2).txt"), "two");
    EXPECT_EQ(NamesIn(trash + "/info"), (Names{"a b% (2).txt.trashinfo", "a b%.txt.trashinfo"}));
    const std::string info = ReadAll(trash + "/info/a b% (2).txt.trashinfo");
    const std::regex form(
        "\\[Trash Info\\]\nPath=(.*)\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(info, match, form)) << info;
    EXPECT_EQ(match[1].str(), tree.Path("src2/a%20b%25.txt"));
}

// Where no trash can be made the file stays; it is never deleted instead.
TEST(FileOperations, NoTrashMeansTheFileStays) {
    TempTree tree({{"src/f.txt", Content("keep me")}, {"data", Content("a file, not a folder")}});
    auto ops = Operations(tree.Path("data"));
    const std::string path = tree.Path("src/f.txt");
    const FileOperationResult result = ops->MoveToTrash(path, IdentityNow(path));
    EXPECT_FALSE(result.ok);
#ifdef _WIN32
    EXPECT_EQ(result.reason, kNoRecycleBin);
#else
    EXPECT_EQ(result.reason,
              "cannot create the trash \"" + tree.Path("data/Trash") + "\": Not a directory");
#endif
    EXPECT_EQ(ReadAll(path), "keep me");
}

TEST(FileOperations, TrashStoppedAfterItsInformationLeavesNoTrace) {
    QM_SKIP_ON_WINDOWS("the Recycle Bin keeps no information file of ours");
    TempTree tree({{"src/f.txt", Content("keep me")}});
    StepHook hook;
    hook.At(FileStep::TrashInfoWritten, [](const std::string&) { return false; });
    auto ops = Operations(tree.Path("data"), &hook);
    const std::string path = tree.Path("src/f.txt");
    EXPECT_FALSE(ops->MoveToTrash(path, IdentityNow(path)).ok);
    EXPECT_EQ(ReadAll(path), "keep me");
    EXPECT_TRUE(NamesIn(tree.Path("data/Trash/info")).empty());
    EXPECT_TRUE(NamesIn(tree.Path("data/Trash/files")).empty());
}

#ifndef _WIN32
// A file system of its own, whose top folder the test owns: the trash there follows the rules for
// top folders.
TEST(FileOperations, TrashOnAnotherFileSystemUsesItsTopFolder) {
    TempTree tree({{"mnt/", Folder()}});
    const std::string top = tree.Path("mnt");
    if (!test::MountPrivateFileSystem(top)) {
        GTEST_SKIP() << "cannot mount a private file system here";
    }
    const std::string uid = std::to_string(::geteuid());
    auto ops = Operations(tree.Path("data"));
    const auto makeFile = [&](const std::string& relative, const std::string& bytes) {
        ::mkdir((top + "/docs").c_str(), 0755);
        std::FILE* f = std::fopen((top + "/" + relative).c_str(), "w");
        std::fputs(bytes.c_str(), f);
        std::fclose(f);
        return top + "/" + relative;
    };
    struct Case {
        const char* what;
        std::function<void()> prepare;
        std::string can;  // empty: no trash can take it
    };
    const Case cases[] = {
        {"own trash made", [] {}, top + "/.Trash-" + uid},
        {"shared trash, sticky",
         [&] {
             ::mkdir((top + "/.Trash").c_str(), 01777);
             ::chmod((top + "/.Trash").c_str(), 01777);
         },
         top + "/.Trash/" + uid},
        {"shared trash without the sticky bit is not used",
         [&] { ::mkdir((top + "/.Trash").c_str(), 0777); }, top + "/.Trash-" + uid},
        {"shared trash that is a link is not used",
         [&] {
             ::mkdir((top + "/elsewhere").c_str(), 01777);
             ::chmod((top + "/elsewhere").c_str(), 01777);
             ::symlink("elsewhere", (top + "/.Trash").c_str());
         },
         top + "/.Trash-" + uid},
        {"own trash is a file",
         [&] { std::fclose(std::fopen((top + "/.Trash-" + uid).c_str(), "w")); }, ""},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(top + "/.Trash");
        std::filesystem::remove_all(top + "/.Trash-" + uid);
        std::filesystem::remove_all(top + "/elsewhere");
        c.prepare();
        const std::string path = makeFile("docs/r.txt", "report");
        const FileOperationResult result = ops->MoveToTrash(path, IdentityNow(path));
        if (c.can.empty()) {
            EXPECT_FALSE(result.ok) << c.what;
            EXPECT_EQ(result.reason.rfind("no trash can take it: ", 0), 0u) << result.reason;
            EXPECT_EQ(ReadAll(path), "report") << c.what;
            continue;
        }
        ASSERT_TRUE(result.ok) << c.what << ": " << result.reason;
        EXPECT_EQ(result.newPath, c.can + "/files/r.txt") << c.what;
        EXPECT_EQ(ReadAll(c.can + "/files/r.txt"), "report") << c.what;
        // Below a top folder the original place is relative to it.
        EXPECT_NE(ReadAll(c.can + "/info/r.txt.trashinfo").find("\nPath=docs/r.txt\n"),
                  std::string::npos)
            << c.what;
        EXPECT_EQ(ReadAll(path), "<missing>");
        EXPECT_TRUE(NamesIn(tree.Path("data")).empty()) << "the home trash was not used";
    }
    ::umount2(top.c_str(), MNT_DETACH);
}
#endif

TEST(FileOperations, CompareContent) {
    TempTree tree({{"a", Content("same bytes")},
                   {"b", Content("same bytes")},
                   {"c", Content("same bytez")},
                   {"d", Content("short")}});
    auto ops = Operations(tree.Path("data"));
    const ContentComparison same = ops->CompareContent(tree.Path("a"), tree.Path("b"));
    EXPECT_TRUE(same.equal);
    EXPECT_EQ(same.identity, IdentityNow(tree.Path("a")));
    EXPECT_EQ(same.otherIdentity, IdentityNow(tree.Path("b")));
    EXPECT_FALSE(ops->CompareContent(tree.Path("a"), tree.Path("c")).equal);
    EXPECT_FALSE(ops->CompareContent(tree.Path("a"), tree.Path("d")).equal);
#ifndef _WIN32
    tree.Add({"link", SymlinkTo("a")});
    const ContentComparison link = ops->CompareContent(tree.Path("b"), tree.Path("link"));
    EXPECT_FALSE(link.equal);
    EXPECT_EQ(link.reason, "it is a symbolic link now");
#endif
}

TEST(FileOperations, CreateFolders) {
    TempTree tree({{"file", Content("x")}});
    auto ops = Operations(tree.Path("data"));
    EXPECT_TRUE(ops->CreateFolders(tree.Path("a/b/c/")).ok);
    EXPECT_TRUE(std::filesystem::is_directory(tree.Path("a/b/c")));
    EXPECT_TRUE(ops->CreateFolders(tree.Path("a/b")).ok);
    const FileOperationResult blocked = ops->CreateFolders(tree.Path("file/sub"));
    EXPECT_FALSE(blocked.ok);
#ifdef _WIN32
    EXPECT_EQ(
        blocked.reason.rfind("cannot create the folder \"" + tree.Path("file/sub") + "\": ", 0), 0u)
        << blocked.reason;
#else
    EXPECT_EQ(blocked.reason,
              "cannot create the folder \"" + tree.Path("file/sub") + "\": Not a directory");
#endif
}

}  // namespace
}  // namespace qm::platform
