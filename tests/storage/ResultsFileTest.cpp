#include "storage/ResultsFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#undef Yield  // a macro of old Windows, which would hide the host's Yield
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundation/Error.h"
#include "platform/Locale.h"
#include "results/PopulateResultsTree.h"
#include "results/ResultTree.h"
#include "results/ResultsTestSupport.h"
#include "support/TempTree.h"

#ifdef _WIN32
#include "platform/Win32Tools.h"
#endif

namespace qm::storage {
namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(ResultsFileTest, LineLayoutIsGroupPathKeySizeDate) {
    const ResultsFileRow row{"000001", "C:\\Photos\\a.jpg", "*.JPG", 12345,
                             "01/05/2006 03:04:05 PM"};
    EXPECT_EQ(ResultsLineText(row),
              "000001|C:\\Photos\\a.jpg|*.JPG|0000012345|01/05/2006 03:04:05 PM");
    EXPECT_EQ(ResultsFileText({row, row}),
              "000001|C:\\Photos\\a.jpg|*.JPG|0000012345|01/05/2006 03:04:05 PM\r\n"
              "000001|C:\\Photos\\a.jpg|*.JPG|0000012345|01/05/2006 03:04:05 PM\r\n");
    EXPECT_EQ(ParseResultsLine(ResultsLineText(row)), row);
}

TEST(ResultsFileTest, SizesKeepSignAndSixtyFourBits) {
    for (const std::int64_t size : {std::int64_t{0}, std::int64_t{-123}, std::int64_t{2147483648},
                                    std::int64_t{5'000'000'000}, std::int64_t{99'999'999'999}}) {
        const ResultsFileRow row{"000002", "/a", "(None)", size, "d"};
        const std::string line = ResultsLineText(row);
        EXPECT_EQ(ParseResultsLine(line).size, size) << line;
    }
    EXPECT_EQ(ResultsLineText({"1", "/a", "(None)", -123, "d"}), "1|/a|(None)|-0000000123|d");
}

// Table of field texts: those a Windows path may hold stay unchanged; the rest are escaped and
// come back byte for byte.
TEST(ResultsFileTest, EscapingRoundTripsEveryByteAndLeavesWindowsPathsAlone) {
    struct Case {
        std::string text;
        std::string escaped;  // empty: must stay unchanged
    };
    const Case cases[] = {
        {"C:\\Program Files (x86)\\Ärger & Co\\naïve – 日本.txt", ""},
        {"\\\\server\\share\\a;b,c=d+e[f]{g}%h#i!j'k~l`m$n@o^p.txt", ""},
        {"\\\\?\\C:\\long path\\x.bin", ""},
        {"/home/u/a|b.txt", "/home/u/a<7C>b.txt"},
        {"/home/u/line\r\nbreak", "/home/u/line<0D><0A>break"},
        {"/tab\tbell\a", "/tab<09>bell<07>"},
        {"/x/<3C>already", "/x/<3C>3C>already"},
        {"/lat1-\xE9t\xE9.txt", "/lat1-<E9>t<E9>.txt"},
        {"/overlong-\xC0\xAF", "/overlong-<C0><AF>"},
        {"/surrogate-\xED\xA0\x80", "/surrogate-<ED><A0><80>"},
        {"/cut-\xE6\x97", "/cut-<E6><97>"},
        {"/too-big-\xF4\x90\x80\x80", "/too-big-<F4><90><80><80>"},
        {"/emoji-\xF0\x9F\x98\x80", ""},
        {"/del\x7F", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        const std::string escaped = EscapeField(c.text);
        EXPECT_EQ(escaped, c.escaped.empty() ? c.text : c.escaped) << c.text;
        EXPECT_EQ(escaped.find_first_of("|\r\n"), std::string::npos) << c.text;
        EXPECT_EQ(UnescapeField(escaped), c.text) << c.text;
    }
    // Every single byte value, alone and between letters.
    for (int b = 1; b < 256; ++b) {
        const std::string text = std::string("a") + static_cast<char>(b) + "z";
        EXPECT_EQ(UnescapeField(EscapeField(text)), text) << b;
    }
}

TEST(ResultsFileTest, UnescapeLeavesStrayAngleBracketsAsTyped) {
    EXPECT_EQ(UnescapeField("a<b"), "a<b");
    EXPECT_EQ(UnescapeField("<7G>"), "<7G>");
    EXPECT_EQ(UnescapeField("<7C"), "<7C");
    EXPECT_EQ(UnescapeField("<7c>"), "|");
}

TEST(ResultsFileTest, FieldsBeyondTheLineReadEmpty) {
    const ResultsFileRow row = ParseResultsLine("000003|/only/path");
    EXPECT_EQ(row.groupText, "000003");
    EXPECT_EQ(row.path, "/only/path");
    EXPECT_EQ(row.key, "");
    EXPECT_EQ(row.size, 0);
    EXPECT_EQ(row.modified, "");
    EXPECT_EQ(ParseResultsLine("").groupText, "");
    EXPECT_EQ(ParseResultsLine("1|p|k|abc|d").size, 0);
}

TEST(ResultsFileTest, LinesEndAtCrLfLoneCrOrLoneLf) {
    EXPECT_EQ(SplitResultsLines("a\r\nb\rc\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitResultsLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitResultsLines("a\n\rb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(SplitResultsLines(""), std::vector<std::string>{});
    EXPECT_EQ(SplitResultsLines("x|y|z\r\nx|y|z"), (std::vector<std::string>{"x|y|z", "x|y|z"}));
}

TEST(ResultsFileTest, WrittenFileReadsBackRowForRow) {
    test::TempTree tree;
    const std::vector<ResultsFileRow> rows = {
        {"000001", "/d/a.jpg", "*.JPG", 10, "01/05/2006 03:04:04 PM"},
        {"000001", "/d/sub|dir/a\r\n.jpg", "*.JPG", 10, "01/05/2006 03:04:04 PM"},
        {"000002", "/d/\xFF\xFEname", "(None)", 0, "12/31/2100 11:59:58 PM"},
        {"000002", "/d/\xFF\xFEname", "(None)", 0, "12/31/2100 11:59:58 PM"},  // kept twice
        {"000003", "/d/huge.iso", "*.ISO", 6'000'000'000, "02/29/2024 12:00:00 AM"},
    };
    const std::string file = tree.Path("results.dat");
    WriteResultsFile(file, rows);
    EXPECT_EQ(ReadResultsFile(file), rows);

    const std::string bytes = ReadBytes(file);
    EXPECT_EQ(bytes.rfind("000001|/d/a.jpg|*.JPG|0000000010|01/05/2006 03:04:04 PM\r\n000001|", 0),
              0u);
    EXPECT_NE(bytes.find("000001|/d/sub<7C>dir/a<0D><0A>.jpg|*.JPG|0000000010|"),
              std::string::npos);
    EXPECT_NE(bytes.find("|*.ISO|6000000000|"), std::string::npos);
    // Exactly one CR LF per row and no other line breaks.
    std::size_t crlf = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
        crlf += bytes.compare(i, 2, "\r\n") == 0;
    }
    EXPECT_EQ(crlf, rows.size());
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), static_cast<long>(rows.size()));
}

TEST(ResultsFileTest, ReadingKeepsForeignAndBlankLinesForTheFiller) {
    test::TempTree tree{{"hand.dat", test::Content("junk\r\n\r\n000004|/x|*.X|0000000001|d\n")}};
    const std::vector<ResultsFileRow> rows = ReadResultsFile(tree.Path("hand.dat"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].groupText, "junk");
    EXPECT_EQ(rows[1].groupText, "");
    EXPECT_EQ(rows[2].path, "/x");
    EXPECT_EQ(rows[2].size, 1);
}

TEST(ResultsFileTest, FailedWritesLeaveTheTargetAsItWas) {
    test::TempTree tree{{"old.dat", test::Content("old content")}, {"folder/", test::Folder()}};
    const std::vector<ResultsFileRow> rows = {{"000001", "/a", "(None)", 1, "d"}};

    // The target is a folder; the parent is missing; the parent is a file.
    for (const std::string& target :
         {tree.Path("folder"), tree.Path("missing/out.dat"), tree.Path("old.dat/out.dat")}) {
        EXPECT_THROW(WriteResultsFile(target, rows), FileError) << target;
    }
    EXPECT_TRUE(std::filesystem::is_directory(tree.Path("folder")));
    EXPECT_FALSE(std::filesystem::exists(tree.Path("missing")));
    EXPECT_EQ(ReadBytes(tree.Path("old.dat")), "old content");
    // No temporary file was left behind.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(tree.Root())) {
        ++entries;
    }
    EXPECT_EQ(entries, 2);

    try {
        WriteResultsFile(tree.Path("missing/out.dat"), rows);
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find(test::NativePath("missing/out.dat")),
                  std::string::npos);
#ifndef _WIN32
        EXPECT_NE(std::string(error.what()).find("No such file or directory"), std::string::npos);
#endif
    }
    EXPECT_THROW(ReadResultsFile(tree.Path("none.dat")), FileError);
    EXPECT_THROW(ReadResultsFile(tree.Path("folder")), FileError);
}

TEST(ResultsFileTest, ReplacingAFileKeepsItsPermissions) {
    QM_SKIP_ON_WINDOWS("permission bits");
    test::TempTree tree{{"keep.dat", test::Content("x").WithMode(0640)}};
    WriteResultsFile(tree.Path("keep.dat"), {{"000001", "/a", "(None)", 1, "d"}});
    struct stat info {};
    ASSERT_EQ(::stat(tree.Path("keep.dat").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(ReadResultsFile(tree.Path("keep.dat")).size(), 1u);
}

TEST(ResultsFileTest, RowsOfADuplicateListAreTheTreesFileRows) {
    const auto locale = platform::CreateLocale("en_US");
    // a.txt, b.doc and c.txt of equal content: the pairs are filed under *.DOC and *.TXT in one
    // group, so b.doc comes twice; the tree shows it once in that set. A later set may hold it
    // again.
    const auto entry = [](std::int64_t group, std::string key, std::string path) {
        engine::DuplicateEntry e;
        e.group = group;
        e.extensionKey = std::move(key);
        e.size = 1000;
        e.path = std::move(path);
        e.lastWrite = platform::ToFileTime({2006, 1, 5, 15, 4, 7});
        return e;
    };
    const engine::DuplicateList list = {
        entry(1, "*.DOC", "/d/a.txt"), entry(1, "*.DOC", "/d/b.doc"), entry(1, "*.TXT", "/d/b.doc"),
        entry(1, "*.TXT", "/d/c.txt"), entry(2, "*.TXT", "/d/b.doc"), entry(2, "*.TXT", "/d/e.txt"),
    };
    std::vector<std::string> lines;
    for (const ResultsFileRow& row : ResultsRowsOf(list, *locale)) {
        lines.push_back(ResultsLineText(row));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "000001|/d/a.txt|*.DOC|0000001000|01/05/2006 03:04:06 PM",
                         "000001|/d/b.doc|*.DOC|0000001000|01/05/2006 03:04:06 PM",
                         "000001|/d/c.txt|*.TXT|0000001000|01/05/2006 03:04:06 PM",
                         "000002|/d/b.doc|*.TXT|0000001000|01/05/2006 03:04:06 PM",
                         "000002|/d/e.txt|*.TXT|0000001000|01/05/2006 03:04:06 PM",
                     }));

    // What quillmere-scan writes is what the window saves of the same search.
    results::ResultTree tree;
    results::NullResultsHost host;
    ASSERT_TRUE(results::PopulateResultsTree(tree, list, host, {}, *locale));
    EXPECT_EQ(ResultsRowsOf(tree), ResultsRowsOf(list, *locale));
}

std::vector<std::string> RootKeys(const results::ResultTree& tree) {
    std::vector<std::string> keys;
    for (std::uint32_t r = 0; r < tree.RootCount(); ++r) {
        keys.push_back(tree.At(tree.Root(r)).entry.Key);
    }
    return keys;
}

// A tree saved with marks and statuses on it and loaded back: the same roots, sets, rows, sizes
// and date texts, every row unmarked and without status.
TEST(ResultsFileTest, ASavedTreeLoadsBackAsTheSameTree) {
    const results::testing::FakeLocale locale;
    const std::vector<ResultsFileRow> lines = {
        // Negative sizes.
        {"000001", "/d/neg.bin", "*.BIN", -123, "01/05/2006 03:04:04 PM"},
        {"000001", "/e/neg.bin", "*.BIN", -123, "01/05/2006 03:04:04 PM"},
        // x.doc under two roots: content grouping files a set under every key it spans.
        {"000002", "/d/x.doc", "*.DOC", 10, "d2"},
        {"000002", "/d/y.doc", "*.DOC", 10, "d2"},
        {"000003", "/d/x.doc", "*.TXT", 10, "d2"},
        {"000003", "/d/z.txt", "*.TXT", 10, "d2"},
        // Edited by hand: the second line of a set carries another key. It joins the set; the
        // root made for its key stays empty and goes.
        {"000004", "/p/a.jpeg", "*.JPEG", 7, "d3"},
        {"000004", "/p/b|pipe\r\n.jpg", "*.JPG", 7, "d3"},
        {"000005", "/p/c.png", "*.PNG", 6'000'000'000, ""},
        {"000005", "/p/\xFF.png", "*.PNG", 6'000'000'000, ""},
    };
    results::ResultTree before;
    results::testing::RecordingHost host;
    ASSERT_TRUE(results::PopulateResultsTree(before, lines, host, {}, locale));
    EXPECT_EQ(RootKeys(before),
              (std::vector<std::string>{"*.BIN", "*.DOC", "*.TXT", "*.JPEG", "*.PNG"}));
    // The user's work on the tree: a file deleted before saving, marks, a failed and a blocked row.
    const results::EntryStatus statuses[] = {
        results::EntryStatus::Removed, results::EntryStatus::Marked, results::EntryStatus::Failed,
        results::EntryStatus::Blocked};
    int next = 0;
    for (results::ResultTree::NodeId id = 0; id < before.NodeCount(); ++id) {
        if (before.IsFileRow(id) && id % 2 == 0) {
            before.At(id).entry.Status = statuses[next++ % 4];
            before.At(id).checked = true;
        }
    }

    test::TempTree folder;
    const std::string file = folder.Path("saved.dat");
    const std::vector<ResultsFileRow> saved = ResultsRowsOf(before);
    EXPECT_EQ(saved, lines) << "every file row, deleted ones and both x.doc rows included";
    WriteResultsFile(file, saved);
    const std::vector<ResultsFileRow> loaded = ReadResultsFile(file);
    EXPECT_EQ(loaded, saved);
    EXPECT_NE(ReadBytes(file).find("|-0000000123|"), std::string::npos);

    results::ResultTree after;
    ASSERT_TRUE(results::PopulateResultsTree(after, loaded, host, {}, locale));
    ASSERT_EQ(after.NodeCount(), before.NodeCount());
    for (results::ResultTree::NodeId id = 0; id < after.NodeCount(); ++id) {
        const results::ResultTree::Node& a = after.At(id);
        const results::ResultTree::Node& b = before.At(id);
        EXPECT_EQ(a.level, b.level) << id;
        EXPECT_EQ(a.parent, b.parent) << id;
        EXPECT_EQ(a.entry.GroupText, b.entry.GroupText) << id;
        EXPECT_EQ(a.entry.Key, b.entry.Key) << id;
        EXPECT_EQ(a.entry.Folder, b.entry.Folder) << id;
        EXPECT_EQ(a.entry.FileName, b.entry.FileName) << id;
        EXPECT_EQ(a.entry.Size, b.entry.Size) << id;
        EXPECT_EQ(a.entry.Modified, b.entry.Modified) << id;
        EXPECT_EQ(a.entry.FirstOfSet, b.entry.FirstOfSet) << id;
        EXPECT_EQ(a.entry.Status, results::EntryStatus::None) << id;
        EXPECT_FALSE(a.checked) << id;
    }
}

// A load that cannot be done says why before anything is read into the tree; a pipe or a device
// must not block it or make it read forever (the alarm ends the test program if one does).
#ifndef _WIN32
TEST(ResultsFileTest, LoadRefusesWhatIsNoResultsFileAndSaysWhy) {
    test::TempTree tree{{"pipe", test::Fifo()},
                        {"link-to-pipe", test::SymlinkTo("pipe")},
                        {"folder/", test::Folder()},
                        {"huge.dat", test::Sparse(kMaxResultsFileBytes + 1)},
                        {"ok.dat", test::Content("000001|/a|*.A|0000000001|d\r\n")},
                        {"link-to-ok", test::SymlinkTo("ok.dat")}};
    const std::pair<std::string, std::string> cases[] = {
        {tree.Path("pipe"), "Not a regular file"},
        {tree.Path("link-to-pipe"), "Not a regular file"},
        {"/dev/zero", "Not a regular file"},
        {tree.Path("folder"), "Is a directory"},
        {tree.Path("none.dat"), "No such file or directory"},
        {tree.Path("huge.dat"), "larger than 1 GiB"},
    };
    ::alarm(60);
    for (const auto& [path, reason] : cases) {
        try {
            ReadResultsFile(path);
            ADD_FAILURE() << path << " was read";
        } catch (const FileError& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find("\"" + path + "\""), std::string::npos) << message;
            EXPECT_NE(message.find(reason), std::string::npos) << message;
        }
    }
    ::alarm(0);
    EXPECT_EQ(ReadResultsFile(tree.Path("link-to-ok")).size(), 1u);
}
#else
// Without pipes and links: a folder, a missing file and one too large, each named with its
// reason (for the missing file the system's own text, which differs between Windows and Wine).
TEST(ResultsFileTest, LoadRefusesWhatIsNoResultsFileAndSaysWhy) {
    test::TempTree tree{{"folder/", test::Folder()},
                        {"huge.dat", test::Sparse(kMaxResultsFileBytes + 1)},
                        {"ok.dat", test::Content("000001|/a|*.A|0000000001|d\r\n")}};
    const std::pair<std::string, std::string> cases[] = {
        {tree.Path("folder"), "It is a folder"},
        {tree.Path("none.dat"), ""},
        {tree.Path("huge.dat"), "larger than 1 GiB"},
    };
    for (const auto& [path, reason] : cases) {
        try {
            ReadResultsFile(path);
            ADD_FAILURE() << path << " was read";
        } catch (const FileError& error) {
            const std::string message = error.what();
            const std::string named = "\"" + path + "\": ";
            const std::size_t at = message.find(named);
            ASSERT_NE(at, std::string::npos) << message;
            EXPECT_GT(message.size(), at + named.size()) << "no reason: " << message;
            EXPECT_NE(message.find(reason), std::string::npos) << message;
        }
    }
    EXPECT_EQ(ReadResultsFile(tree.Path("ok.dat")).size(), 1u);
}
#endif

#ifndef _WIN32
// Permission is checked by the system, so this runs in a child that has dropped root.
TEST(ResultsFileTest, AnUnreadableFileIsReportedAsSuch) {
    test::TempTree tree{{"secret.dat", test::Content("000001|/a|*.A|1|d").WithMode(0600)}};
    ASSERT_EQ(::chmod(tree.Root().c_str(), 0755), 0);
    const std::string path = tree.Path("secret.dat");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(3);
        }
        try {
            ReadResultsFile(path);
        } catch (const FileError& error) {
            ::_exit(std::string(error.what()).find("Permission denied") != std::string::npos ? 0
                                                                                             : 1);
        }
        ::_exit(2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: another reason, 2: read, 3: could not drop root";
}
#else
// A file held open by a program that shares no access cannot be read: the load says so.
TEST(ResultsFileTest, AFileLockedByAnotherProgramIsReportedAsSuch) {
    test::TempTree tree{{"locked.dat", test::Content("000001|/a|*.A|1|d")}};
    const std::string path = tree.Path("locked.dat");
    const HANDLE held = ::CreateFileW(platform::win32::SystemPath(path).c_str(), GENERIC_READ, 0,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    try {
        ReadResultsFile(path);
        ADD_FAILURE() << "a locked file was read";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find("\"" + path + "\""), std::string::npos)
            << error.what();
    }
    ::CloseHandle(held);
}
#endif

}  // namespace
}  // namespace qm::storage
