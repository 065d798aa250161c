#include "results/MarkedFileActions.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileOperations.h"
#include "platform/PathRules.h"
#include "results/Marking.h"
#include "results/PopulateResultsTree.h"
#include "results/ResultsTestSupport.h"
#include "support/FileOperationSupport.h"
#include "support/ScriptedPrompter.h"
#include "support/TempTree.h"

namespace qm::results {
namespace {

using test::Content;
using test::Folder;
using test::NamesIn;
using test::ReadAll;
using test::TempTree;
using testing::FakeLocale;
using testing::RecordingHost;
using Names = std::vector<std::string>;
using Texts = std::vector<std::string>;

const engine::FieldNumbers kFileFields{1, 5, 4, 3, 2};

#ifdef _WIN32
// The Win32 operations cannot send a file to the Recycle Bin (they say so and leave it). For the
// walk itself, this one stands in for the bin: a folder "Trash/files" below the data folder,
// reached through the real checked move, so every check the walk relies on is the system's own.
class FolderTrashOperations final : public platform::FileOperations {
public:
    FolderTrashOperations(std::unique_ptr<platform::FileOperations> real, std::string dataHome)
        : m_real(std::move(real)), m_files(std::move(dataHome) + "\\Trash\\files") {}

    platform::FileFacts Examine(const std::string& path) override { return m_real->Examine(path); }
    platform::ContentComparison CompareContent(const std::string& path,
                                               const std::string& other) override {
        return m_real->CompareContent(path, other);
    }
    platform::FileOperationResult MoveToTrash(const std::string& path,
                                              const platform::FileIdentity& expected) override {
        const platform::FileOperationResult made = m_real->CreateFolders(m_files);
        return made.ok ? m_real->MoveToFolder(path, m_files, expected) : made;
    }
    platform::FileOperationResult MoveToFolder(const std::string& path, const std::string& folder,
                                               const platform::FileIdentity& expected) override {
        return m_real->MoveToFolder(path, folder, expected);
    }
    platform::FileOperationResult CreateFolders(const std::string& folder) override {
        return m_real->CreateFolders(folder);
    }

private:
    std::unique_ptr<platform::FileOperations> m_real;
    std::string m_files;
};
#endif

class MarkedFiles : public ::testing::Test {
public:
    MarkedFiles()
        : files({{"a/x.txt", Content("same bytes")},
                 {"b/x.txt", Content("same bytes")},
                 {"c/x.txt", Content("same bytes")},
                 {"a/y.txt", Content("other bytes")},
                 {"b/y.txt", Content("other bytes")},
                 {"dest/", Folder()}}) {
        platform::FileOperationsOptions options;
        options.dataHome = files.Path("data");
        options.hook = &hook;
        ops = platform::MakeFileOperations(options);
#ifdef _WIN32
        ops = std::make_unique<FolderTrashOperations>(std::move(ops), options.dataHome);
#endif
    }

    std::string P(const std::string& relative) const {
        return files.Path(relative);
    }

    // The sets as a search by method finds them now: paths relative to the tree.
    ResultTree Listed(const std::vector<Names>& sets,
                      engine::Method method = engine::Method::ContentsOnly) {
        engine::DuplicateList list;
        for (std::size_t s = 0; s < sets.size(); ++s) {
            for (const std::string& relative : sets[s]) {
                const platform::FileIdentity identity = test::IdentityNow(P(relative));
                engine::DuplicateEntry entry;
                entry.group = static_cast<std::int64_t>(s + 1);
                entry.extensionKey = engine::ExtensionKey(relative);
                entry.size = identity.size;
                entry.path = P(relative);
                entry.lastWrite = identity.lastWrite;
                entry.id = identity.id;
                list.push_back(entry);
            }
        }
        ResultTree tree;
        EXPECT_TRUE(PopulateResultsTree(tree, list, method, host, {}, locale));
        return tree;
    }

    // The same sets read from a results file: no identities.
    ResultTree Loaded(const std::vector<Names>& sets) {
        std::vector<std::string> lines;
        for (std::size_t s = 0; s < sets.size(); ++s) {
            for (const std::string& relative : sets[s]) {
                lines.push_back(engine::GroupText(static_cast<std::int64_t>(s + 1)) + "|" +
                                P(relative) + "|*.TXT|" +
                                engine::SizeText(test::IdentityNow(P(relative)).size) +
                                "|01/01/2020 12:00:00 PM");
            }
        }
        ResultTree tree;
        EXPECT_TRUE(PopulateResultsTree(tree, lines, kFileFields, host, {}, locale));
        return tree;
    }

    // Checks the file rows by marks ("+" checked, one character per file row in depth-first
    // order) and refreshes their statuses, as the window's marking does.
    void Mark(ResultTree& tree, const std::string& marks) {
        std::size_t k = 0;
        for (std::size_t i = 0; i < tree.NodeCount(); ++i) {
            auto& node = tree.At(static_cast<ResultTree::NodeId>(i));
            if (node.level >= 1) {
                node.checked = k < marks.size() && marks[k] == '+';
                ++k;
            }
        }
        UpdateMarkedStatistics(tree, host, locale);
        host.statusTexts.clear();
        host.literals.clear();
        host.progress.clear();
    }

    static std::string Statuses(const ResultTree& tree) {
        std::string text;
        for (const auto& node : tree.Nodes()) {
            if (node.level >= 1) {
                text += "NRFBM"[static_cast<int>(node.entry.Status)];
            }
        }
        return text;
    }

    // Runs the delete walk, keeping each row's reason ("" when it went).
    std::vector<std::string> Delete(ResultTree& tree, MarkedActionOptions options = {}) {
        std::vector<std::string> reasons;
        options.onRow = [&](const RowOutcome& outcome) { reasons.push_back(outcome.reason); };
        last = DeleteMarkedFiles(tree, *ops, host, options);
        return reasons;
    }

    Names Trashed() const {
        return NamesIn(files.Path("data/Trash/files"));
    }

    TempTree files;
    FakeLocale locale;
    RecordingHost host;
    test::ScriptedPrompter prompter;
    test::StepHook hook;
    std::unique_ptr<platform::FileOperations> ops;
    MarkedActionCounts last;
};

TEST_F(MarkedFiles, DeleteGivesEachRowItsOutcomeAndReportsTheTotals) {
    ResultTree tree = Listed({{"a/x.txt", "b/x.txt", "c/x.txt"}, {"a/y.txt", "b/y.txt"}});
    Mark(tree, "-++-+");
    test::Rewrite(P("c/x.txt"), "changed!!!");
    std::remove(P("b/y.txt").c_str());

    const std::vector<std::string> reasons = Delete(tree);
    EXPECT_EQ(Statuses(tree), "NRFNF");
    EXPECT_EQ(reasons, (Texts{"", "it was changed after the search", "it no longer exists"}));
    EXPECT_EQ(Trashed(), Names{"x.txt"});
    EXPECT_EQ(ReadAll(P("c/x.txt")), "changed!!!");
    EXPECT_EQ(ReadAll(P("a/x.txt")), "same bytes");
    EXPECT_EQ(host.statusTexts, (Texts{"<BLINK>Deleting files</BLINK>, please wait...",
                                       "1 file(s) moved to the Recycle Bin. Unable to delete 2 "
                                       "file(s)."}));
    // Progress over the three marked rows, hidden at the end; a yield after every node.
    EXPECT_EQ(host.progress, (std::vector<int>{0, 33, 66, 100, 0}));
    EXPECT_FALSE(host.progressVisible);
    EXPECT_GE(host.yields, static_cast<int>(tree.NodeCount()));
    // Rows stay checked, so that a failed one can be tried again after the next marking.
    EXPECT_TRUE(tree.At(3).checked);
}

TEST_F(MarkedFiles, AFileReplacedByALinkIsNotTouched) {
    QM_SKIP_ON_WINDOWS("symbolic links");
    ResultTree tree = Listed({{"a/x.txt", "b/x.txt"}});
    Mark(tree, "-+");
    std::remove(P("b/x.txt").c_str());
    files.Add({"b/x.txt", test::SymlinkTo("../a/x.txt")});
    EXPECT_EQ(Delete(tree), Texts{"it is a symbolic link now"});
    EXPECT_EQ(Statuses(tree), "NF");
    EXPECT_TRUE(std::filesystem::is_symlink(P("b/x.txt")));
    EXPECT_TRUE(Trashed().empty());
}

// A copy found by content goes only while a copy that stays is still there, unchanged.
TEST_F(MarkedFiles, ASetWhoseSurvivingCopyChangedOrVanishedKeepsItsCopies) {
    struct Case {
        const char* what;
        std::function<void(MarkedFiles&)> change;
        engine::Method method;
        const char* statuses;
    };
    const Case cases[] = {
        {"unchanged", [](MarkedFiles&) {}, engine::Method::ContentsOnly, "NRR"},
        // b finds no copy and stays; that makes b the copy that lets c go.
        {"survivor changed", [](MarkedFiles& f) { test::Rewrite(f.P("a/x.txt"), "same bytez"); },
         engine::Method::ContentsOnly, "NFR"},
        {"survivor vanished", [](MarkedFiles& f) { std::remove(f.P("a/x.txt").c_str()); },
         engine::Method::ContentsOnly, "NFR"},
        // A set of equal sizes is no set of copies: the others need not stay.
        {"size set, other changed",
         [](MarkedFiles& f) { test::Rewrite(f.P("a/x.txt"), "same bytez"); },
         engine::Method::SizeOnly, "NRR"},
    };
    for (const Case& c : cases) {
        for (const char* name : {"a/x.txt", "b/x.txt", "c/x.txt"}) {
            test::Rewrite(P(name), "same bytes");
        }
        ResultTree tree = Listed({{"a/x.txt", "b/x.txt", "c/x.txt"}}, c.method);
        Mark(tree, "-++");
        c.change(*this);
        const std::vector<std::string> reasons = Delete(tree);
        EXPECT_EQ(Statuses(tree), c.statuses) << c.what;
        if (std::string(c.statuses) == "NFR") {
            EXPECT_EQ(reasons[0], "no other copy in its set is still there unchanged");
            EXPECT_EQ(ReadAll(P("b/x.txt")), "same bytes") << c.what;
            EXPECT_EQ(Trashed(), Names{"x.txt"}) << c.what;
        }
        std::filesystem::remove_all(P("data"));
    }
}

// A blocked or failed row keeps its file: it counts as the copy that stays.
TEST_F(MarkedFiles, BlockedAndFailedRowsAreCopiesThatStay) {
    ResultTree tree = Listed({{"a/x.txt", "b/x.txt", "c/x.txt"}});
    Mark(tree, "-++");
    tree.At(1).entry.Status = EntryStatus::Blocked;
    std::remove(P("b/x.txt").c_str());
    Delete(tree);
    // b failed (gone) but still "stays"; c goes because a (blocked) is still there.
    EXPECT_EQ(Statuses(tree), "BFR");
    EXPECT_EQ(ReadAll(P("a/x.txt")), "same bytes");
}

TEST_F(MarkedFiles, RowsFromAResultsFileAreComparedWithASurvivingCopy) {
    struct Case {
        const char* what;
        std::function<void(MarkedFiles&)> change;
        const char* statuses;
        const char* reason;
    };
    const Case cases[] = {
        {"same bytes", [](MarkedFiles&) {}, "NR", ""},
        {"same size, other bytes",
         [](MarkedFiles& f) { test::Rewrite(f.P("b/x.txt"), "SAME bytes"); }, "NF",
         "no other file of its set still holds the same bytes"},
        {"other size", [](MarkedFiles& f) { test::Rewrite(f.P("b/x.txt"), "longer bytes"); }, "NF",
         "its size is no longer the listed size"},
        {"survivor vanished", [](MarkedFiles& f) { std::remove(f.P("a/x.txt").c_str()); }, "NF",
         "no other file of its set still holds the same bytes"},
#ifndef _WIN32
        // The folder of the marked copy now leads, through a link, to the surviving copy
        // itself: the same file under two paths is no second copy.
        {"same file through a link",
         [](MarkedFiles& f) {
             std::filesystem::remove_all(f.P("b"));
             ASSERT_EQ(::symlink(f.P("a").c_str(), f.P("b").c_str()), 0);
         },
         "NF", "no other file of its set still holds the same bytes"},
#endif
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(P("b"));
        files.Add({{"a/x.txt", Content("same bytes")}, {"b/x.txt", Content("same bytes")}});
        ResultTree tree = Loaded({{"a/x.txt", "b/x.txt"}});
        ASSERT_FALSE(tree.At(1).entry.Identity);
        Mark(tree, "-+");
        c.change(*this);
        EXPECT_EQ(Delete(tree), Texts{c.reason}) << c.what;
        EXPECT_EQ(Statuses(tree), c.statuses) << c.what;
        if (std::string(c.statuses) == "NF") {
            EXPECT_NE(ReadAll(P("b/x.txt")), "<missing>") << c.what;
            EXPECT_TRUE(Trashed().empty()) << c.what;
        }
        std::filesystem::remove_all(P("data"));
    }
}

// The same file in two sets, both entries marked: the first goes, the second finds it gone.
TEST_F(MarkedFiles, AFileStandingTwiceInTheTree) {
    for (const bool loaded : {false, true}) {
        files.Add({{"b/x.txt", Content("same bytes")}});
        const std::vector<Names> sets = {{"a/x.txt", "b/x.txt"}, {"c/x.txt", "b/x.txt"}};
        ResultTree tree = loaded ? Loaded(sets) : Listed(sets);
        Mark(tree, "-+-+");
        EXPECT_EQ(Delete(tree), (Texts{"", "it no longer exists"})) << loaded;
        EXPECT_EQ(Statuses(tree), "NRNF") << loaded;
        EXPECT_EQ(host.LastStatus(),
                  "1 file(s) moved to the Recycle Bin. Unable to delete 1 file(s).");
        std::filesystem::remove_all(P("data"));
    }
}

TEST_F(MarkedFiles, NoTrashLeavesTheFileInPlace) {
    files.Add({"data", Content("a file where the trash would go")});
    ResultTree tree = Listed({{"a/x.txt", "b/x.txt"}});
    Mark(tree, "-+");
#ifdef _WIN32
    // The system's own operations, which cannot use the Recycle Bin.
    ops = platform::MakeFileOperations({});
    EXPECT_EQ(Delete(tree),
              Texts{"this build cannot use the Recycle Bin; the file was left where it was"});
#else
    EXPECT_EQ(Delete(tree),
              Texts{"cannot create the trash \"" + P("data/Trash") + "\": Not a directory"});
#endif
    EXPECT_EQ(Statuses(tree), "NF");
    EXPECT_EQ(ReadAll(P("b/x.txt")), "same bytes");
    EXPECT_EQ(host.LastStatus(), "0 file(s) moved to the Recycle Bin. Unable to delete 1 file(s).");
}

TEST_F(MarkedFiles, DeleteCommandAsksAndSecondQuestionGuardsSetsLosingEveryCopy) {
    struct Case {
        const char* marks;
        std::vector<bool> answers;
        int questions;
        const char* statuses;
    };
    const Case cases[] = {
        {"-++-+", {false}, 1, "NMMNM"},
        {"-++-+", {true}, 1, "NRRNR"},
        {"+++-+", {true, false}, 2, "MMMNM"},
        {"+++-+", {true, true}, 2, "RRRNR"},
    };
    for (const Case& c : cases) {
        for (const char* name : {"a/x.txt", "b/x.txt", "c/x.txt"}) {
            files.Add({name, Content("same bytes")});
        }
        files.Add({"b/y.txt", Content("other bytes")});
        ResultTree tree = Listed({{"a/x.txt", "b/x.txt", "c/x.txt"}, {"a/y.txt", "b/y.txt"}});
        Mark(tree, c.marks);
        prompter.Reset();
        for (const bool answer : c.answers) {
            prompter.Answer(answer);
        }
        const bool ran = DeleteMarkedCommand(tree, prompter, *ops, host);
        EXPECT_EQ(ran,
                  c.answers.back() && c.answers.size() == static_cast<std::size_t>(c.questions))
            << c.marks;
        ASSERT_EQ(prompter.questions.size(), static_cast<std::size_t>(c.questions)) << c.marks;
        EXPECT_EQ(prompter.questions[0], "Are you sure you want to delete all the marked files?");
        if (c.questions == 2) {
            EXPECT_EQ(prompter.questions[1],
                      "Every file of 1 duplicate set(s) is marked, so no copy of those files would "
                      "be kept. Are you sure you want to delete every copy?");
        }
        EXPECT_EQ(Statuses(tree), c.statuses) << c.marks;
        // A refusal shows nothing.
        EXPECT_EQ(host.statusTexts.empty(), !ran) << c.marks;
        host.statusTexts.clear();
        std::filesystem::remove_all(P("data"));
    }
}

TEST_F(MarkedFiles, SetsLosingEveryCopy) {
    ResultTree tree = Listed({{"a/x.txt", "b/x.txt", "c/x.txt"}, {"a/y.txt", "b/y.txt"}});
    struct Case {
        const char* marks;
        std::vector<std::pair<int, EntryStatus>> statuses;  // set after marking
        int sets;
    };
    const Case cases[] = {
        {"-++-+", {}, 0},
        {"+++-+", {}, 1},
        {"++++++", {}, 2},
        {"-++-+", {{0, EntryStatus::Removed}}, 1},  // removed before: nothing stays
        {"+++-+", {{1, EntryStatus::Blocked}}, 0},
        {"+++-+", {{1, EntryStatus::Failed}}, 0},
        {"-----", {}, 0},
    };
    for (const Case& c : cases) {
        for (std::size_t i = 1; i < tree.NodeCount(); ++i) {
            tree.At(static_cast<ResultTree::NodeId>(i)).entry.Status = EntryStatus::None;
        }
        Mark(tree, c.marks);
        for (const auto& [node, status] : c.statuses) {
            tree.At(static_cast<ResultTree::NodeId>(node + 1)).entry.Status = status;
        }
        EXPECT_EQ(CountSetsLosingEveryCopy(tree), c.sets) << c.marks;
    }
}

TEST_F(MarkedFiles, NothingMarkedReportsNothingMoved) {
    ResultTree tree = Listed({{"a/x.txt", "b/x.txt"}});
    Mark(tree, "-+");
    tree.At(2).entry.Status = EntryStatus::Failed;  // a failed row, before the next marking
    prompter.Answer(true);
    EXPECT_TRUE(DeleteMarkedCommand(tree, prompter, *ops, host));
    EXPECT_EQ(host.LastStatus(), "0 file(s) moved to the Recycle Bin.");
}

TEST_F(MarkedFiles, MoveFlatKeepsBothFilesOfOneName) {
    ResultTree tree = Listed({{"a/x.txt", "b/x.txt", "c/x.txt"}});
    Mark(tree, "-++");
    prompter.Answer(true);
    const std::string dest = P("dest");
    ASSERT_TRUE(MoveMarkedCommand(tree, dest + test::NativePath("/"), false, prompter, *ops, host));
    EXPECT_EQ(prompter.questions,
              Texts{"Are you sure you want to move all the marked files to " + dest + "?"});
    EXPECT_EQ(Statuses(tree), "NRR");
    EXPECT_EQ(NamesIn(dest), (Names{"x (2).txt", "x.txt"}));
    // The tree keeps the old name.
    EXPECT_EQ(tree.At(3).entry.FullPath(), P("c/x.txt"));
    EXPECT_EQ(host.statusTexts,
              (Texts{"<BLINK>Moving files</BLINK> to " + dest + ", please wait...",
                     "2 file(s) moved to \"" + dest + "\"."}));
    // The destination is shown as literal text, never read as markup.
    EXPECT_EQ(host.literals, (Texts{dest, dest}));
}

TEST_F(MarkedFiles, MovePreservingPathsRecreatesTheFoldersBelowTheDestination) {
    files.Add({{"a/deep/er/z.txt", Content("z")}, {"b/z.txt", Content("z")}});
    ResultTree tree = Listed({{"b/z.txt", "a/deep/er/z.txt", "a/x.txt"}}, engine::Method::SizeOnly);
    Mark(tree, "-++");
    test::Rewrite(P("a/x.txt"), "changed");
    const std::string dest = P("dest");
    MoveMarkedFiles(tree, dest, true, *ops, host);
    EXPECT_EQ(Statuses(tree), "NRF");
    // The whole folder path below the root, the root ("/", "C:\\") dropped and nothing more.
    const std::string target = dest + P("a/deep/er/").substr(platform::RootLength(P("")) - 1);
    EXPECT_EQ(ReadAll(target + "z.txt"), "z");
    EXPECT_EQ(ReadAll(P("a/x.txt")), "changed");
    EXPECT_EQ(host.LastStatus(), "1 file(s) moved to \"" + dest + "\". Unable to move 1 file(s).");
}

TEST_F(MarkedFiles, MoveFailsWhereTheTargetFolderCannotBeMade) {
    // A file where the first folder of the preserved path would be made.
    const std::string root = P("");
    const std::size_t rootLength = platform::RootLength(root);
    const std::size_t firstEnd = root.find(platform::kPathDelim, rootLength);
    const std::string firstFolder = root.substr(rootLength, firstEnd - rootLength);
    files.Add({"dest/" + firstFolder, Content("in the way")});
    ResultTree tree = Listed({{"a/x.txt", "b/x.txt"}});
    Mark(tree, "-+");
    std::vector<std::string> reasons;
    MarkedActionOptions options;
    options.onRow = [&](const RowOutcome& outcome) { reasons.push_back(outcome.reason); };
    MoveMarkedFiles(tree, P("dest"), true, *ops, host, options);
    EXPECT_EQ(Statuses(tree), "NF");
#ifdef _WIN32
    // The first folder that cannot be made, the one below the file in the way; the reason is the
    // system's text.
    const std::size_t secondEnd = root.find(platform::kPathDelim, firstEnd + 1);
    const std::string folder = P("dest") + root.substr(rootLength - 1, secondEnd - rootLength + 1);
    ASSERT_EQ(reasons.size(), 1u);
    EXPECT_EQ(reasons[0].rfind("cannot create the folder \"" + folder + "\": ", 0), 0u)
        << reasons[0];
#else
    // The whole folder below the file in the way, which the system refuses at once.
    const std::string folder = P("dest") + P("").substr(0, P("").size() - 1);
    EXPECT_EQ(reasons, Texts{"cannot create the folder \"" + folder + "\": Not a directory"});
#endif
    EXPECT_EQ(ReadAll(P("b/x.txt")), "same bytes");
}

TEST(PreservedTargetFolder, DropsTheRootAndStaysBelowTheDestination) {
    struct Case {
        const char* folder;
        const char* destination;
        char delim;
        std::optional<std::string> target;
    };
    const Case cases[] = {
        {"/home/ann/", "/mnt/dup", '/', "/mnt/dup/home/ann/"},
        {"/home/ann/", "/", '/', "/home/ann/"},
        {"/", "/mnt/dup", '/', "/mnt/dup/"},
        {"//srv//x/", "/d", '/', "/d/srv/x/"},
        {"/a/../../etc/", "/d", '/', std::nullopt},
        {"/a/./b/", "/d", '/', std::nullopt},
        {"C:\\Downloads\\My Website\\", "D:\\Duplicate Files", '\\',
         "D:\\Duplicate Files\\Downloads\\My Website\\"},
        {"C:\\Downloads\\", "D:\\", '\\', "D:\\Downloads\\"},
        {"\\\\server\\share\\docs\\", "E:\\x", '\\', "E:\\x\\docs\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PreservedTargetFolder(c.folder, c.destination, c.delim), c.target) << c.folder;
    }
    EXPECT_EQ(MoveDestination("D:\\Dup\\", '\\'), "D:\\Dup");
    EXPECT_EQ(MoveDestination("D:\\", '\\'), "D:\\");
    EXPECT_EQ(MoveDestination("/mnt/dup/", '/'), "/mnt/dup");
    EXPECT_EQ(MoveDestination("/", '/'), "/");
}

TEST_F(MarkedFiles, DryRunChecksEverythingAndChangesNothing) {
    ResultTree tree = Listed({{"a/x.txt", "b/x.txt", "c/x.txt"}});
    Mark(tree, "-++");
    test::Rewrite(P("c/x.txt"), "changed!!!");
    MarkedActionOptions options;
    options.dryRun = true;
    EXPECT_EQ(Delete(tree, options), (Texts{"", "it was changed after the search"}));
    EXPECT_EQ(Statuses(tree), "NMM");
    EXPECT_EQ(ReadAll(P("b/x.txt")), "same bytes");
    EXPECT_TRUE(Trashed().empty());
    EXPECT_EQ(host.LastStatus(),
              "Dry run: 1 file(s) would be moved to the Recycle Bin, 1 file(s) "
              "would fail. Nothing was changed.");
}

TEST_F(MarkedFiles, AStopLeavesTheRestMarked) {
    ResultTree tree = Listed({{"a/x.txt", "b/x.txt", "c/x.txt"}});
    Mark(tree, "-++");
    int asked = 0;
    MarkedActionOptions options;
    options.stopRequested = [&] { return ++asked > 1; };
    Delete(tree, options);
    EXPECT_EQ(Statuses(tree), "NRM");
    EXPECT_EQ(last.done, 1);
    EXPECT_EQ(last.failed, 0);
}

}  // namespace
}  // namespace qm::results
