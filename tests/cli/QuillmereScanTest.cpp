// Drives the built quillmere-scan as a user would: real trees, real processes, real signals.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "foundation/Globals.h"
#include "results/PopulateResultsTree.h"
#include "results/ResultTree.h"
#include "results/ResultsTestSupport.h"
#include "storage/ExportDocument.h"
#include "storage/ExportReaders.h"
#include "storage/ResultsFile.h"
#include "storage/SettingsFile.h"
#include "support/TempTree.h"

namespace qm::cli {
namespace {

using test::Content;
using test::Folder;
using test::TempTree;

struct ScanRun {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
};

constexpr auto kTimeout = std::chrono::seconds(120);

// Runs the scanner as the unprivileged user "nobody" (for whom permissions deny something).
const std::vector<std::string> kAsNobody = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
                                            "--clear-groups"};

// What the child runs: the scanner with args (behind the command wrapper, when given), in folder
// cwd (when given), in the C locale so that numbers and dates have fixed separators.
[[noreturn]] void ExecScanner(const std::vector<std::string>& args, const std::string& cwd,
                              const std::vector<std::string>& wrapper = {}) {
    if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) {
        ::_exit(126);
    }
    ::setenv("LC_ALL", "C", 1);
    ::setenv("LANG", "C", 1);
    std::vector<char*> argv;
    static std::string program = QM_SCAN_BINARY;
    for (const std::string& arg : wrapper) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(program.data());
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    ::execv(argv.front(), argv.data());
    ::_exit(127);
}

int WaitStatus(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return -1;
}

// Reads fds until each reports end of file (a pty reports EIO when the child has gone). onData
// sees everything read so far from the second fd after each read. Kills the child on timeout.
void Drain(pid_t pid, int outFd, int errFd, ScanRun& run,
           const std::function<void(const std::string&)>& onErr = {}) {
    const auto deadline = std::chrono::steady_clock::now() + kTimeout;
    bool outOpen = true;
    bool errOpen = true;
    char buffer[4096];
    while (outOpen || errOpen) {
        pollfd fds[2];
        nfds_t count = 0;
        if (outOpen) {
            fds[count++] = {outFd, POLLIN, 0};
        }
        if (errOpen) {
            fds[count++] = {errFd, POLLIN, 0};
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            ::kill(pid, SIGKILL);
            ADD_FAILURE() << "quillmere-scan did not end in time";
            break;
        }
        if (::poll(fds, count, static_cast<int>(left.count())) < 0 && errno != EINTR) {
            break;
        }
        for (nfds_t i = 0; i < count; ++i) {
            if (fds[i].revents == 0) {
                continue;
            }
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            const bool isOut = fds[i].fd == outFd;
            if (n <= 0) {
                (isOut ? outOpen : errOpen) = false;
                continue;
            }
            (isOut ? run.out : run.err).append(buffer, static_cast<std::size_t>(n));
            if (!isOut && onErr) {
                onErr(run.err);
            }
        }
    }
}

// Runs the scanner with pipes for standard output and error (so no terminal: no progress).
ScanRun Scan(const std::vector<std::string>& args, const std::string& cwd = {},
             const std::vector<std::string>& wrapper = {}) {
    int out[2];
    int err[2];
    EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
    EXPECT_EQ(::pipe2(err, O_CLOEXEC), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ExecScanner(args, cwd, wrapper);
    }
    ::close(out[1]);
    ::close(err[1]);
    ScanRun run;
    Drain(pid, out[0], err[0], run);
    ::close(out[0]);
    ::close(err[0]);
    run.status = WaitStatus(pid);
    return run;
}

// Runs the scanner with standard error on a pseudo terminal, as in an interactive shell.
// onErr may act on what the terminal has shown so far (and send the child signals).
ScanRun ScanOnTerminal(const std::vector<std::string>& args,
                       const std::function<void(pid_t, const std::string&)>& onErr = {}) {
    int master = -1;
    int slave = -1;
    winsize size{};
    size.ws_col = 200;
    size.ws_row = 24;
    EXPECT_EQ(::openpty(&master, &slave, nullptr, nullptr, &size), 0);
    int out[2];
    EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(master);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(slave, STDERR_FILENO);
        ExecScanner(args, {});
    }
    ::close(slave);
    ::close(out[1]);
    ScanRun run;
    Drain(pid, out[0], master, run, [&](const std::string& err) {
        if (onErr) {
            onErr(pid, err);
        }
    });
    ::close(master);
    ::close(out[0]);
    run.status = WaitStatus(pid);
    return run;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::string LastLine(const std::string& text) {
    const std::vector<std::string> lines = Lines(text);
    return lines.empty() ? std::string() : lines.back();
}

// The text output as a set of sets, so that the order of sets and paths does not matter.
std::set<std::set<std::string>> Sets(const std::string& text) {
    std::set<std::set<std::string>> sets;
    std::set<std::string> current;
    for (const std::string& line : Lines(text)) {
        if (line.empty()) {
            if (!current.empty()) {
                sets.insert(current);
            }
            current.clear();
        } else {
            current.insert(line);
        }
    }
    if (!current.empty()) {
        sets.insert(current);
    }
    return sets;
}

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

const std::regex kSummary(
    R"(^[0-9,]+ bytes in [0-9,]+ file\(s\) listed\. \[[0-9,]+ bytes duplicated in [0-9,]+ )"
    R"(file\(s\)\.\] Search completed in [0-9]+ hour\(s\) [0-9]+ minute\(s\) and [0-9]+ )"
    R"(second\(s\)\.$)");

TEST(QuillmereScanTest, FindsEqualFilesAndSumsThemUp) {
    TempTree tree{{"a/one.txt", test::Size(1000, 1)},   {"b/one.txt", test::Size(1000, 1)},
                  {"a/two.bin", test::Size(1000, 2)},   {"b/two.bin", test::Size(1000, 2)},
                  {"a/three.doc", test::Size(1000, 3)}, {"c/three.doc", test::Size(1000, 3)},
                  {"a/alone.txt", test::Size(1000, 4)}, {"a/same-size.txt", test::Size(1000, 5)}};
    const ScanRun run = Scan({tree.Root()});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::set<std::set<std::string>> expected = {
        {tree.Path("a/one.txt"), tree.Path("b/one.txt")},
        {tree.Path("a/two.bin"), tree.Path("b/two.bin")},
        {tree.Path("a/three.doc"), tree.Path("c/three.doc")}};
    EXPECT_EQ(Sets(run.out), expected);
    // One path per line, one blank line between sets, none at the start or the end.
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 6 + 2);
    EXPECT_NE(run.out.substr(0, 1), "\n");
    EXPECT_EQ(run.out.find("\n\n\n"), std::string::npos);
    ASSERT_FALSE(run.out.empty());
    EXPECT_EQ(run.out.back(), '\n');
    EXPECT_NE(run.out.substr(run.out.size() - 2), "\n\n");
    const std::string summary = LastLine(run.err);
    EXPECT_TRUE(std::regex_match(summary, kSummary)) << summary;
    EXPECT_EQ(
        summary.rfind("6,000 bytes in 6 file(s) listed. [3,000 bytes duplicated in 3 file(s).] "
                      "Search completed in ",
                      0),
        0u)
        << summary;
    EXPECT_EQ(run.err.find("Step "), std::string::npos) << "progress without a terminal";
}

TEST(QuillmereScanTest, NothingFoundStillRunsAndSaysSo) {
    TempTree tree{{"x.txt", Content("abc")}, {"y.txt", Content("abd")}};
    for (const char* format : {"text", "dat", "csv", "table", "html", "rtf"}) {
        const ScanRun run = Scan({"--format", format, tree.Root()});
        EXPECT_EQ(run.status, 0) << run.err;
        const std::vector<std::string> err = Lines(run.err);
        ASSERT_EQ(err.size(), 3u) << run.err;
        EXPECT_EQ(err[0], "No duplicate files were found for the selected search criteria.");
        EXPECT_EQ(err[1], "0 file(s) and 0 folder(s) ignored.");
        EXPECT_EQ(
            err[2].rfind("0 bytes in 0 file(s) listed. [0 bytes duplicated in 0 file(s).] ", 0), 0u)
            << err[2];
        const std::string name = format;
        if (name == "csv") {
            EXPECT_EQ(run.out, "Extension,File Name,File Path,File Size (Bytes),Last Modified\r\n");
        } else if (name == "text" || name == "dat") {
            EXPECT_EQ(run.out, "");
        } else {
            EXPECT_NE(run.out.find("Last Modified"), std::string::npos) << "the header row";
        }
    }
}

// Equal files under different extensions: the window files the pairs under each key, the text
// output joins them into one set in which each file stands once.
TEST(QuillmereScanTest, TextSetsJoinWhatTheTreeListsUnderSeveralKeys) {
    TempTree tree{{"a.txt", Content("same bytes")},
                  {"b.doc", Content("same bytes")},
                  {"c.txt", Content("same bytes")},
                  {"d", Content("same bytes")}};
    const ScanRun text = Scan({tree.Root()});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(Sets(text.out),
              (std::set<std::set<std::string>>{
                  {tree.Path("a.txt"), tree.Path("b.doc"), tree.Path("c.txt"), tree.Path("d")}}));
    EXPECT_EQ(Lines(text.out).size(), 4u);

    // The results file holds the tree's rows: a path at most once per set, and as many rows as
    // the statistics list.
    const ScanRun dat = Scan({"--format", "dat", tree.Root()});
    ASSERT_EQ(dat.status, 0) << dat.err;
    const std::vector<std::string> lines = storage::SplitResultsLines(dat.out);
    std::set<std::pair<std::string, std::string>> groupAndPath;
    std::set<std::string> paths;
    for (const std::string& line : lines) {
        const storage::ResultsFileRow row = storage::ParseResultsLine(line);
        EXPECT_TRUE(groupAndPath.insert({row.groupText, row.path}).second) << line;
        paths.insert(row.path);
    }
    EXPECT_EQ(paths.size(), 4u);
    const std::string listed = " bytes in " + std::to_string(lines.size()) + " file(s) listed.";
    EXPECT_NE(LastLine(dat.err).find(listed), std::string::npos) << dat.err << dat.out;
}

TEST(QuillmereScanTest, OptionsNarrowTheSearch) {
    // Pairs of equal files, each pair placed so that exactly one option drops it.
    TempTree tree{
        {"top.txt", Content("T")},         {"top2.txt", Content("T")},
        {"p.jpg", Content("JPG")},         {"q.jpg", Content("JPG")},
        {".hidden-a", Content("H")},       {".hidden-b", Content("H")},
        {"s1/sub-a", Content("S")},        {"s1/sub-b", Content("S")},
        {"s1/s2/deep-a", Content("D")},    {"s1/s2/deep-b", Content("D")},
        {"ign/i-a", Content("I")},         {"ign/i-b", Content("I")},
        {"ign/below/ib-a", Content("IB")}, {"ign/below/ib-b", Content("IB")},
        {"masked/m-a", Content("M")},      {"masked/m-b", Content("M")},
        {"x.bak", Content("B")},           {"y.bak", Content("B")},
        {"big-a", test::Size(2048, 7)},    {"big-b", test::Size(2048, 7)},
        {"mid-a", test::Size(2047, 8)},    {"mid-b", test::Size(2047, 8)},
    };
    const std::string r = tree.Root();
    const auto pairOf = [&](const std::string& a, const std::string& b) {
        return std::set<std::string>{tree.Path(a), tree.Path(b)};
    };
    const std::set<std::string> top = pairOf("top.txt", "top2.txt");
    const std::set<std::string> jpg = pairOf("p.jpg", "q.jpg");
    const std::set<std::string> hidden = pairOf(".hidden-a", ".hidden-b");
    const std::set<std::string> sub = pairOf("s1/sub-a", "s1/sub-b");
    const std::set<std::string> deep = pairOf("s1/s2/deep-a", "s1/s2/deep-b");
    const std::set<std::string> ign = pairOf("ign/i-a", "ign/i-b");
    const std::set<std::string> below = pairOf("ign/below/ib-a", "ign/below/ib-b");
    const std::set<std::string> masked = pairOf("masked/m-a", "masked/m-b");
    const std::set<std::string> bak = pairOf("x.bak", "y.bak");
    const std::set<std::string> big = pairOf("big-a", "big-b");
    const std::set<std::string> mid = pairOf("mid-a", "mid-b");
    using Sets_ = std::set<std::set<std::string>>;
    const Sets_ all = {top, jpg, hidden, sub, deep, ign, below, masked, bak, big, mid};
    const auto without = [&](std::initializer_list<std::set<std::string>> drop) {
        Sets_ result = all;
        for (const auto& d : drop) {
            result.erase(d);
        }
        return result;
    };
    struct Case {
        std::vector<std::string> args;
        Sets_ expected;
    };
    const Case cases[] = {
        {{r}, all},
        {{"--mask", "*.jpg", r}, {jpg}},
        {{"--mask", "*.jpg", "--mask", "*.txt", r}, {jpg, top}},
        {{"--no-hidden", r}, without({hidden})},
        {{"--no-hidden", "--hidden", r}, all},
        {{"--no-recursive", r}, without({sub, deep, ign, below, masked})},
        {{"--depth", "1", r}, without({deep, below})},
        {{"--min-size", "2", "--size-unit", "kilobytes", r}, {big}},
        {{"--min-size", "2048", "--size-unit", "bytes", r}, {big}},
        {{"--min-size", "2", r}, {big}},  // kilobytes, as the window starts
        {{"--max-size", "2047", "--size-unit", "bytes", r}, without({big})},
        {{"--min-size", "2", "--max-size", "2047", "--size-unit", "bytes", r}, {jpg, below, mid}},
        {{"--ignore-folder", tree.Path("ign"), r}, without({ign})},
        {{"--ignore-folder", tree.Path("ign"), "--ignore-sub-folders", r}, without({ign, below})},
        {{"--exclude-folder-mask", "*/masked/", r}, without({masked})},
        {{"--exclude-file-mask", "*.bak", r}, without({bak})},
        {{"--exclude-file-mask", "*.bak", "--exclude-file-mask", "*.jpg", r}, without({bak, jpg})},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& a : c.args) {
            shown += a + " ";
        }
        const ScanRun run = Scan(c.args);
        EXPECT_EQ(run.status, 0) << shown << run.err;
        EXPECT_EQ(Sets(run.out), c.expected) << shown;
    }
}

TEST(QuillmereScanTest, MegabytesAreAThousandKibibytes) {
    TempTree tree{{"under-a", test::Zeros(1'023'999)},
                  {"under-b", test::Zeros(1'023'999)},
                  {"at-a", test::Zeros(1'024'000)},
                  {"at-b", test::Zeros(1'024'000)}};
    const ScanRun run = Scan({"--min-size", "1", "--size-unit", "megabytes", tree.Root()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Sets(run.out),
              (std::set<std::set<std::string>>{{tree.Path("at-a"), tree.Path("at-b")}}));
}

TEST(QuillmereScanTest, MethodsDecideWhatCountsAsDuplicate) {
    TempTree tree{
        {"x/report.txt", Content("alpha")},  // same name, same size, same content as y/
        {"y/report.txt", Content("alpha")},
        {"x/notes.txt", Content("one")},  // same name and size, other content
        {"y/notes.txt", Content("two")},
        {"x/copy-a.md", Content("content!")},  // same content, other names
        {"y/copy-b.md", Content("content!")},
        {"x/name.log", Content("short")},  // same name, other size
        {"y/name.log", Content("much longer")},
    };
    const auto pairOf = [&](const std::string& a, const std::string& b) {
        return std::set<std::string>{tree.Path(a), tree.Path(b)};
    };
    const auto report = pairOf("x/report.txt", "y/report.txt");
    const auto notes = pairOf("x/notes.txt", "y/notes.txt");
    const auto copy = pairOf("x/copy-a.md", "y/copy-b.md");
    const auto name = pairOf("x/name.log", "y/name.log");
    using Sets_ = std::set<std::set<std::string>>;
    const std::pair<const char*, Sets_> cases[] = {
        {"contents", {report, copy}},
        {"contents-and-name", {report}},
        {"name", {report, notes, name}},
        {"name-and-size", {report, notes}},
    };
    for (const auto& [method, expected] : cases) {
        const ScanRun run = Scan({"--method", method, tree.Root()});
        EXPECT_EQ(run.status, 0) << method << run.err;
        EXPECT_EQ(Sets(run.out), expected) << method;
    }
    // Size only: every file of 5 bytes is in one set, every file of 3 bytes in another.
    const ScanRun size = Scan({"--method", "size", tree.Root()});
    EXPECT_EQ(size.status, 0) << size.err;
    const Sets_ sets = Sets(size.out);
    EXPECT_TRUE(sets.count(pairOf("x/notes.txt", "y/notes.txt"))) << size.out;
    EXPECT_TRUE(sets.count(pairOf("x/copy-a.md", "y/copy-b.md"))) << size.out;
    const std::set<std::string> five = {tree.Path("x/report.txt"), tree.Path("y/report.txt"),
                                        tree.Path("x/name.log")};
    EXPECT_TRUE(sets.count(five)) << size.out;
}

TEST(QuillmereScanTest, DateWindowTestsTheChosenTime) {
    const platform::LocalDateTime older{2019, 6, 1, 12, 0, 0};
    const platform::LocalDateTime newer{2023, 6, 1, 12, 0, 0};
    TempTree tree{
        {"old-a", Content("old").WithMTimeLocal(older).WithATimeLocal(newer)},
        {"old-b", Content("old").WithMTimeLocal(older).WithATimeLocal(newer)},
        {"new-a", Content("newer").WithMTimeLocal(newer).WithATimeLocal(older)},
        {"new-b", Content("newer").WithMTimeLocal(newer).WithATimeLocal(older)},
    };
    const std::set<std::string> old = {tree.Path("old-a"), tree.Path("old-b")};
    const std::set<std::string> fresh = {tree.Path("new-a"), tree.Path("new-b")};
    using Sets_ = std::set<std::set<std::string>>;
    struct Case {
        std::vector<std::string> args;
        Sets_ expected;
    };
    const Case cases[] = {
        {{"--date-from", "2020-01-01"}, {fresh}},
        {{"--date-to", "2020-01-01"}, {old}},
        {{"--date-from", "2019-06-01 12:00:00", "--date-to", "2019-06-01 12:00:00"}, {old}},
        {{"--date-from", "2019-06-01", "--date-to", "2019-06-01"}, {old}},
        {{"--date-from", "2019-06-01 12:00:01"}, {fresh}},
        {{"--date-from", "2030-01-01"}, {}},
        {{"--date-from", "2024-01-01", "--date-to", "2000-01-01"}, {}},
        {{"--date-kind", "accessed", "--date-from", "2020-01-01"}, {old}},
        {{"--date-kind", "modified", "--date-from", "2020-01-01"}, {fresh}},
        {{"--date-kind", "accessed"}, {old, fresh}},
    };
    // "Size Only" reads no file, so the access times stay as set.
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--method", "size", tree.Root()});
        const ScanRun run = Scan(args);
        EXPECT_EQ(run.status, 0) << c.args[0] << run.err;
        EXPECT_EQ(Sets(run.out), c.expected) << c.args[0] << " " << c.args.back();
    }
    // Creation times cannot be set here; all files were made just now.
    const ScanRun created = Scan(
        {"--method", "size", "--date-kind", "created", "--date-to", "2000-01-01", tree.Root()});
    EXPECT_EQ(created.status, 0);
    EXPECT_EQ(created.out, "");
}

TEST(QuillmereScanTest, RelativeFoldersAreShownAbsolute) {
    TempTree tree{{"d/a", Content("rel")}, {"d/b", Content("rel")}};
    const ScanRun run = Scan({"d"}, tree.Root());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Sets(run.out),
              (std::set<std::set<std::string>>{{tree.Path("d/a"), tree.Path("d/b")}}));
    // The same folder given twice in two spellings is searched once: no file is its own twin.
    const ScanRun twice = Scan({"d", "./d/", tree.Path("d")}, tree.Root());
    EXPECT_EQ(twice.status, 0) << twice.err;
    EXPECT_EQ(Lines(twice.out).size(), 2u) << twice.out;
}

TEST(QuillmereScanTest, DatOutputIsTheResultsFileTheWindowLoads) {
    TempTree tree{{"pics/a.jpg", Content("picture")},
                  {"pics/b.JPG", Content("picture")},
                  {"odd/pipe|name\r\nline.jpg", Content("picture")},
                  {"odd/\xFF\xFE raw", Content("noext")},
                  {"odd/other raw", Content("noext")}};
    const std::string datFile = tree.Path("results.dat");
    const ScanRun run =
        Scan({"--format", "dat", "--output", datFile, tree.Path("pics"), tree.Path("odd")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    const std::string bytes = ReadBytes(datFile);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");

    // Every line: group|path|key|size|date, ended by CR LF, nothing else.
    const std::regex line(R"(^[0-9]{6}\|/[^|\r\n]+\|(\*\.[^|\r\n]*|\(None\))\|[0-9]{10}\|)"
                          R"([0-9]{2}/[0-9]{2}/[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2} (AM|PM)$)");
    std::size_t lines = 0;
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = bytes.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        const std::string text = bytes.substr(start, end - start);
        EXPECT_TRUE(std::regex_match(text, line)) << text;
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
        start = end + 2;
        ++lines;
    }
    EXPECT_EQ(lines, 5u);
    EXPECT_NE(bytes.find("|" + tree.Path("pics/a.jpg") + "|*.JPG|0000000007|"), std::string::npos);
    EXPECT_NE(bytes.find("/odd/pipe<7C>name<0D><0A>line.jpg|*.JPG|0000000007|"), std::string::npos);

    // Read back: the exact paths, one group per set, the keys and sizes of the tree.
    const std::vector<storage::ResultsFileRow> rows = storage::ReadResultsFile(datFile);
    ASSERT_EQ(rows.size(), 5u);
    std::set<std::string> jpgPaths;
    std::set<std::string> rawPaths;
    for (const storage::ResultsFileRow& row : rows) {
        (row.key == "(None)" ? rawPaths : jpgPaths).insert(row.path);
        EXPECT_EQ(row.size, row.key == "(None)" ? 5 : 7);
    }
    EXPECT_EQ(jpgPaths, (std::set<std::string>{tree.Path("pics/a.jpg"), tree.Path("pics/b.JPG"),
                                               tree.Path("odd/pipe|name\r\nline.jpg")}));
    EXPECT_EQ(rawPaths,
              (std::set<std::string>{tree.Path("odd/\xFF\xFE raw"), tree.Path("odd/other raw")}));
    EXPECT_EQ(rows[0].groupText, rows[1].groupText);
    EXPECT_NE(rows[0].groupText, rows[4].groupText);

    // The same lines on standard output.
    const ScanRun toStdout = Scan({"--format", "dat", tree.Path("pics"), tree.Path("odd")});
    EXPECT_EQ(toStdout.out, bytes);
}

// The exports are the window's documents of the results tree: the tree that loading the same
// search's results file gives, rendered by the same code, byte for byte.
TEST(QuillmereScanTest, ExportsAreTheWindowsDocumentsOfTheLoadedResults) {
    TempTree tree{{"a,b.txt", Content("csv")},
                  {"say \"hi\".txt", Content("csv")},
                  {"<script>alert(1)<script>.htm", Content("csv")},
                  {"{b}\\c \xF0\x9F\x98\x80.txt", Content("csv")},
                  {"raw \xFF", Content("csv")},
                  {"other", Content("different")}};
    const ScanRun dat = Scan({"--format", "dat", tree.Root()});
    ASSERT_EQ(dat.status, 0) << dat.err;
    const results::testing::FakeLocale locale(",");  // the C locale's separator
    results::ResultTree loaded;
    results::NullResultsHost host;
    ASSERT_TRUE(results::PopulateResultsTree(loaded, storage::ParseResultsFileText(dat.out), host,
                                             {}, locale));
    const storage::ExportDocument document =
        storage::ExportDocumentOf(loaded, storage::DefaultExportColumns(), locale);

    const std::pair<const char*, storage::ExportFormat> formats[] = {
        {"csv", storage::ExportFormat::Csv},
        {"table", storage::ExportFormat::Text},
        {"html", storage::ExportFormat::Html},
        {"rtf", storage::ExportFormat::Rtf},
    };
    for (const auto& [name, format] : formats) {
        const ScanRun run = Scan({"--format", name, tree.Root()});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, storage::RenderExport(document, format)) << name;
    }

    const ScanRun csv = Scan({"--format", "csv", tree.Root()});
    const storage::testing::Table table = storage::testing::ReadCsv(csv.out);
    ASSERT_EQ(table.size(), 7u) << csv.out;  // header, one root, five files
    EXPECT_EQ(table[0], (std::vector<std::string>{"Extension", "File Name", "File Path",
                                                  "File Size (Bytes)", "Last Modified"}));
    std::set<std::string> names;
    for (std::size_t r = 2; r < table.size(); ++r) {
        EXPECT_EQ(table[r][0], r == 2 ? ">" : ">>");
        EXPECT_EQ(table[r][2], tree.Root());
        EXPECT_EQ(table[r][3], "3");
        names.insert(table[r][1]);
    }
    EXPECT_EQ(names,
              (std::set<std::string>{"a,b.txt", "say \"hi\".txt", "<script>alert(1)<script>.htm",
                                     "{b}\\c \xF0\x9F\x98\x80.txt", "raw \xEF\xBF\xBD"}));
}

TEST(QuillmereScanTest, OutputFileReplacesTheOldOneOnlyWhenDone) {
    TempTree tree{
        {"data/a", Content("x")}, {"data/b", Content("x")}, {"out/old.txt", Content("old")}};
    const std::string target = tree.Path("out/old.txt");
    const ScanRun run = Scan({"--output", target, tree.Path("data")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(Sets(ReadBytes(target)),
              (std::set<std::set<std::string>>{{tree.Path("data/a"), tree.Path("data/b")}}));
    EXPECT_EQ(EntriesIn(tree.Path("out")), 1u) << "a temporary file was left behind";
    EXPECT_TRUE(std::regex_match(LastLine(run.err), kSummary)) << run.err;
}

// Writing onto something that is not a regular file writes into it: a FIFO passes the results
// on, a device takes them, a link to standard output shows them. Nothing is replaced.
TEST(QuillmereScanTest, OutputOntoAFifoADeviceOrALinkWritesIntoIt) {
    TempTree tree{{"data/a", Content("x")},
                  {"data/b", Content("x")},
                  {"out/pipe", test::Fifo()},
                  {"out/stdout", test::SymlinkTo("/proc/self/fd/1")}};
    const std::set<std::set<std::string>> expected = {{tree.Path("data/a"), tree.Path("data/b")}};

    const int reader = ::open(tree.Path("out/pipe").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    const ScanRun piped = Scan({"--output", tree.Path("out/pipe"), tree.Path("data")});
    EXPECT_EQ(piped.status, 0) << piped.err;
    std::string received(4096, '\0');
    const ssize_t got = ::read(reader, received.data(), received.size());
    ::close(reader);
    received.resize(got > 0 ? std::size_t(got) : 0);
    EXPECT_EQ(Sets(received), expected);
    struct stat info {};
    ASSERT_EQ(::lstat(tree.Path("out/pipe").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    const ScanRun shown = Scan({"--output", tree.Path("out/stdout"), tree.Path("data")});
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(Sets(shown.out), expected);
    ASSERT_EQ(::lstat(tree.Path("out/stdout").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));

    const std::string node = tree.Path("out/null");
    if (::mknod(node.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) != 0) {
        GTEST_SKIP() << "cannot make a device node here: " << std::strerror(errno);
    }
    const ScanRun discarded = Scan({"--output", node, tree.Path("data")});
    EXPECT_EQ(discarded.status, 0) << discarded.err;
    ASSERT_EQ(::lstat(node.c_str(), &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    EXPECT_EQ(info.st_rdev, ::makedev(1, 3));
    EXPECT_EQ(EntriesIn(tree.Path("out")), 3u) << "a temporary file was left behind";
}

// A folder that cannot be listed and a file that cannot be read are named, one line each, and
// counted in the closing summary; --quiet leaves the names out. A search folder that cannot be
// listed at all is an error.
TEST(QuillmereScanTest, UnreadableFoldersAndFilesAreNamedAndCounted) {
    if (::access(kAsNobody.front().c_str(), X_OK) != 0) {
        GTEST_SKIP() << "no setpriv to run as an unprivileged user";
    }
    TempTree tree{{"data/a.txt", Content("same")},
                  {"data/b.txt", Content("same")},
                  {"data/secret.txt", Content("same").WithMode(0)},
                  {"data/locked/inner.txt", Content("same")},
                  {"data/locked/", Folder().WithMode(0)},
                  // Names without facts: its files cannot be examined, so it cannot be listed.
                  {"data/noexec/inner.txt", Content("same")},
                  {"data/noexec/", Folder().WithMode(0444)}};
    ASSERT_EQ(::chmod(tree.Root().c_str(), 0755), 0);
    const std::string listLine = "quillmere-scan: cannot list folder \"" +
                                 tree.Path("data/locked/") + "\": Permission denied";
    const std::string noexecLine = "quillmere-scan: cannot list folder \"" +
                                   tree.Path("data/noexec/") + "\": Permission denied";
    const std::string readLine =
        "quillmere-scan: cannot read \"" + tree.Path("data/secret.txt") + "\": Permission denied";

    const ScanRun run = Scan({tree.Path("data")}, {}, kAsNobody);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(
        Sets(run.out),
        (std::set<std::set<std::string>>{{tree.Path("data/a.txt"), tree.Path("data/b.txt")}}));
    const std::vector<std::string> lines = Lines(run.err);
    ASSERT_EQ(lines.size(), 5u) << run.err;
    EXPECT_EQ(lines[0], listLine);
    EXPECT_EQ(lines[1], noexecLine);
    EXPECT_EQ(lines[2], readLine);
    EXPECT_EQ(lines[3], "1 file(s) and 1 folder(s) ignored.");
    EXPECT_TRUE(std::regex_match(lines[4], kSummary)) << lines[4];

    const ScanRun quiet = Scan({"--quiet", tree.Path("data")}, {}, kAsNobody);
    EXPECT_EQ(quiet.status, 0) << quiet.err;
    ASSERT_EQ(Lines(quiet.err).size(), 2u) << quiet.err;
    EXPECT_EQ(Lines(quiet.err)[0], "1 file(s) and 1 folder(s) ignored.");

    const ScanRun locked = Scan({tree.Path("data/locked")}, {}, kAsNobody);
    EXPECT_EQ(locked.status, 1) << locked.err;
    EXPECT_EQ(Lines(locked.err),
              (std::vector<std::string>{"quillmere-scan: cannot search \"" +
                                        tree.Path("data/locked/") + "\": Permission denied"}));
    EXPECT_EQ(locked.out, "");
}

TEST(QuillmereScanTest, BadUsageExitsTwoWithOneLineNamingTheOption) {
    TempTree tree{{"a", Content("x")}};
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--frobnicate", tree.Root()}, "--frobnicate"},
        {{tree.Root(), "--depth"}, "--depth"},
        {{"--depth", "99", tree.Root()}, "--depth"},
        {{"--method", "md5", tree.Root()}, "--method"},
        {{"--size-unit", "GB", tree.Root()}, "--size-unit"},
        {{"--format", "xml", tree.Root()}, "--format"},
        {{"--date-from", "yesterday", tree.Root()}, "--date-from"},
        {{"--min-size", "ten", tree.Root()}, "--min-size"},
        {{"--quiet=1", tree.Root()}, "--quiet"},
        {{}, "folder"},
    };
    for (const auto& [args, option] : cases) {
        const ScanRun run = Scan(args);
        EXPECT_EQ(run.status, 2) << option;
        const std::vector<std::string> lines = Lines(run.err);
        ASSERT_EQ(lines.size(), 1u) << run.err;
        EXPECT_EQ(lines[0].rfind("quillmere-scan: ", 0), 0u) << lines[0];
        EXPECT_NE(lines[0].find(option), std::string::npos) << lines[0];
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(EntriesIn(tree.Root()), 1u);
}

TEST(QuillmereScanTest, MissingFolderOrUnwritableOutputFailsBeforeAnythingIsWritten) {
    TempTree tree{{"data/a", Content("x")},
                  {"data/b", Content("x")},
                  {"plain", Content("f")},
                  {"dir/", Folder()}};
    const std::string out = tree.Path("out.txt");
    struct Case {
        std::vector<std::string> args;
        std::string mentioned;
    };
    const Case cases[] = {
        {{"--output", out, tree.Path("data"), tree.Path("missing")}, tree.Path("missing")},
        {{"--output", out, tree.Path("plain")}, tree.Path("plain")},
        {{"--output", tree.Path("nowhere/out.txt"), tree.Path("data")}, "nowhere/out.txt"},
        {{"--output", tree.Path("plain/out.txt"), tree.Path("data")}, "plain/out.txt"},
        {{"--output", tree.Path("dir"), tree.Path("data")}, tree.Path("dir")},
    };
    for (const Case& c : cases) {
        const ScanRun run = Scan(c.args);
        EXPECT_EQ(run.status, 1) << c.mentioned;
        const std::vector<std::string> lines = Lines(run.err);
        ASSERT_EQ(lines.size(), 1u) << run.err;
        EXPECT_NE(lines[0].find(c.mentioned), std::string::npos) << lines[0];
        EXPECT_EQ(run.out, "");
    }
    // Nothing appeared or changed.
    EXPECT_EQ(EntriesIn(tree.Root()), 3u);
    EXPECT_TRUE(std::filesystem::is_directory(tree.Path("dir")));
    EXPECT_EQ(EntriesIn(tree.Path("dir")), 0u);
    EXPECT_EQ(ReadBytes(tree.Path("plain")), "f");
}

TEST(QuillmereScanTest, HelpAndVersion) {
    const ScanRun help = Scan({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: quillmere-scan [OPTION]... FOLDER...", 0), 0u);
    for (const char* option : {"--mask",
                               "--hidden",
                               "--no-hidden",
                               "--recursive",
                               "--no-recursive",
                               "--depth",
                               "--min-size",
                               "--max-size",
                               "--size-unit",
                               "--method",
                               "--ignore-folder",
                               "--ignore-sub-folders",
                               "--no-ignore-sub-folders",
                               "--settings",
                               "--exclude-folder-mask",
                               "--exclude-file-mask",
                               "--date-kind",
                               "--date-from",
                               "--date-to",
                               "--format",
                               "--output",
                               "--quiet",
                               "--help",
                               "--version"}) {
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
    }
    const ScanRun version = Scan({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Quillmere v" + foundation::GetFileVersionText() + "\n");
    EXPECT_TRUE(std::regex_match(version.out,
                                 std::regex("Quillmere v[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+\n")));
}

TEST(QuillmereScanTest, ProgressIsDrawnInPlaceOnATerminalOnly) {
    TempTree tree{{"a", Content("p")}, {"b", Content("p")}};
    const ScanRun shown = ScanOnTerminal({tree.Root()});
    EXPECT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.err.find("\r\033[KStep 1 / 3: Folder Scan  Folders Scanned: "),
              std::string::npos)
        << shown.err;
    // The progress line is wiped before the closing summary, which stands on clean lines.
    EXPECT_NE(shown.err.find("\r\033[K0 file(s) and 0 folder(s) ignored.\r\n"), std::string::npos)
        << shown.err;
    const std::string summary = LastLine(shown.err);
    EXPECT_TRUE(std::regex_match(summary.substr(0, summary.find('\r')), kSummary)) << summary;
    EXPECT_EQ(Sets(shown.out), (std::set<std::set<std::string>>{{tree.Path("a"), tree.Path("b")}}));

    const ScanRun quiet = ScanOnTerminal({"--quiet", tree.Root()});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err.find("Step "), std::string::npos) << quiet.err;
    EXPECT_EQ(quiet.err.find('\033'), std::string::npos) << quiet.err;
}

// Ctrl+C during the comparison: the run winds down as the window's does and writes nothing.
// The equal files are sparse, so the tree costs no disk space, yet comparing them takes seconds:
// the interrupt arrives long before the run could end by itself.
TEST(QuillmereScanTest, InterruptAbortsWritesNothingAndExits130) {
    TempTree tree;
    for (int i = 0; i < 48; ++i) {
        tree.Add({"big/" + std::to_string(i) + ".img", test::Sparse(std::int64_t{256} << 20)});
    }
    const std::string out = tree.Path("results.dat");
    bool sent = false;
    const ScanRun run =
        ScanOnTerminal({"--format", "dat", "--output", out, tree.Path("big")},
                       [&](pid_t pid, const std::string& err) {
                           if (!sent && err.find("Step 3 / 3") != std::string::npos) {
                               ::kill(pid, SIGINT);
                               sent = true;
                           }
                       });
    ASSERT_TRUE(sent) << "the comparison step was never shown: " << run.err;
    EXPECT_EQ(run.status, 130) << run.err;
    // The progress line is wiped; "Scan aborted." is the last thing shown (the terminal turns
    // the line end into CR LF).
    const std::string ending = "\r\033[KScan aborted.\r\n";
    ASSERT_GE(run.err.size(), ending.size()) << run.err;
    EXPECT_EQ(run.err.substr(run.err.size() - ending.size()), ending) << run.err;
    EXPECT_EQ(run.err.find("bytes in"), std::string::npos) << "no statistics after an abort";
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(EntriesIn(tree.Root()), 1u);
}

// The duplicate sets of a results file, whatever their order.
std::set<std::set<std::string>> DatSets(const std::string& path) {
    std::map<std::string, std::set<std::string>> groups;
    for (const storage::ResultsFileRow& row : storage::ReadResultsFile(path)) {
        groups[row.groupText].insert(row.path);
    }
    std::set<std::set<std::string>> sets;
    for (auto& [group, paths] : groups) {
        sets.insert(std::move(paths));
    }
    return sets;
}

TEST(QuillmereScanTest, SearchesAsASavedSettingsFileSays) {
    TempTree tree{
        {"photos/a.jpg", Content("JPG")},         {"photos/b.jpg", Content("JPG")},
        {"photos/.h1.jpg", Content("HIDDEN")},    {"photos/.h2.jpg", Content("HIDDEN")},
        {"photos/sub/c.jpg", Content("SUB")},     {"photos/sub/d.jpg", Content("SUB")},
        {"photos/tmp/e.jpg", Content("IGNORED")}, {"photos/tmp/f.jpg", Content("IGNORED")},
        {"photos/q.jpg", Content("ACROSS")},      {"docs/p.jpg", Content("ACROSS")},
        {"docs/x.txt", Content("TXT")},           {"docs/y.txt", Content("TXT")},
        {"odd\nname/g.jpg", Content("NL")},       {"odd\nname/h.jpg", Content("NL")},
    };
    storage::SettingsFile saved;
    saved.search.searchFolders = {tree.Path("photos/"), tree.Path("docs/"),
                                  tree.Path("odd\nname/")};
    saved.search.filters = {{"*.jpg", "JPEG", true}, {"*.txt", "Text", false}};
    saved.search.includeHidden = false;
    saved.search.ignoredFolders = {tree.Path("photos/tmp/")};
    const std::string settings = tree.Path("saved.ini");
    storage::WriteSettingsFile(settings, saved);

    const std::string out = tree.Path("out.dat");
    const ScanRun run = Scan({"--settings", settings, "--format", "dat", "--output", out});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(DatSets(out), (std::set<std::set<std::string>>{
                                {tree.Path("photos/a.jpg"), tree.Path("photos/b.jpg")},
                                {tree.Path("photos/sub/c.jpg"), tree.Path("photos/sub/d.jpg")},
                                {tree.Path("photos/q.jpg"), tree.Path("docs/p.jpg")},
                                {tree.Path("odd\nname/g.jpg"), tree.Path("odd\nname/h.jpg")}}));

    // Options after the file override it.
    const ScanRun txt = Scan({"--settings", settings, "--mask", "*.txt", "--no-recursive"});
    ASSERT_EQ(txt.status, 0) << txt.err;
    EXPECT_EQ(
        Sets(txt.out),
        (std::set<std::set<std::string>>{{tree.Path("docs/x.txt"), tree.Path("docs/y.txt")}}));

    const ScanRun missing = Scan({"--settings", tree.Path("missing.ini")});
    EXPECT_EQ(missing.status, 1);
    ASSERT_EQ(Lines(missing.err).size(), 1u) << missing.err;
    EXPECT_NE(missing.err.find(tree.Path("missing.ini")), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace qm::cli
