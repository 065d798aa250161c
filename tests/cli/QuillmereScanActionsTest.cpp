// Drives the built quillmere-scan's actions on copies as a user would: real trees, a trash of its
// own (XDG_DATA_HOME), results files saved and loaded again.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "storage/ResultsFile.h"
#include "support/FileOperationSupport.h"
#include "support/TempTree.h"

extern char** environ;

namespace qm::cli {
namespace {

using test::Content;
using test::Folder;
using test::NamesIn;
using test::ReadAll;
using test::TempTree;
using Lines = std::vector<std::string>;

struct ScanRun {
    int status = -1;
    Lines out;  // standard output, line by line
    std::string err;
};

// Runs the scanner in folder cwd with args, in the C locale, with dataHome as XDG_DATA_HOME.
ScanRun Scan(const std::string& cwd, const std::string& dataHome, const Lines& args) {
    const std::string outFile = cwd + ".out";
    const std::string errFile = cwd + ".err";
    std::vector<std::string> env = {"LC_ALL=C", "LANG=C", "XDG_DATA_HOME=" + dataHome};
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (entry.rfind("LC_ALL=", 0) != 0 && entry.rfind("LANG=", 0) != 0 &&
            entry.rfind("XDG_DATA_HOME=", 0) != 0) {
            env.push_back(entry);
        }
    }
    std::vector<char*> envp;
    for (std::string& entry : env) {
        envp.push_back(entry.data());
    }
    envp.push_back(nullptr);
    std::string program = QM_SCAN_BINARY;
    std::vector<std::string> argStore = args;
    std::vector<char*> argv{program.data()};
    for (std::string& arg : argStore) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    pid_t pid = 0;
    ScanRun run;
    const int spawned =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(spawned, 0);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream out(ReadAll(outFile));
    for (std::string line; std::getline(out, line);) {
        run.out.push_back(line);
    }
    run.err = ReadAll(errFile);
    std::remove(outFile.c_str());
    std::remove(errFile.c_str());
    return run;
}

// Every line but the totals, sorted: the order of the sets is the search's business.
std::set<std::string> FileLines(const ScanRun& run) {
    if (run.out.empty()) {
        return {};
    }
    return std::set<std::string>(run.out.begin(), run.out.end() - 1);
}

std::string Totals(const ScanRun& run) {
    return run.out.empty() ? std::string() : run.out.back();
}

// Sets of the tree "a/x.txt b/x.txt c/x.txt" (one content) and "a/y.txt b/y.txt" (another),
// searched from work/.
class ScanActions : public ::testing::Test {
public:
    ScanActions()
        : tree({{"work/a/x.txt", Content("same bytes")},
                {"work/b/x.txt", Content("same bytes")},
                {"work/c/x.txt", Content("same bytes")},
                {"work/a/y.txt", Content("other bytes")},
                {"work/b/y.txt", Content("other bytes")},
                {"dest/", Folder()}}) {}

    std::string W(const std::string& relative) const { return tree.Path("work/" + relative); }
    std::string Data() const { return tree.Path("data"); }

    ScanRun ScanWork(Lines args) {
        args.push_back(".");
        return Scan(tree.Path("work"), Data(), args);
    }

    TempTree tree;
};

TEST_F(ScanActions, TrashCopiesKeepsTheFirstFileOfEachSetAndBlockedFolders) {
    const ScanRun run = ScanWork({"--trash-copies", "--blocked-folder", "c", "--format", "dat",
                                  "--output", tree.Path("r.dat")});
    EXPECT_EQ(run.status, 0) << run.err;
    // The results file tells which file came first in each set.
    std::map<std::string, std::string> first;
    for (const storage::ResultsFileRow& row : storage::ReadResultsFile(tree.Path("r.dat"))) {
        first.emplace(row.groupText, row.path);
    }
    ASSERT_EQ(first.size(), 2u);
    std::set<std::string> expected = {"refused: " + W("c/x.txt") + ": it is in a blocked folder"};
    int kept = 0;
    for (const char* name : {"a/x.txt", "b/x.txt", "c/x.txt", "a/y.txt", "b/y.txt"}) {
        const bool isFirst = std::any_of(first.begin(), first.end(),
                                         [&](const auto& f) { return f.second == W(name); });
        if (isFirst || std::string(name) == "c/x.txt") {
            EXPECT_NE(ReadAll(W(name)), "<missing>") << name;
            ++kept;
        } else {
            EXPECT_EQ(ReadAll(W(name)), "<missing>") << name;
            expected.insert("trashed: " + W(name));
        }
    }
    EXPECT_EQ(kept, 3);
    EXPECT_EQ(FileLines(run), expected);
    EXPECT_EQ(Totals(run), "2 file(s) moved to the Recycle Bin.");
    EXPECT_EQ(NamesIn(Data() + "/Trash/files").size(), 2u);
    EXPECT_EQ(NamesIn(Data() + "/Trash/info").size(), 2u);
}

TEST_F(ScanActions, DryRunPrintsWhatWouldBeDoneAndChangesNothing) {
    const ScanRun run = ScanWork({"--trash-copies", "--dry-run"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(FileLines(run).size(), 3u);
    for (const std::string& line : FileLines(run)) {
        EXPECT_EQ(line.rfind("would trash: " + tree.Path("work/"), 0), 0u) << line;
    }
    EXPECT_EQ(Totals(run),
              "Dry run: 3 file(s) would be moved to the Recycle Bin, 0 file(s) would "
              "fail. Nothing was changed.");
    for (const char* name : {"a/x.txt", "b/x.txt", "c/x.txt"}) {
        EXPECT_EQ(ReadAll(W(name)), "same bytes") << name;
    }
    EXPECT_EQ(ReadAll(W("b/y.txt")), "other bytes");
    EXPECT_FALSE(std::filesystem::exists(Data()));
}

TEST_F(ScanActions, MoveCopiesFlatAndWithPreservedPaths) {
    ScanRun run = ScanWork({"--move-copies-to", tree.Path("dest")});
    EXPECT_EQ(run.status, 0) << run.err;
    // Two copies named x.txt: both kept, the second under a new name.
    EXPECT_EQ(NamesIn(tree.Path("dest")), (Lines{"x (2).txt", "x.txt", "y.txt"}));
    EXPECT_EQ(Totals(run), "3 file(s) moved to \"" + tree.Path("dest") + "\".");

    // Back in place, then again with the folders below the destination.
    std::filesystem::remove_all(tree.Path("dest"));
    tree.Add({{"dest/", Folder()},
              {"work/a/x.txt", Content("same bytes")},
              {"work/b/x.txt", Content("same bytes")},
              {"work/c/x.txt", Content("same bytes")},
              {"work/a/y.txt", Content("other bytes")},
              {"work/b/y.txt", Content("other bytes")}});
    run = ScanWork({"--move-copies-to", tree.Path("dest/"), "--preserve-paths"});
    EXPECT_EQ(run.status, 0) << run.err;
    for (const std::string& line : FileLines(run)) {
        const std::size_t arrow = line.find(" -> ");
        ASSERT_NE(arrow, std::string::npos) << line;
        const std::string from = line.substr(7, arrow - 7);
        EXPECT_EQ(line.substr(arrow + 4), tree.Path("dest") + from) << line;
        EXPECT_NE(ReadAll(tree.Path("dest") + from), "<missing>");
    }
    EXPECT_EQ(FileLines(run).size(), 3u);
}

// A results file saved earlier: each copy is compared with the first file of its set when it is
// acted on, so copies changed or gone since are left alone.
TEST_F(ScanActions, LoadActsOnTheSetsOfAResultsFile) {
    ScanRun saved = ScanWork({"--format", "dat", "--output", tree.Path("r.dat")});
    ASSERT_EQ(saved.status, 0) << saved.err;
    std::map<std::string, std::vector<std::string>> sets;
    for (const storage::ResultsFileRow& row : storage::ReadResultsFile(tree.Path("r.dat"))) {
        sets[row.groupText].push_back(row.path);
    }
    ASSERT_EQ(sets.size(), 2u);
    const std::vector<std::string>& three =
        sets.begin()->second.size() == 3 ? sets.begin()->second : sets.rbegin()->second;
    const std::vector<std::string>& two =
        sets.begin()->second.size() == 3 ? sets.rbegin()->second : sets.begin()->second;
    test::Rewrite(three[1], "SAME bytes");  // same size, other bytes
    std::remove(two[1].c_str());

    const ScanRun dry =
        Scan(tree.Path(""), Data(), {"--load", "r.dat", "--trash-copies", "--dry-run"});
    EXPECT_EQ(dry.status, 1);
    EXPECT_EQ(
        FileLines(dry),
        (std::set<std::string>{
            "would fail: " + three[1] + ": no other file of its set still holds the same bytes",
            "would trash: " + three[2], "would fail: " + two[1] + ": it no longer exists"}));
    EXPECT_NE(ReadAll(three[2]), "<missing>");

    const ScanRun run = Scan(tree.Path(""), Data(), {"--load", "r.dat", "--trash-copies"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(FileLines(run),
              (std::set<std::string>{
                  "failed: " + three[1] + ": no other file of its set still holds the same bytes",
                  "trashed: " + three[2], "failed: " + two[1] + ": it no longer exists"}));
    EXPECT_EQ(Totals(run), "1 file(s) moved to the Recycle Bin. Unable to delete 2 file(s).");
    EXPECT_EQ(ReadAll(three[1]), "SAME bytes");
    EXPECT_EQ(ReadAll(three[0]), "same bytes");
}

// A file that is a copy in one set and the first file of another is never removed.
TEST_F(ScanActions, TheFirstFileOfASetIsKeptEvenWhereItIsACopy) {
    const auto row = [&](const char* group, const char* name) {
        return storage::ResultsFileRow{group, W(name), "*.TXT", 10, "01/01/2020 12:00:00 PM"};
    };
    storage::WriteResultsFile(tree.Path("r.dat"),
                              {row("000001", "a/x.txt"), row("000001", "b/x.txt"),
                               row("000002", "b/x.txt"), row("000002", "c/x.txt")});
    const ScanRun run = Scan(tree.Path(""), Data(), {"--load", "r.dat", "--trash-copies"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, (Lines{"refused: " + W("b/x.txt") + ": it is the first file of another set",
                              "trashed: " + W("c/x.txt"), "1 file(s) moved to the Recycle Bin."}));
    EXPECT_EQ(ReadAll(W("b/x.txt")), "same bytes");
}

TEST_F(ScanActions, NoTrashFailsAndKeepsEveryFile) {
    tree.Add({"data", Content("a file where the trash would go")});
    const ScanRun run = ScanWork({"--trash-copies"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Totals(run), "0 file(s) moved to the Recycle Bin. Unable to delete 3 file(s).");
    const std::string reason =
        ": cannot create the trash \"" + Data() + "/Trash\": Not a directory";
    EXPECT_EQ(FileLines(run).size(), 3u);
    for (const std::string& line : FileLines(run)) {
        EXPECT_EQ(line.rfind("failed: ", 0), 0u) << line;
        EXPECT_EQ(line.substr(line.size() - reason.size()), reason) << line;
    }
    for (const char* name : {"a/x.txt", "b/x.txt", "c/x.txt", "a/y.txt", "b/y.txt"}) {
        EXPECT_NE(ReadAll(W(name)), "<missing>") << name;
    }
}

TEST_F(ScanActions, CommandLinesThatCannotWork) {
    struct Case {
        Lines args;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {{"--trash-copies", "--move-copies-to", "d", "."},
         2,
         "--trash-copies and --move-copies-to exclude each other"},
        {{"--preserve-paths", "."}, 2, "--preserve-paths needs --move-copies-to"},
        {{"--dry-run", "."}, 2, "--dry-run needs --trash-copies or --move-copies-to"},
        {{"--load", "r.dat"}, 2, "--load needs --trash-copies or --move-copies-to"},
        {{"--load", "r.dat", "--trash-copies", "."},
         2,
         "--load takes the sets from the file: no folder to search may be given"},
        {{"--move-copies-to", "missing", "."},
         1,
         "cannot move to \"MISSING\": No such file or directory"},
    };
    for (const Case& c : cases) {
        const ScanRun run = Scan(tree.Path("work"), Data(), c.args);
        std::string message = c.message;
        const std::size_t at = message.find("MISSING");
        if (at != std::string::npos) {
            message.replace(at, 7, tree.Path("work/missing"));
        }
        EXPECT_EQ(run.status, c.status) << c.message;
        EXPECT_EQ(run.err, "quillmere-scan: " + message + "\n");
        EXPECT_TRUE(run.out.empty());
    }
    EXPECT_EQ(ReadAll(W("b/x.txt")), "same bytes");
}

}  // namespace
}  // namespace qm::cli
