#include "storage/SettingsFile.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <optional>
#include <set>

#include "foundation/Error.h"
#include "platform/Locale.h"
#include "platform/UserFolders.h"
#include "storage/FileIo.h"
#include "storage/SettingsLocation.h"
#include "support/TempTree.h"

namespace qm::storage {
namespace {

using scope::FilterRow;
using test::Content;
using test::Folder;
using test::TempTree;

std::set<std::string> NamesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// A settings file as the window writes it, every key with a value other than its default.
SettingsFile Sample() {
    SettingsFile s;
    s.window = WindowGeometry{10, 20, 1000, 700};
    s.search.disableScreenSaver = true;
    s.search.ignoreSubFolders = true;
    s.search.ignoredFolders = {"/tmp/", "/var/cache/"};
    s.search.blockedFolders = {"/etc/"};
    s.search.excludedFileMasks = {"*.log"};
    s.search.searchFolders = {"/data/", "/home/ann/"};
    s.activeDirectory = "/data/";
    s.search.minSizeText = "10";
    s.search.sizeUnitIndex = 1;
    s.search.methodIndex = 4;
    s.search.filters = {{"*.*", "All Files", false}, {"*.jpg", "JPEG", true}};
    s.activeFilter = "*.jpg";
    s.search.previewImages = true;
    s.search.includeHidden = false;
    s.search.depthLimit = 3;
    return s;
}

TEST(SettingsFileTest, WriterWritesEveryKeyInItsOrder) {
    EXPECT_EQ(SettingsText(Sample()),
              "[Display]\r\n"
              "Left=10\r\n"
              "Top=20\r\n"
              "Width=1000\r\n"
              "Height=700\r\n"
              "\r\n"
              "[Options]\r\n"
              "ScreenSaver=1\r\n"
              "Active Directory=/data/\r\n"
              "Min Size=10\r\n"
              "Min Size Index=1\r\n"
              "Max Size=0\r\n"
              "File Comparison Method=4\r\n"
              "Preview=1\r\n"
              "Hidden=0\r\n"
              "Sub Folders=1\r\n"
              "Sub Folder Depth=3\r\n"
              "\r\n"
              "[Ignore List]\r\n"
              "Ignore Sub=1\r\n"
              "Dir0=/tmp/\r\n"
              "Dir1=/var/cache/\r\n"
              "\r\n"
              "[Blocked List]\r\n"
              "Blocked Sub=0\r\n"
              "Dir0=/etc/\r\n"
              "\r\n"
              "[Ignore File Mask]\r\n"
              "Mask0=*.log\r\n"
              "\r\n"
              "[Search Path]\r\n"
              "0=/data/\r\n"
              "1=/home/ann/\r\n"
              "\r\n"
              "[Filter Settings]\r\n"
              "Active Filter=*.jpg\r\n"
              "FilterMask0=*.*\r\n"
              "FilterDef0=All Files\r\n"
              "FilterStat0=0\r\n"
              "FilterMask1=*.jpg\r\n"
              "FilterDef1=JPEG\r\n"
              "FilterStat1=1\r\n");
}

// What is written only when there is something to write: the geometry of a window in its normal
// state, the active folder, the mask sections and the filter table.
TEST(SettingsFileTest, SectionsWithNothingToHoldAreLeftOut) {
    SettingsFile s = Sample();
    s.window.reset();  // maximised or minimised
    s.activeDirectory.clear();
    s.search.excludedFileMasks.clear();
    s.search.filters.clear();
    s.search.searchFolders.clear();
    const std::string text = SettingsText(s);
    for (const std::string_view absent :
         {"[Display]", "Left=", "Active Directory", "[Ignore File", "[Ignore Folder",
          "[Search Path]", "[Filter Settings]", "Active Filter"}) {
        EXPECT_EQ(text.find(absent), std::string::npos) << absent;
    }
    const SettingsFile read = ParseSettingsText(text);
    EXPECT_EQ(read.window, std::nullopt);  // the window then takes 0, 0, 900, 660
    EXPECT_EQ(WindowGeometry{}, (WindowGeometry{0, 0, 900, 660}));
    EXPECT_TRUE(read.search.filters.empty());
    EXPECT_TRUE(read.search.searchFolders.empty());
    EXPECT_EQ(read.activeDirectory, platform::HomeFolder());
}

std::vector<std::string> Numbered(const std::string& stem, int count) {
    std::vector<std::string> items;
    for (int i = 0; i < count; ++i) {
        items.push_back(stem + std::to_string(i) + "/");
    }
    return items;
}

// Everything written comes back as it was: every key, values no INI line could hold as they
// are, and lists longer than 100 entries.
TEST(SettingsFileTest, EverythingWrittenReadsBackExactly) {
    SettingsFile odd = Sample();
    odd.window = WindowGeometry{-1920, -5, 1, 99999};
    odd.search.searchFolders = {"/data/line\r\nbreak/", "/lat1-\xE9t\xE9/", "/pipe|and<angle/",
                                "/data/Photos/",        "/data/photos/",    "/ends in blank /"};
    odd.search.ignoredFolders = {"/tab\there/", "/\x01\x7F/"};
    odd.search.blockedFolders = {"/blocked/"};
    odd.search.blockedSubFolders = true;
    odd.search.excludedFileMasks = {" *.log", "*.tmp "};
    odd.search.excludedFolderMasks = {"*cache*"};
    odd.search.filters = {{"<<<<", "a mask that looks like the old marker", true},
                          {"a", "b|X", false},
                          {"old *.log", " blanks at both ends ", true}};
    odd.activeDirectory = "/home/ann/new\nline/";
    odd.activeFilter = "[None Selected]";
    odd.search.minSizeText = " 12 kB";
    odd.search.maxSizeText = "abc";
    odd.search.sizeUnitIndex = -1;
    odd.search.methodIndex = -1;
    odd.search.depthLimit = 50;
    odd.search.includeSubFolders = false;
    odd.search.previewImages = false;
    odd.search.disableScreenSaver = false;

    SettingsFile many = Sample();
    many.search.searchFolders = Numbered("/search/f", 150);
    many.search.ignoredFolders = Numbered("/ignored/f", 101);
    many.search.blockedFolders = Numbered("/blocked/f", 120);
    many.search.excludedFileMasks = Numbered("*.x", 130);
    many.search.excludedFolderMasks = Numbered("*y", 100);
    many.search.filters.clear();
    for (int i = 0; i < 150; ++i) {
        many.search.filters.push_back(
            {"*.e" + std::to_string(i), "D" + std::to_string(i), i % 3 == 0});
    }

    for (const SettingsFile& original : {Sample(), odd, many}) {
        const std::string text = SettingsText(original);
        EXPECT_EQ(ParseSettingsText(text), original);
        // Every line of the file is one line: nothing in a value broke it.
        EXPECT_EQ(text.find("\r\n\n"), std::string::npos);
        std::size_t lines = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n') {
                ++lines;
                EXPECT_EQ(text[i - 1], '\r');
            } else if (text[i] == '\r') {
                EXPECT_EQ(text[i + 1], '\n');
            }
        }
        EXPECT_GT(lines, 0u);
    }
}

TEST(SettingsFileTest, MissingKeysTakeTheFileDefaults) {
    SettingsFile expected;
    expected.search.disableScreenSaver = false;  // unlike a fresh window
    expected.search.previewImages = false;
    expected.search.sizeUnitIndex = 0;
    expected.activeDirectory = platform::HomeFolder();
    for (const std::string_view text : {"", "[Options]\r\n", "not an ini file at all\n\x01\x02",
                                        "[Options]\nHidden=yes\nSub Folders=\nMin Size Index=x\n"
                                        "File Comparison Method=\nSub Folder Depth=deep\n"}) {
        EXPECT_EQ(ParseSettingsText(text), expected) << text;
    }
    const SettingsFile partial = ParseSettingsText("[display]\nwidth=1024\n");
    EXPECT_EQ(partial.window, (WindowGeometry{0, 0, 1024, 660}));
}

TEST(SettingsFileTest, OutOfRangeIndexesAndDepthAreClamped) {
    struct Case {
        std::string_view value;
        int unit;
        int method;
        int depth;
    };
    const Case cases[] = {
        {"0", 0, 0, 0},    {"2", 2, 2, 2},    {"3", -1, 3, 3},   {"4", -1, 4, 4},
        {"7", -1, 4, 7},   {"9", -1, 4, 9},   {"50", -1, 4, 50}, {"80", -1, 4, 50},
        {"-1", -1, -1, 0}, {"-2", -1, -1, 0}, {"$2", 2, 2, 2},   {"0x51", -1, 4, 50},
    };
    for (const Case& c : cases) {
        const std::string v(c.value);
        const SettingsFile s =
            ParseSettingsText("[Options]\nMin Size Index=" + v + "\nFile Comparison Method=" + v +
                              "\nSub Folder Depth=" + v + "\n");
        EXPECT_EQ(s.search.sizeUnitIndex, c.unit) << v;
        EXPECT_EQ(s.search.methodIndex, c.method) << v;
        EXPECT_EQ(s.search.depthLimit, c.depth) << v;
    }
}

// A hand-made or old file: markers, blanks, gaps in the numbering, a stale label text, keys in
// any case.
TEST(SettingsFileTest, EntriesThatStandForNothingAreLeftOut) {
    const SettingsFile s = ParseSettingsText(
        "[Search Path]\r\n"
        "0=/a/\r\n"
        "1=<<<<\r\n"
        "2=\r\n"
        "4=/b/\r\n"
        "[Ignore List]\r\n"
        "Dir0=\r\n"
        "Dir3=/ign/\r\n"
        "[Ignore File Mask]\r\n"
        "MASK1=*.bak\r\n"
        "[Filter Settings]\r\n"
        "Active Filter=*.bmp, *.gif\r\n"
        "FilterMask0=*.jpg\r\n"
        "FilterStat0=1\r\n"
        "FilterMask1=<<<<\r\n"
        "FilterDef1=never read\r\n"
        "FilterStat1=1\r\n"
        "FilterDef2=no mask, no row\r\n"
        "FilterMask3=*.png\r\n"
        "FilterDef3=PNG\r\n"
        "filtermask4=*.txt\r\n"
        "FilterStat4=true\r\n");
    EXPECT_EQ(s.search.searchFolders, (std::vector<std::string>{"/a/", "/b/"}));
    EXPECT_EQ(s.search.ignoredFolders, (std::vector<std::string>{"/ign/"}));
    EXPECT_EQ(s.search.excludedFileMasks, (std::vector<std::string>{"*.bak"}));
    EXPECT_EQ(s.search.filters,
              (std::vector<FilterRow>{
                  {"*.jpg", "", true}, {"*.png", "PNG", false}, {"*.txt", "", false}}));
    // Read as it stands; the window rebuilds its label from the ticked rows instead.
    EXPECT_EQ(s.activeFilter, "*.bmp, *.gif");
}

TEST(SettingsFileTest, OlderFilesOfUpToOneHundredEntriesReadAsBefore) {
    // Indexes 0 to 99 are each probed, gaps and all; past 99 the numbering must go on unbroken.
    std::string text = "[Search Path]\r\n";
    for (int i = 0; i < 100; i += 3) {
        text += std::to_string(i) + "=/s" + std::to_string(i) + "/\r\n";
    }
    text += "99=/s99/\r\n101=/after-a-gap/\r\n";
    const SettingsFile s = ParseSettingsText(text);
    ASSERT_EQ(s.search.searchFolders.size(), 34u);
    EXPECT_EQ(s.search.searchFolders.front(), "/s0/");
    EXPECT_EQ(s.search.searchFolders.back(), "/s99/");
}

TEST(SettingsFileTest, SearchFoldersAreRestoredSortedOnceEachAndOnlyWhenTheyExist) {
    const std::unique_ptr<platform::Locale> locale = platform::CreateLocale("en_US");
    const auto exists = [](const std::string& path) { return path != test::NativePath("/gone/"); };
    std::vector<std::string> stored = {"/b",  "/data/photos/", "",   "/gone/", "/a/",
                                       "/b/", "/data/Photos/", "/a/"};
#ifdef _WIN32
    // Two folders that differ only in case are one folder here: the one stored first stays.
    std::vector<std::string> restored = {"/a/", "/b/", "/data/photos/"};
#else
    // Two folders that differ only in case are two folders here.
    std::vector<std::string> restored = {"/a/", "/b/", "/data/Photos/", "/data/photos/"};
#endif
    for (std::vector<std::string>* list : {&stored, &restored}) {
        for (std::string& folder : *list) {
            folder = test::NativePath(folder);
        }
    }
    EXPECT_EQ(SearchFoldersToRestore(stored, *locale, exists), restored);
    EXPECT_TRUE(SearchFoldersToRestore({}, *locale, exists).empty());
}

TEST(SettingsFileTest, FilterRowsAreRestoredSortedByMask) {
    const std::unique_ptr<platform::Locale> locale = platform::CreateLocale("en_US");
    EXPECT_EQ(FilterRowsToRestore({{"*.txt", "Text", true},
                                   {"*.BMP", "Bitmap", false},
                                   {"*.*", "All Files", false},
                                   {"*.bmp", "bitmap, again", true},
                                   {"*.bmp", "bitmap, third", false},
                                   {"*.gif", "GIF", false}},
                                  *locale),
              (std::vector<FilterRow>{{"*.*", "All Files", false},
                                      {"*.BMP", "Bitmap", false},
                                      {"*.bmp", "bitmap, again", true},
                                      {"*.bmp", "bitmap, third", false},
                                      {"*.gif", "GIF", false},
                                      {"*.txt", "Text", true}}));
}

TEST(SettingsFileTest, SavingReplacesTheWholeFile) {
    TempTree tree{{"s.ini", Content("[Options]\r\nOld Key=1\r\n[Old Section]\r\nx=y\r\n")}};
    const std::string path = tree.Path("s.ini");
    WriteSettingsFile(path, Sample());
    EXPECT_EQ(ReadWholeFile(path), SettingsText(Sample()));
    EXPECT_EQ(ReadSettingsFile(path), Sample());
    EXPECT_EQ(NamesIn(tree.Root()), std::set<std::string>{"s.ini"});
}

TEST(SettingsFileTest, FailuresNameTheFileAndLeaveTheOldOneAlone) {
    TempTree tree{{"old.ini", Content("[Options]\r\nHidden=0\r\n")}, {"folder.ini/", Folder()}};
    for (const std::string& path :
         {tree.Path("missing/s.ini"), tree.Path("folder.ini"), tree.Path("folder.ini/")}) {
        try {
            WriteSettingsFile(path, Sample());
            ADD_FAILURE() << path;
        } catch (const FileError& error) {
            EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
        }
    }
    EXPECT_THROW(ReadSettingsFile(tree.Path("missing.ini")), FileError);
    EXPECT_EQ(ReadWholeFile(tree.Path("old.ini")), "[Options]\r\nHidden=0\r\n");
}

#ifndef _WIN32
// The disk fills up half-way through the write: in a child process limited to a file size far
// below the settings text, which is where the write stops.
TEST(SettingsFileTest, AWriteThatFailsHalfWayKeepsTheOldFile) {
    const std::string oldText = SettingsText(Sample());
    TempTree tree{{"Default.ini", Content(oldText)}};
    const std::string path = tree.Path("Default.ini");

    SettingsFile big = Sample();
    big.search.searchFolders = Numbered("/a/rather/long/folder/name/to/fill/the/file/", 2000);
    ASSERT_GT(SettingsText(big).size(), 64'000u);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
        const rlimit limit{16'384, 16'384};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            WriteSettingsFile(path, big);
        } catch (const FileError& error) {
            ::_exit(std::string(error.what()) == "Unable to write to " + path ? 0 : 2);
        }
        ::_exit(1);  // reported success
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the failed write was reported as done; 2: wrong text";

    EXPECT_EQ(ReadWholeFile(path), oldText);
    EXPECT_EQ(NamesIn(tree.Root()), std::set<std::string>{"Default.ini"});  // no temporary left
}

// Tests run as root, who may write anywhere: the unprivileged cases run in a child process as
// "nobody", which reports the folder it was given through a pipe.
std::string SettingsFolderAsNobody(const std::string& programFolder, const char* home,
                                   const char* configHome) {
    int fds[2];
    if (::pipe(fds) != 0) {
        return "pipe failed";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
            ::setresuid(65534, 65534, 65534) != 0) {
            ::_exit(3);
        }
        ::setenv("HOME", home, 1);
        if (configHome != nullptr) {
            ::setenv("XDG_CONFIG_HOME", configHome, 1);
        } else {
            ::unsetenv("XDG_CONFIG_HOME");
        }
        const std::string folder = SettingsFolder(programFolder);
        const std::string path = DefaultSettingsPath(programFolder);
        const std::string report = folder + "\n" + path;
        const bool written =
            ::write(fds[1], report.data(), report.size()) == static_cast<ssize_t>(report.size());
        ::_exit(written ? 0 : 4);
    }
    ::close(fds[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
        report.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    return report;
}

TEST(SettingsFileTest, DefaultSettingsLiveInTheProgramFolderOnlyWhenItIsWritable) {
    TempTree tree{{"prog/", Folder().WithMode(0755)},
                  {"portable/", Folder().WithMode(0777)},
                  {"home/", Folder().WithMode(0777)},
                  {"config/", Folder().WithMode(0777)}};
    ::chmod(tree.Root().c_str(), 0755);  // let "nobody" reach into the tree

    // Writable by the user: a portable copy, settings beside the program.
    EXPECT_EQ(SettingsFolder(tree.Path("prog")), tree.Path("prog/"));
    EXPECT_EQ(DefaultSettingsPath(tree.Path("prog/")), tree.Path("prog/Default.ini"));
    EXPECT_EQ(SettingsFolderAsNobody(tree.Path("portable/"), "/nonexistent", nullptr),
              tree.Path("portable/") + "\n" + tree.Path("portable/Default.ini"));

    // Installed where the user may not write: the per-user configuration folder, made on demand.
    struct Case {
        std::optional<std::string> configHome;  // none: unset
        std::string expected;
    };
    const std::string home = tree.Path("home");
    const Case cases[] = {
        {std::nullopt, tree.Path("home/.config/Quillmere/")},
        {"", tree.Path("home/.config/Quillmere/")},
        {"relative/config", tree.Path("home/.config/Quillmere/")},  // ignored, as it must be
        {tree.Path("config"), tree.Path("config/Quillmere/")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SettingsFolderAsNobody(tree.Path("prog/"), home.c_str(),
                                         c.configHome ? c.configHome->c_str() : nullptr),
                  c.expected + "\n" + c.expected + "Default.ini")
            << c.configHome.value_or("(unset)");
        struct stat info {};
        ASSERT_EQ(::stat(c.expected.c_str(), &info), 0) << c.expected;
        EXPECT_TRUE(S_ISDIR(info.st_mode));
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
    }

    // A relative $HOME is no home: the password database's entry stands in. There (in
    // "/nonexistent", as a rule) nothing can be made; the path comes back all the same, and
    // writing Default.ini will say what went wrong.
    const passwd* nobody = ::getpwuid(65534);
    ASSERT_NE(nobody, nullptr);
    const std::string fallback = std::string(nobody->pw_dir) + "/.config/Quillmere/";
    EXPECT_EQ(SettingsFolderAsNobody(tree.Path("prog/"), "relative/home", nullptr),
              fallback + "\n" + fallback + "Default.ini");
}
#endif

}  // namespace
}  // namespace qm::storage
