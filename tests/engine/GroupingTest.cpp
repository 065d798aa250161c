#include "engine/Grouping.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/FileCollection.h"
#include "platform/Locale.h"
#include "support/RecordingSearchHost.h"
#include "support/TempTree.h"

namespace qm::engine {
namespace {

// A file as the grouping sees it; id 0 means "own inode" (made unique below). Paths are written
// with "/" and given to the grouping with the system's separator.
struct FileSpec {
    std::int64_t size;
    std::string path;
    std::uint64_t inode = 0;
};

// One expected line: group, Extension key, path.
struct Expected {
    std::int64_t group;
    std::string extensionKey;
    std::string path;
    bool operator==(const Expected&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Expected& line) {
    return out << line.group << "|" << line.extensionKey << "|" << line.path;
}

ScanList MakeScanList(const std::vector<FileSpec>& files) {
    ScanList list;
    std::uint64_t nextInode = 1000;
    for (const FileSpec& file : files) {
        list.Add(file.size, test::NativePath(file.path), 1'136'473'446'000'000'000,
                 {1, file.inode != 0 ? file.inode : nextInode++});
    }
    return list;
}

std::vector<Expected> Lines(const DuplicateList& list) {
    std::vector<Expected> lines;
    for (const DuplicateEntry& entry : list) {
        lines.push_back({entry.group, entry.extensionKey, test::PortablePath(entry.path)});
    }
    return lines;
}

class GroupingTest : public ::testing::Test {
protected:
    std::unique_ptr<platform::Locale> m_locale = platform::CreateLocale("en_US");
    test::RecordingSearchHost m_host;
};

struct MethodCase {
    const char* name;
    Method method;
    std::vector<FileSpec> files;  // in ScanList order: size, then path
    std::vector<Expected> expected;
};

class GroupingMethodTest : public GroupingTest, public ::testing::WithParamInterface<MethodCase> {};

TEST_P(GroupingMethodTest, FindsTheSetsInListOrder) {
    const MethodCase& c = GetParam();
    ScanList scan = MakeScanList(c.files);
    DuplicateList duplicates;
    switch (c.method) {
        case Method::SizeOnly:
            FindSizeDuplicates(scan, duplicates, m_host, *m_locale);
            break;
        case Method::NameOnly:
            FindNameDuplicates(scan, duplicates, false, m_host, *m_locale);
            break;
        case Method::NameAndSize:
            FindNameDuplicates(scan, duplicates, true, m_host, *m_locale);
            break;
        default:
            FAIL() << "content methods are tested elsewhere";
    }
    EXPECT_EQ(Lines(duplicates), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GroupingMethodTest,
    ::testing::Values(
        MethodCase{"SizeDropsTheOddSize",
                   Method::SizeOnly,
                   {{10, "/d/a.txt"}, {10, "/d/b.txt"}, {11, "/d/c.txt"}},
                   {{1, "*.TXT", "/d/a.txt"}, {1, "*.TXT", "/d/b.txt"}}},
        // The later file of each pair gives the key; b.txt stands once in its set.
        MethodCase{"SizeKeyFromLaterFileEachFileOnce",
                   Method::SizeOnly,
                   {{10, "/d/a.doc"}, {10, "/d/b.txt"}, {10, "/d/c.doc"}},
                   {{1, "*.DOC", "/d/b.txt"}, {1, "*.DOC", "/d/c.doc"}, {1, "*.TXT", "/d/a.doc"}}},
        // The 10-byte set runs on from *.DOC into *.TXT only where they meet; the 20-byte set
        // between keeps them apart.
        MethodCase{"SizeGroupsAcrossExtensions",
                   Method::SizeOnly,
                   {{10, "/d/a.doc"},
                    {10, "/d/b.doc"},
                    {10, "/d/e.txt"},
                    {20, "/d/c.doc"},
                    {20, "/d/d.doc"}},
                   {{1, "*.DOC", "/d/a.doc"},
                    {1, "*.DOC", "/d/b.doc"},
                    {2, "*.DOC", "/d/c.doc"},
                    {2, "*.DOC", "/d/d.doc"},
                    {3, "*.TXT", "/d/b.doc"},
                    {3, "*.TXT", "/d/e.txt"}}},
        MethodCase{"SizeOneGroupAcrossAnExtensionChange",
                   Method::SizeOnly,
                   {{10, "/d/a.doc"}, {10, "/d/b.doc"}, {10, "/d/c.txt"}, {10, "/d/d.txt"}},
                   {{1, "*.DOC", "/d/a.doc"},
                    {1, "*.DOC", "/d/b.doc"},
                    {1, "*.TXT", "/d/c.txt"},
                    {1, "*.TXT", "/d/d.txt"}}},
        MethodCase{"SizeSameFileTwiceIsOneFile",
                   Method::SizeOnly,
                   {{10, "/d/a.htm"},
                    {10, "/d/a.htm"},
                    {10, "/d/b.htm"},
                    {20, "/d/c.htm"},
                    {20, "/d/c.htm"}},
                   {{1, "*.HTM", "/d/a.htm"}, {1, "*.HTM", "/d/b.htm"}}},
        // Two names of one inode are one file: the first path stays.
        MethodCase{"SizeHardLinkIsOneFile",
                   Method::SizeOnly,
                   {{10, "/d/a.txt", 7}, {10, "/d/b.txt", 7}, {10, "/d/c.txt"}},
                   {{1, "*.TXT", "/d/a.txt"}, {1, "*.TXT", "/d/c.txt"}}},
        MethodCase{"SizeHardLinksOnlyFindNothing",
                   Method::SizeOnly,
                   {{10, "/d/a.txt", 7}, {10, "/e/a.txt", 7}},
                   {}},
        MethodCase{"SizeBeyondFourGiB",
                   Method::SizeOnly,
                   {{5'000'000'000, "/d/a.iso"},
                    {5'000'000'000, "/d/b.iso"},
                    {5'000'000'001, "/d/c.iso"},
                    {705'032'704, "/d/d.iso"}},  // the low 32 bits of 5,000,000,000
                   {{1, "*.ISO", "/d/a.iso"}, {1, "*.ISO", "/d/b.iso"}}},
        MethodCase{"NameIgnoresCaseOfAToZAndFolder",
                   Method::NameOnly,
                   {{10, "/c/A/Report.doc"}, {20, "/d/B/REPORT.DOC"}, {30, "/d/B/other.doc"}},
                   {{1, "*.DOC", "/c/A/Report.doc"}, {1, "*.DOC", "/d/B/REPORT.DOC"}}},
        // é and É collate equal but are different Name keys; the two é files are still found
        // although the É file sorts between them.
        MethodCase{"NameOtherLettersKeepTheirCase",
                   Method::NameOnly,
                   {{1, "/a/\xC3\xA9.txt"}, {2, "/b/\xC3\x89.txt"}, {3, "/c/\xC3\xA9.txt"}},
                   {{1, "*.TXT", "/a/\xC3\xA9.txt"}, {1, "*.TXT", "/c/\xC3\xA9.txt"}}},
        MethodCase{"NameAndSizeSortedSizes",
                   Method::NameAndSize,
                   {{100, "/a/x.txt"}, {100, "/b/x.txt"}, {200, "/c/x.txt"}, {200, "/d/x.txt"}},
                   {{1, "*.TXT", "/a/x.txt"},
                    {1, "*.TXT", "/b/x.txt"},
                    {2, "*.TXT", "/c/x.txt"},
                    {2, "*.TXT", "/d/x.txt"}}},
        // Sizes 100, 200, 100, 200 in path order: both pairs are found.
        MethodCase{"NameAndSizeInterleavedSizes",
                   Method::NameAndSize,
                   {{100, "/a/x.txt"}, {100, "/c/x.txt"}, {200, "/b/x.txt"}, {200, "/d/x.txt"}},
                   {{1, "*.TXT", "/a/x.txt"},
                    {1, "*.TXT", "/c/x.txt"},
                    {2, "*.TXT", "/b/x.txt"},
                    {2, "*.TXT", "/d/x.txt"}}},
        MethodCase{"NameAndSizeNeedsBoth",
                   Method::NameAndSize,
                   {{100, "/a/x.txt"}, {100, "/b/y.txt"}, {200, "/c/x.txt"}},
                   {}}),
    [](const ::testing::TestParamInfo<MethodCase>& param) {
        return std::string(param.param.name);
    });

TEST_F(GroupingTest, SizeOnlyTouchesNoProgressArea) {
    ScanList scan = MakeScanList({{10, "/d/a"}, {10, "/d/b"}});
    DuplicateList duplicates;
    FindSizeDuplicates(scan, duplicates, m_host, *m_locale);
    EXPECT_TRUE(m_host.ProgressVisibility().empty());
    EXPECT_EQ(m_host.StatusTexts(), std::vector<std::string>{"Sorting the file list."});
    ASSERT_EQ(duplicates.size(), 2u);
    EXPECT_EQ(duplicates[0].extensionKey, "(None)");
    EXPECT_EQ(scan.size(), 2u);
}

TEST_F(GroupingTest, NameMethodsShowBuildingTextWithProgressArea) {
    for (bool withSize : {false, true}) {
        test::RecordingSearchHost host;
        ScanList scan = MakeScanList({{10, "/d/a.txt"}, {10, "/e/A.TXT"}});
        DuplicateList duplicates;
        FindNameDuplicates(scan, duplicates, withSize, host, *m_locale);
        EXPECT_EQ(host.ProgressVisibility(), (std::vector<bool>{true, false}));
        EXPECT_EQ(host.StatusTexts(), (std::vector<std::string>{"Building list of duplicate files.",
                                                                "Sorting the file list."}));
        ASSERT_EQ(duplicates.size(), 2u);
        EXPECT_EQ(duplicates[0].nameKey, "A.TXT");
        EXPECT_EQ(duplicates[1].nameKey, "A.TXT");
    }
}

TEST_F(GroupingTest, LineTextsOfTheFinishedList) {
    ScanList scan = MakeScanList({{12345, "/d/b.txt"}, {12345, "/d/c.doc"}});
    DuplicateList duplicates;
    FindSizeDuplicates(scan, duplicates, m_host, *m_locale);
    ASSERT_EQ(duplicates.size(), 2u);
    const std::string date = DateText(scan[0].lastWrite, *m_locale);
    EXPECT_EQ(DuplicateLineText(duplicates[0], Method::SizeOnly, *m_locale),
              "000001|*.DOC|0000012345|" + test::NativePath("/d/b.txt") + "|" + date);
    EXPECT_EQ(DuplicateLineText(duplicates[1], Method::SizeOnly, *m_locale),
              "000001|*.DOC|0000012345|" + test::NativePath("/d/c.doc") + "|" + date);
}

TEST_F(GroupingTest, KeepSizeNeighboursKeepsSharedSizesInOrder) {
    ScanList scan =
        MakeScanList({{5, "/z"}, {3, "/b"}, {5, "/a"}, {4, "/c"}, {3, "/b"}, {3, "/d"}});
    KeepSizeNeighbours(scan);
    std::vector<std::string> paths;
    for (const ScanEntry& entry : scan) paths.push_back(test::PortablePath(entry.Path()));
    EXPECT_EQ(paths, (std::vector<std::string>{"/b", "/d", "/z", "/a"}));
}

// A list in size order only (as the content methods collect it) keeps, of the entries of one
// file, the same one as the fully sorted list would.
TEST_F(GroupingTest, RepeatedFilesOfASizeOrderedListKeepTheEntryOfTheSortedList) {
    ScanList scan = MakeScanList(
        {{5, "/z/x"}, {5, "/B/x"}, {5, "/a/x"}, {7, "/q"}, {5, "/c"}, {7, "/p"}, {5, "/z/x"}});
    scan[0].id = scan[1].id = scan[2].id = {1, 100};  // one file through three paths
    scan[6].id = {1, 200};                            // the path again, a new file now
    scan[3].id = scan[5].id = {1, 300};               // a hard link
    ScanList sorted = scan;
    SortScanList(sorted, *m_locale);
    RemoveRepeatedFiles(sorted);
    StableSortBySize(scan);
    RemoveRepeatedFiles(scan, *m_locale);
    SortScanList(scan, *m_locale);
    auto paths = [](const ScanList& list) {
        std::vector<std::string> result;
        for (const ScanEntry& entry : list) result.push_back(test::PortablePath(entry.Path()));
        return result;
    };
    EXPECT_EQ(paths(scan), paths(sorted));
    EXPECT_EQ(paths(scan), (std::vector<std::string>{"/a/x", "/c", "/p"}));
}

TEST_F(GroupingTest, UnknownIdsFallBackToThePath) {
    ScanList scan = MakeScanList({{5, "/a"}, {5, "/b"}});
    for (ScanEntry& entry : scan) entry.id = {};
    RemoveRepeatedFiles(scan);
    EXPECT_EQ(scan.size(), 2u);
}

// The set head, the numbering and the lines are the same whatever order the sets were handed
// in: the order comes from the files' keys alone.
TEST_F(GroupingTest, PairNeighboursOrdersBySetContentNotInputOrder) {
    ScanList files;  // owns the folders the members point into
    auto member = [&files](std::int64_t size, const char* path, std::size_t set,
                           std::uint32_t crc) {
        SetMember m;
        m.entry = files.Add(size, path);
        m.set = set;
        m.checksum = crc;
        return m;
    };
    // Two sets of equal size and checksum (a collision) whose paths interleave.
    std::vector<SetMember> members = {member(8, "/d/a.bin", 0, 7), member(8, "/d/c.bin", 0, 7),
                                      member(8, "/d/b.bin", 1, 7), member(8, "/d/d.bin", 1, 7)};
    DuplicateList duplicates;
    NumberGroups(PairNeighbours(members, Method::ContentsOnly, *m_locale), duplicates, m_host);
    EXPECT_EQ(Lines(duplicates), (std::vector<Expected>{{1, "*.BIN", "/d/a.bin"},
                                                        {1, "*.BIN", "/d/c.bin"},
                                                        {2, "*.BIN", "/d/b.bin"},
                                                        {2, "*.BIN", "/d/d.bin"}}));
    std::reverse(members.begin(), members.end());
    DuplicateList reversed;
    NumberGroups(PairNeighbours(members, Method::ContentsOnly, *m_locale), reversed, m_host);
    EXPECT_EQ(Lines(reversed), Lines(duplicates));
}

}  // namespace
}  // namespace qm::engine
