#include "engine/ContentComparison.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/FileCollection.h"
#include "foundation/CRC32.h"
#include "platform/Locale.h"
#include "support/FaultyFileSystem.h"
#include "support/RecordingSearchHost.h"
#include "support/TempTree.h"

namespace qm::engine {
namespace {

using test::Content;
using test::TempTree;
using test::TreeEntry;

using Groups = std::set<std::set<std::string>>;  // relative paths per group

std::uint32_t CrcOf(const std::string& bytes) {
    std::uint32_t reg = 0;
    foundation::UpdateChecksum(bytes.data(), bytes.size(), reg);
    return reg;
}

// prefix followed by four bytes that make the CRC-32 of the whole come out as target. The CRC
// is linear and its table's top bytes are all different, so the four table indices can be
// found backwards from the target and the bytes that select them forwards from the prefix.
std::string ForceCrc(const std::string& prefix, std::uint32_t target) {
    std::uint32_t table[256];
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t reg = i;
        for (int bit = 0; bit < 8; ++bit) reg = (reg >> 1) ^ ((reg & 1u) ? 0xEDB88320u : 0u);
        table[i] = reg;
    }
    std::uint8_t index[4];
    std::uint32_t reg = target;
    for (int k = 3; k >= 0; --k) {
        int found = -1;
        for (int i = 0; i < 256; ++i) {
            if ((table[i] >> 24) == (reg >> 24))
                found = i;
        }
        index[k] = static_cast<std::uint8_t>(found);
        reg = (reg ^ table[found]) << 8;
    }
    std::string bytes = prefix;
    std::uint32_t state = CrcOf(prefix);
    for (int k = 0; k < 4; ++k) {
        bytes += static_cast<char>(index[k] ^ (state & 0xFFu));
        state = table[index[k]] ^ (state >> 8);
    }
    return bytes;
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

class ContentComparisonTest : public ::testing::Test {
protected:
    // The ScanList of tree's files as the collection would sort it.
    ScanList Scan(const TempTree& tree, const std::vector<std::string>& relatives) {
        ScanList list;
        for (const std::string& relative : relatives) {
            const std::string path = tree.Path(relative);
            const platform::FileFacts facts = platform::SystemFileSystem().Stat(path);
            EXPECT_TRUE(facts.exists) << path;
            list.Add(facts.size, path, facts.lastWrite, facts.id);
        }
        SortScanList(list, *m_locale);
        return list;
    }

    static Groups GroupsOf(const DuplicateList& list, const TempTree& tree) {
        std::map<std::int64_t, std::set<std::string>> byGroup;
        for (const DuplicateEntry& entry : list) {
            byGroup[entry.group].insert(test::PortablePath(entry.path.substr(tree.Root().size())));
        }
        Groups groups;
        for (auto& [group, paths] : byGroup) groups.insert(paths);
        return groups;
    }

    // What every finished list must hold: groups numbered 1, 2, ... in list order; within a
    // group one size, one checksum, each file once, and that checksum the file's CRC-32; lines
    // ordered by Extension key, size and checksum.
    void ExpectSoundList(const DuplicateList& list, bool checkCrc = true) {
        std::int64_t group = 0;
        std::set<std::string> inGroup;
        for (std::size_t i = 0; i < list.size(); ++i) {
            const DuplicateEntry& entry = list[i];
            if (entry.group != group) {
                EXPECT_EQ(entry.group, group + 1) << "line " << i;
                group = entry.group;
                inGroup.clear();
            } else {
                EXPECT_EQ(entry.size, list[i - 1].size);
                EXPECT_EQ(entry.checksum, list[i - 1].checksum);
            }
            EXPECT_TRUE(inGroup.insert(entry.path).second) << entry.path << " twice in a group";
            if (checkCrc) {
                EXPECT_EQ(entry.checksum, CrcOf(ReadWhole(entry.path))) << entry.path;
            }
            if (i > 0 && list[i - 1].extensionKey == entry.extensionKey) {
                EXPECT_LE(std::make_pair(list[i - 1].size, list[i - 1].checksum),
                          std::make_pair(entry.size, entry.checksum));
            }
        }
    }

    std::unique_ptr<platform::Locale> m_locale = platform::CreateLocale("en_US");
};

enum class Fault { None, FailOpen, Vanish, FailReadHalfway };

struct ContentCase {
    const char* name;
    Method method;
    std::vector<TreeEntry> files;
    Groups expected;
    std::vector<std::pair<std::string, Fault>> faults = {};
    std::vector<std::string> neverOpened = {};
    std::vector<std::string> listedTwice = {};  // as by two overlapping masks
};

class ContentCaseTest : public ContentComparisonTest,
                        public ::testing::WithParamInterface<ContentCase> {};

TEST_P(ContentCaseTest, ReportsExactlyTheByteIdenticalSets) {
    const ContentCase& c = GetParam();
    TempTree tree;
    std::vector<std::string> relatives;
    for (const TreeEntry& entry : c.files) {
        tree.Add(entry);
        relatives.push_back(entry.path);
    }
    for (const std::string& twice : c.listedTwice) relatives.push_back(twice);
    ScanList scan = Scan(tree, relatives);

    test::FaultyFileSystem fileSystem;
    std::int64_t faults = 0;
    for (const auto& [relative, fault] : c.faults) {
        const std::string path = tree.Path(relative);
        ++faults;
        switch (fault) {
            case Fault::FailOpen:
                fileSystem.FailOpen(path);
                break;
            case Fault::Vanish:
                fileSystem.Vanish(path);
                break;
            case Fault::FailReadHalfway:
                fileSystem.FailReadAfter(path, std::filesystem::file_size(path) / 2);
                break;
            case Fault::None:
                --faults;
                break;
        }
    }

    test::RecordingSearchHost host;
    ContentContext context{host, fileSystem, *m_locale, 5, {}};
    DuplicateList duplicates;
    if (c.method == Method::ContentsOnly) {
        FindContentDuplicates(scan, duplicates, context);
    } else {
        FindContentAndNameDuplicates(scan, duplicates, context);
    }
    EXPECT_EQ(GroupsOf(duplicates, tree), c.expected);
    ExpectSoundList(duplicates);
    // Unreadable files are counted on top of the ignored files shown before.
    EXPECT_EQ(context.filesIgnored, 5 + faults);
    if (faults > 0) {
        EXPECT_EQ(host.CounterValue(Counter::FilesIgnored), 5 + faults);
    }
    // Each file is opened once and read at most once to its end.
    for (const TreeEntry& entry : c.files) {
        const std::string path = tree.Path(entry.path);
        EXPECT_LE(fileSystem.OpenCount(path), 1) << entry.path;
        EXPECT_LE(fileSystem.BytesRead(path), std::int64_t(std::filesystem::file_size(path)))
            << entry.path;
    }
    for (const std::string& relative : c.neverOpened) {
        EXPECT_EQ(fileSystem.OpenCount(tree.Path(relative)), 0) << relative;
    }
}

const std::string kBlock = TempTree::Bytes(10'000, 1);
const std::string kCollisionA = ForceCrc(std::string(100, 'A'), 0x12345678);
const std::string kCollisionB = ForceCrc(std::string(100, 'B'), 0x12345678);
// Equal first 8,000 bytes, different middles, same CRC: only the full comparison tells.
const std::string kLongCollisionA =
    ForceCrc(kBlock.substr(0, 8000) + std::string(2000, 'a'), 0xCAFEF00D);
const std::string kLongCollisionB =
    ForceCrc(kBlock.substr(0, 8000) + std::string(2000, 'b'), 0xCAFEF00D);

INSTANTIATE_TEST_SUITE_P(
    Cases, ContentCaseTest,
    ::testing::Values(ContentCase{"TwoOfThreeEqualOddSizeNeverRead",
                                  Method::ContentsOnly,
                                  {{"a.txt", Content("hello")},
                                   {"b.txt", Content("hello")},
                                   {"c.txt", Content("world")},
                                   {"d.txt", Content("hello!")}},
                                  {{"a.txt", "b.txt"}},
                                  {},
                                  {"d.txt"}},
                      ContentCase{"EmptyFilesPair",
                                  Method::ContentsOnly,
                                  {{"e1.dat", Content("")}, {"e2.dat", Content("")}},
                                  {{"e1.dat", "e2.dat"}}},
                      // Each empty file is opened: one that cannot be is no duplicate.
                      ContentCase{"EmptyFilesThatCannotBeOpened",
                                  Method::ContentsOnly,
                                  {{"e1", Content("")}, {"e2", Content("")}, {"e3", Content("")}},
                                  {{"e1", "e3"}},
                                  {{"e2", Fault::FailOpen}}},
                      // Every all-zero file has checksum 0: sizes still keep them apart.
                      ContentCase{"ZeroFilesOfOtherSizesApart",
                                  Method::ContentsOnly,
                                  {{"z1", test::Zeros(10)},
                                   {"z2", test::Zeros(10)},
                                   {"z3", test::Zeros(20)},
                                   {"z4", test::Zeros(20)},
                                   {"z5", test::Zeros(30)},
                                   {"e", Content("")}},
                                  {{"z1", "z2"}, {"z3", "z4"}}},
                      ContentCase{"CrcCollisionIsNoDuplicate",
                                  Method::ContentsOnly,
                                  {{"a.bin", Content(kCollisionA)},
                                   {"b.bin", Content(kCollisionB)},
                                   {"c.bin", Content(kCollisionA)}},
                                  {{"a.bin", "c.bin"}}},
                      ContentCase{"CrcCollisionBeyondTheHead",
                                  Method::ContentsOnly,
                                  {{"a.bin", Content(kLongCollisionA)},
                                   {"b.bin", Content(kLongCollisionB)},
                                   {"c.bin", Content(kLongCollisionB)},
                                   {"d.bin", Content(kLongCollisionA)}},
                                  {{"a.bin", "d.bin"}, {"b.bin", "c.bin"}}},
                      ContentCase{"DiffersOnlyInLastByte",
                                  Method::ContentsOnly,
                                  {{"a", test::Size(300'000, 3)},
                                   {"b", test::Size(300'000, 3).WithPatch(299'999, "\x01")},
                                   {"c", test::Size(300'000, 3)}},
                                  {{"a", "c"}}},
                      ContentCase{"UnreadableAndVanishedNeverReported",
                                  Method::ContentsOnly,
                                  {{"a", Content("data")},
                                   {"b", Content("data")},
                                   {"c", Content("data")},
                                   {"d", Content("data")},
                                   {"x1", Content("qq")},
                                   {"x2", Content("qq")}},
                                  {{"a", "d"}},
                                  {{"b", Fault::FailOpen},
                                   {"c", Fault::Vanish},
                                   {"x1", Fault::FailOpen},
                                   {"x2", Fault::FailOpen}}},
                      ContentCase{"ReadErrorHalfway",
                                  Method::ContentsOnly,
                                  {{"a", test::Size(500'000, 9)},
                                   {"b", test::Size(500'000, 9)},
                                   {"c", test::Size(500'000, 9)}},
                                  {{"a", "c"}},
                                  {{"b", Fault::FailReadHalfway}}},
                      ContentCase{"VanishedEmptyFile",
                                  Method::ContentsOnly,
                                  {{"e1", Content("")}, {"e2", Content("")}, {"e3", Content("")}},
                                  {{"e1", "e3"}},
                                  {{"e2", Fault::Vanish}}},
                      // Two names of one inode are one file; the first in list order speaks for it.
                      ContentCase{"HardLinkIsOneFile",
                                  Method::ContentsOnly,
                                  {{"a.txt", Content("same")},
                                   {"l.txt", test::HardLinkTo("a.txt")},
                                   {"m.txt", Content("solo")},
                                   {"n.txt", test::HardLinkTo("m.txt")},
                                   {"z.txt", Content("same")}},
                                  {{"a.txt", "z.txt"}}},
                      ContentCase{"FileUnderTwoMasksIsOneFile",
                                  Method::ContentsOnly,
                                  {{"a.html", Content("page")}, {"b.html", Content("other")}},
                                  {},
                                  {},
                                  {},
                                  {"a.html"}},
                      ContentCase{"ContentsAndNameNeedsTheName",
                                  Method::ContentsAndName,
                                  {{"a/report.doc", Content("memo")},
                                   {"b/report.doc", Content("memo")},
                                   {"b/report2.doc", Content("memo")}},
                                  {{"a/report.doc", "b/report.doc"}}},
                      // A same-content file of another name between them does not hide the pair.
                      ContentCase{"ContentsAndNameOtherNameBetween",
                                  Method::ContentsAndName,
                                  {{"a/report.doc", Content("memo")},
                                   {"b/other.doc", Content("memo")},
                                   {"c/report.doc", Content("memo")}},
                                  {{"a/report.doc", "c/report.doc"}}},
                      ContentCase{"ContentsAndNameTwoPairs",
                                  Method::ContentsAndName,
                                  {{"a/x.txt", Content("1111")},
                                   {"b/x.txt", Content("1111")},
                                   {"a/y.txt", Content("2222")},
                                   {"b/y.txt", Content("2222")}},
                                  {{"a/x.txt", "b/x.txt"}, {"a/y.txt", "b/y.txt"}}},
                      ContentCase{"ContentsAndNameEqualNamesOtherContent",
                                  Method::ContentsAndName,
                                  {{"a/x.txt", Content("1111")}, {"b/x.txt", Content("2222")}},
                                  {}}),
    [](const ::testing::TestParamInfo<ContentCase>& param) {
        return std::string(param.param.name);
    });

// ---- The compared file is the listed file ----------------------------------------------------

// Writes bytes at offset of the file at path, in place (same file, nothing cut off).
void Overwrite(const std::string& path, std::int64_t offset, const std::string& bytes) {
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    ASSERT_TRUE(file.is_open()) << path;
    file.seekp(offset);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    ASSERT_FALSE(file.fail()) << path;
}

void Append(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::app) << bytes;
}

void SetLastWrite(const std::string& path, platform::FileTime time) {
    ASSERT_TRUE(test::SetLastWriteTime(path, time)) << path;
}

// A listed file that is swapped, rewritten or replaced after the listing or while it is read is
// never reported; it is named to the host and counted with the ignored files.
struct ChangeCase {
    const char* name;
    std::vector<TreeEntry> listed;  // the ScanList
    // What happens to the tree after the listing: at once, or at a step of the reading
    // (FaultyFileSystem::AtBytesRead).
    std::function<void(TempTree&, test::FaultyFileSystem&)> change;
    Groups expected;
    std::vector<std::string> ignored;  // named to the host, in this order
    std::string reason;                // the reason given for each of them
    std::vector<TreeEntry> unlisted = {};
    // Files kept open at once: 1 closes every file but the first after its head and opens it
    // again for the rest.
    std::size_t maxOpenFiles = 32;
};

void PrintTo(const ChangeCase& c, std::ostream* out) {
    *out << c.name;
}

class ChangeCaseTest : public ContentComparisonTest,
                       public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(ChangeCaseTest, OnlyTheListedFileUnchangedIsCompared) {
    const ChangeCase& c = GetParam();
    if (std::string_view(c.name).find("SymbolicLink") != std::string_view::npos) {
        QM_SKIP_ON_WINDOWS("symbolic links");
    }
    if (std::string_view(c.name) == "RenamedOverBetweenHeadAndRest") {
        // The open handle reads on in the file that was listed, which nothing changed: its
        // bytes are compared as they are, so there is no change to see.
        QM_SKIP_ON_WINDOWS("the replaced file stays readable through its handle");
    }
    TempTree tree;
    std::vector<std::string> relatives;
    for (const TreeEntry& entry : c.listed) {
        tree.Add(entry);
        relatives.push_back(entry.path);
    }
    for (const TreeEntry& entry : c.unlisted) tree.Add(entry);
    ScanList scan = Scan(tree, relatives);

    test::FaultyFileSystem fileSystem;
    c.change(tree, fileSystem);
    test::RecordingSearchHost host;
    ContentContext context{host, fileSystem, *m_locale, 0, {}};
    context.options.workerThreads = 1;
    context.options.maxOpenFiles = c.maxOpenFiles;
    DuplicateList duplicates;
    FindContentDuplicates(scan, duplicates, context);

    EXPECT_EQ(GroupsOf(duplicates, tree), c.expected);
    ExpectSoundList(duplicates);
    std::vector<std::string> named;
    for (const auto& item : host.SkippedItems()) {
        EXPECT_EQ(item.what, Skipped::UnreadableFile);
        EXPECT_EQ(item.reason, c.reason) << item.path;
        named.push_back(test::PortablePath(item.path.substr(tree.Root().size())));
    }
    EXPECT_EQ(named, c.ignored);
    EXPECT_EQ(context.filesIgnored, std::int64_t(c.ignored.size()));
    EXPECT_EQ(host.CounterValue(Counter::FilesIgnored), std::int64_t(c.ignored.size()));
}

const std::string kHead = TempTree::Bytes(4096, 7);
const std::string kRestA = TempTree::Bytes(6000, 8);
const std::string kRestB = TempTree::Bytes(6000, 9);
// Listed long ago, so that any write during the search moves the time.
constexpr platform::FileTime kLongAgo = test::Seconds(1'000'000'000);

INSTANTIATE_TEST_SUITE_P(
    Cases, ChangeCaseTest,
    ::testing::Values(
        // b's head is read, then another file (other head, a's rest) is renamed over b: a's
        // head with the newcomer's rest would be equal to a, though no b ever was.
        ChangeCase{"RenamedOverBetweenHeadAndRest",
                   {{"a", Content(kHead + kRestA)}, {"b", Content(kHead + kRestB)}},
                   [](TempTree& tree, test::FaultyFileSystem& fs) {
                       fs.AtBytesRead(tree.Path("b"), 4096, [&tree] {
                           std::error_code error;
                           std::filesystem::rename(tree.Path("new/b"), tree.Path("b"), error);
                           ASSERT_FALSE(error) << error.message();
                       });
                   },
                   {},
                   {"b"},
                   "changed while it was read",
                   {{"new/b", Content(std::string(4096, 'n') + kRestA)}},
                   1},
        // The same file written over in place, its time set back: the head read again no
        // longer matches the one compared.
        ChangeCase{"HeadRewrittenBeforeItIsOpenedAgain",
                   {{"a", Content(kHead + kRestA).WithMTime(kLongAgo)},
                    {"b", Content(kHead + kRestA).WithMTime(kLongAgo)}},
                   [](TempTree& tree, test::FaultyFileSystem& fs) {
                       fs.AtBytesRead(tree.Path("b"), 4096, [&tree] {
                           Overwrite(tree.Path("b"), 10, "changed");
                           SetLastWrite(tree.Path("b"), kLongAgo);
                       });
                   },
                   {},
                   {"b"},
                   "changed while it was read",
                   {},
                   1},
        ChangeCase{"RewrittenWhileRead",
                   {{"a", test::Size(300'000, 4).WithMTime(kLongAgo)},
                    {"b", test::Size(300'000, 4).WithMTime(kLongAgo)},
                    {"c", test::Size(300'000, 4).WithMTime(kLongAgo)}},
                   [](TempTree& tree, test::FaultyFileSystem& fs) {
                       // Bytes already read: the rest still reads equal.
                       fs.AtBytesRead(tree.Path("b"), 4096,
                                      [&tree] { Overwrite(tree.Path("b"), 0, "X"); });
                   },
                   {{"a", "c"}},
                   {"b"},
                   "changed while it was read"},
        ChangeCase{"AppendedToWhileRead",
                   {{"a", test::Size(300'000, 5)},
                    {"b", test::Size(300'000, 5)},
                    {"c", test::Size(300'000, 5)}},
                   [](TempTree& tree, test::FaultyFileSystem& fs) {
                       fs.AtBytesRead(tree.Path("b"), 4096,
                                      [&tree] { Append(tree.Path("b"), "tail"); });
                   },
                   {{"a", "c"}},
                   {"b"},
                   "changed while it was read"},
        // A small file is read whole with its head: the check follows at once.
        ChangeCase{"SmallFileRewrittenWhileRead",
                   {{"a", Content("0123456789").WithMTime(kLongAgo)},
                    {"b", Content("0123456789").WithMTime(kLongAgo)}},
                   [](TempTree& tree, test::FaultyFileSystem& fs) {
                       fs.AtBytesRead(tree.Path("b"), 10,
                                      [&tree] { Overwrite(tree.Path("b"), 0, "9"); });
                   },
                   {},
                   {"b"},
                   "changed while it was read"},
        // The same when the file had to be closed after its head (too many open files).
        ChangeCase{"SmallFileRewrittenWhileReadAndClosed",
                   {{"a", Content("0123456789").WithMTime(kLongAgo)},
                    {"b", Content("0123456789").WithMTime(kLongAgo)}},
                   [](TempTree& tree, test::FaultyFileSystem& fs) {
                       fs.AtBytesRead(tree.Path("b"), 10,
                                      [&tree] { Overwrite(tree.Path("b"), 0, "9"); });
                   },
                   {},
                   {"b"},
                   "changed while it was read",
                   {},
                   1},
        // Replaced by a link to its partner after the listing: following it would report the
        // partner as a copy of itself, and deleting "the copy" would lose the only one.
        ChangeCase{"ReplacedBySymbolicLinkToItsPartner",
                   {{"a", Content("first")}, {"b", Content("other")}},
                   [](TempTree& tree, test::FaultyFileSystem&) {
                       tree.Remove("b");
                       tree.Add({"b", test::SymlinkTo(tree.Path("a"))});
                   },
                   {},
                   {"b"},
                   "replaced by a symbolic link"},
        ChangeCase{"ReplacedByHardLinkToItsPartner",
                   {{"a", Content("first")}, {"b", Content("other")}},
                   [](TempTree& tree, test::FaultyFileSystem&) {
                       tree.Remove("b");
                       tree.Add({"b", test::HardLinkTo("a")});
                   },
                   {},
                   {"b"},
                   "changed since it was listed"},
        ChangeCase{"EmptyFileFilledAfterTheListing",
                   {{"e1", Content("")}, {"e2", Content("")}, {"e3", Content("")}},
                   [](TempTree& tree, test::FaultyFileSystem&) { Append(tree.Path("e2"), "!"); },
                   {{"e1", "e3"}},
                   {"e2"},
                   "changed since it was listed"}),
    [](const ::testing::TestParamInfo<ChangeCase>& param) {
        return std::string(param.param.name);
    });

// Files of proc are listed as empty but read as text: none is equal to another, and none is
// taken as empty without being read.
TEST_F(ContentComparisonTest, EmptyPseudoFilesAreNeverEqual) {
    QM_SKIP_ON_WINDOWS("pseudo file systems");
    ScanList scan;
    std::vector<std::string> paths;
    for (const char* name : {"status", "stat", "statm", "cmdline", "comm", "environ"}) {
        const std::string path = std::string("/proc/self/") + name;
        const platform::FileFacts facts = platform::SystemFileSystem().Stat(path);
        ASSERT_TRUE(facts.exists) << path;
        ASSERT_EQ(facts.size, 0) << path;
        scan.Add(facts.size, path, facts.lastWrite, facts.id);
        paths.push_back(path);
    }
    test::RecordingSearchHost host;
    ContentContext context{host, platform::SystemFileSystem(), *m_locale, 0, {}};
    DuplicateList duplicates;
    FindContentDuplicates(scan, duplicates, context);
    EXPECT_TRUE(duplicates.empty());
    EXPECT_EQ(context.filesIgnored, std::int64_t(paths.size()));
    std::vector<std::string> named = host.SkippedPaths(Skipped::UnreadableFile);
    std::sort(named.begin(), named.end());
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(named, paths);
}

TEST_F(ContentComparisonTest, ForcedCrcReallyCollides) {
    EXPECT_NE(kCollisionA, kCollisionB);
    EXPECT_EQ(kCollisionA.size(), kCollisionB.size());
    EXPECT_EQ(CrcOf(kCollisionA), 0x12345678u);
    EXPECT_EQ(CrcOf(kCollisionB), 0x12345678u);
    EXPECT_EQ(CrcOf(kLongCollisionA), CrcOf(kLongCollisionB));
}

// a.txt, b.doc and c.txt of equal content: the pair keys come from the later file, b.doc stands
// once in its group, and the group runs on across the change of key.
TEST_F(ContentComparisonTest, ExtensionKeysAndSetHead) {
    TempTree tree{{"a.txt", Content("xyz")}, {"b.doc", Content("xyz")}, {"c.txt", Content("xyz")}};
    ScanList scan = Scan(tree, {"a.txt", "b.doc", "c.txt"});
    test::RecordingSearchHost host;
    ContentContext context{host, platform::SystemFileSystem(), *m_locale, 0, {}};
    DuplicateList duplicates;
    FindContentDuplicates(scan, duplicates, context);
    ASSERT_EQ(duplicates.size(), 3u);
    EXPECT_EQ(duplicates[0].extensionKey, "*.DOC");
    EXPECT_EQ(duplicates[0].path, tree.Path("a.txt"));
    EXPECT_EQ(duplicates[1].extensionKey, "*.DOC");
    EXPECT_EQ(duplicates[1].path, tree.Path("b.doc"));
    EXPECT_EQ(duplicates[2].extensionKey, "*.TXT");
    EXPECT_EQ(duplicates[2].path, tree.Path("c.txt"));
    for (const DuplicateEntry& entry : duplicates) {
        EXPECT_EQ(entry.group, 1);
        EXPECT_EQ(entry.checksum, CrcOf("xyz"));
        EXPECT_EQ(entry.size, 3);
    }
    EXPECT_EQ(DuplicateLineText(duplicates[0], Method::ContentsOnly, *m_locale),
              "000001|*.DOC|0000000003|" + ChecksumText(CrcOf("xyz")) + "|" + tree.Path("a.txt") +
                  "|" + DateText(duplicates[0].lastWrite, *m_locale));
}

TEST_F(ContentComparisonTest, StatusTextsAndProgressArea) {
    TempTree tree;
    std::vector<std::string> names;
    for (int i = 0; i < 250; ++i) {
        names.push_back("f" + std::to_string(i));
        tree.Add({names.back(), Content(std::to_string(i % 10) + "-content")});
    }
    for (Method method : {Method::ContentsOnly, Method::ContentsAndName}) {
        ScanList scan = Scan(tree, names);
        test::RecordingSearchHost host;
        ContentContext context{host, platform::SystemFileSystem(), *m_locale, 0, {}};
        DuplicateList duplicates;
        if (method == Method::ContentsOnly) {
            FindContentDuplicates(scan, duplicates, context);
            EXPECT_EQ(host.StatusTexts(), (std::vector<std::string>{
                                              "Removing different file sizes.",
                                              "Generating 32 bit CRC of possible duplicate files. ",
                                              "Sorting the file list."}));
            EXPECT_EQ(host.ProgressVisibility(), (std::vector<bool>{true, false}));
            EXPECT_EQ(GroupsOf(duplicates, tree).size(), 10u);
            // Progress is the share of candidate files done: 250 files pass 0..99 percent.
            EXPECT_EQ(host.ProgressHistory().front(), 0);
            EXPECT_EQ(
                *std::max_element(host.ProgressHistory().begin(), host.ProgressHistory().end()),
                99);
            EXPECT_EQ(host.ProgressHistory().back(), 0);
        } else {
            FindContentAndNameDuplicates(scan, duplicates, context);
            EXPECT_EQ(host.StatusTexts(), (std::vector<std::string>{
                                              "Building list of duplicate files.",
                                              "Generating 32 bit CRC of possible duplicate files. ",
                                              "Sorting the file list."}));
            EXPECT_EQ(host.ProgressVisibility(), (std::vector<bool>{false, true, false, false}));
            EXPECT_TRUE(duplicates.empty());  // every name differs
        }
        EXPECT_EQ(host.ProgressDecorationHistory(), (std::vector<bool>{true, false}));
        EXPECT_FALSE(host.ProgressVisible());
    }
}

TEST_F(ContentComparisonTest, WorkerCountChangesNothingTheUserSees) {
    TempTree tree;
    std::vector<std::string> names;
    for (int i = 0; i < 400; ++i) {
        names.push_back("d" + std::to_string(i % 7) + "/f" + std::to_string(i) + ".b" +
                        std::to_string(i % 3));
        tree.Add({names.back(), test::Size(1000 + (i % 13) * 5000, i % 5)});
    }
    struct Run {
        std::vector<std::string> lines;
        std::vector<int> progress;
        std::vector<std::string> status;
    };
    auto run = [&](unsigned workers) {
        ScanList scan = Scan(tree, names);
        test::RecordingSearchHost host;
        ContentContext context{host, platform::SystemFileSystem(), *m_locale, 0, {}};
        context.options.workerThreads = workers;
        DuplicateList duplicates;
        FindContentDuplicates(scan, duplicates, context);
        Run result;
        for (const DuplicateEntry& entry : duplicates) {
            result.lines.push_back(DuplicateLineText(entry, Method::ContentsOnly, *m_locale));
        }
        result.progress = host.ProgressHistory();
        result.status = host.StatusTexts();
        return result;
    };
    const Run one = run(1);
    EXPECT_FALSE(one.lines.empty());
    for (unsigned workers : {2u, 4u}) {
        const Run many = run(workers);
        EXPECT_EQ(many.lines, one.lines);
        EXPECT_EQ(many.progress, one.progress);
        EXPECT_EQ(many.status, one.status);
    }
}

TEST_F(ContentComparisonTest, AbortStopsPromptlyAndKeepsWhatWasDone) {
    TempTree tree;
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i) {
        names.push_back("s" + std::to_string(i) + "a");
        tree.Add({names.back(), test::Size(100 + i, i)});
        names.push_back("s" + std::to_string(i) + "b");
        tree.Add({names.back(), test::Size(100 + i, i)});
    }
    ScanList scan = Scan(tree, names);
    test::RecordingSearchHost host;
    host.AbortWhen([](const test::RecordingSearchHost& h) { return h.ProgressValue() >= 20; });
    ContentContext context{host, platform::SystemFileSystem(), *m_locale, 0, {}};
    DuplicateList duplicates;
    FindContentDuplicates(scan, duplicates, context);
    EXPECT_TRUE(host.AbortRequested());
    // Stopped at the next yield after 20 %: files 0..199 at the latest.
    EXPECT_GE(scan.size(), 120u);
    EXPECT_LE(scan.size(), 202u);
    EXPECT_LT(*std::max_element(host.ProgressHistory().begin(), host.ProgressHistory().end()), 40);
    EXPECT_FALSE(host.ProgressVisible());
}

TEST_F(ContentComparisonTest, AbortInsideOneLargePair) {
    constexpr std::int64_t kSize = 1LL << 30;
    TempTree tree{{"big1", test::Sparse(kSize)}, {"big2", test::Sparse(kSize)}};
    ScanList scan = Scan(tree, {"big1", "big2"});
    test::FaultyFileSystem fileSystem;
    test::RecordingSearchHost host;
    host.AbortOnStatusPrefix("Generating");
    ContentContext context{host, fileSystem, *m_locale, 0, {}};
    DuplicateList duplicates;
    FindContentDuplicates(scan, duplicates, context);
    EXPECT_TRUE(duplicates.empty());
    EXPECT_LT(fileSystem.BytesRead(tree.Path("big1")), kSize / 2);
}

// Files of zeros with a few bytes written over them, made up on the fly: files beyond 4 GiB
// without the page-cache cost of reading real sparse files of that size.
class PatchedZerosFileSystem : public platform::FileSystem {
public:
    struct File {
        std::int64_t size;
        std::int64_t patchOffset;
        std::string patch;
    };
    void Add(const std::string& path, File file) { m_files[path] = std::move(file); }

    bool ListFolder(const std::string&, platform::ListDetail,
                    std::vector<platform::DirEntry>& entries) override {
        entries.clear();
        return false;
    }
    platform::FileFacts Stat(const std::string& path) override {
        auto it = m_files.find(path);
        if (it == m_files.end())
            return {};
        return {true,
                platform::EntryKind::RegularFile,
                it->second.size,
                0,
                {9, std::hash<std::string>{}(path)}};
    }
    std::unique_ptr<platform::ReadableFile> OpenForRead(const std::string& path) override {
        auto it = m_files.find(path);
        if (it == m_files.end())
            return nullptr;
        return std::make_unique<Reader>(it->second, Stat(path));
    }

private:
    class Reader : public platform::ReadableFile {
    public:
        Reader(const File& file, platform::FileFacts facts) : m_file(file), m_facts(facts) {}
        std::int64_t Read(void* buffer, std::size_t length) override {
            const std::int64_t count =
                std::min<std::int64_t>(std::int64_t(length), m_file.size - m_position);
            if (count <= 0)
                return 0;
            char* out = static_cast<char*>(buffer);
            std::memset(out, 0, std::size_t(count));
            for (std::size_t i = 0; i < m_file.patch.size(); ++i) {
                const std::int64_t at = m_file.patchOffset + std::int64_t(i) - m_position;
                if (at >= 0 && at < count)
                    out[at] = m_file.patch[i];
            }
            m_position += count;
            return count;
        }
        platform::FileFacts Facts() override { return m_facts; }

    private:
        const File& m_file;
        platform::FileFacts m_facts;
        std::int64_t m_position = 0;
    };
    std::map<std::string, File> m_files;
};

// Sizes, offsets and the checksum are 64-bit: the pair differs from c.img only past 4 GiB.
TEST_F(ContentComparisonTest, FilesBeyondFourGiB) {
    constexpr std::int64_t kSize = (4LL << 30) + 3;
    PatchedZerosFileSystem fileSystem;
    fileSystem.Add("/big/a.img", {kSize, 4LL << 30, "abc"});
    fileSystem.Add("/big/b.img", {kSize, 4LL << 30, "abc"});
    fileSystem.Add("/big/c.img", {kSize, 4LL << 30, "abd"});
    fileSystem.Add("/big/d.img", {kSize, 0, "head"});
    ScanList scan;
    for (const char* path : {"/big/a.img", "/big/b.img", "/big/c.img", "/big/d.img"}) {
        const platform::FileFacts facts = fileSystem.Stat(path);
        scan.Add(facts.size, path, facts.lastWrite, facts.id);
    }
    test::RecordingSearchHost host;
    ContentContext context{host, fileSystem, *m_locale, 0, {}};
    DuplicateList duplicates;
    FindContentDuplicates(scan, duplicates, context);
    ASSERT_EQ(duplicates.size(), 2u);
    EXPECT_EQ(duplicates[0].path, "/big/a.img");
    EXPECT_EQ(duplicates[1].path, "/big/b.img");
    EXPECT_EQ(duplicates[0].size, kSize);
    // Zero bytes leave this CRC at 0, so only the tail counts.
    EXPECT_EQ(duplicates[0].checksum, CrcOf("abc"));
    EXPECT_EQ(DuplicateLineText(duplicates[0], Method::ContentsOnly, *m_locale).substr(0, 33),
              "000001|*.IMG|4294967299|$CA6598D0");
    EXPECT_EQ(context.filesIgnored, 0);
}

// A real sparse file beyond 4 GiB is sized and opened through the system file system; its
// twin differs at once, so only the heads are read.
TEST_F(ContentComparisonTest, RealSparseFilesBeyondFourGiB) {
    constexpr std::int64_t kSize = (4LL << 30) + 1;
    TempTree tree{{"a.img", test::Sparse(kSize).WithPatch(0, "a")},
                  {"b.img", test::Sparse(kSize).WithPatch(0, "b")},
                  {"c.img", test::Sparse(kSize).WithPatch(0, "a")}};
    ScanList scan = Scan(tree, {"a.img", "b.img", "c.img"});
    ASSERT_EQ(scan[0].size, kSize);
    test::FaultyFileSystem fileSystem;
    // c.img breaks off after 1 MiB: a.img is then left alone, and nothing reads on to 4 GiB.
    fileSystem.FailReadAfter(tree.Path("c.img"), 1 << 20);
    test::RecordingSearchHost host;
    ContentContext context{host, fileSystem, *m_locale, 0, {}};
    DuplicateList duplicates;
    FindContentDuplicates(scan, duplicates, context);
    EXPECT_TRUE(duplicates.empty());
    EXPECT_EQ(fileSystem.BytesRead(tree.Path("b.img")), 4096);
    EXPECT_EQ(context.filesIgnored, 1);
}

// Generated trees: the reported sets must be exactly the sets of byte-identical files, however
// the reading is tuned (batches of few open files, tiny heads, heads not kept, many workers).
TEST_F(ContentComparisonTest, MatchesBruteForceOnGeneratedTrees) {
    struct Tuning {
        const char* name;
        ReadOptions options;
    };
    std::vector<Tuning> tunings(8);
    tunings[0] = {"default", {}};
    tunings[1].name = "one worker, batches of 2";
    tunings[1].options.workerThreads = 1;
    tunings[1].options.maxOpenFiles = 2;
    tunings[2].name = "tiny head, small chunks";
    tunings[2].options.headBytes = 16;
    tunings[2].options.maxChunkBytes = 1;
    tunings[3].name = "heads not kept";
    tunings[3].options.headMemoryBytes = 0;
    tunings[3].options.maxOpenFiles = 3;
    tunings[4].name = "four workers, batches of 3";
    tunings[4].options.workerThreads = 4;
    tunings[4].options.maxOpenFiles = 3;
    tunings[4].options.maxChunkBytes = 1;
    tunings[5].name = "heads read by three threads per group";
    tunings[5].options.workerThreads = 3;
    tunings[5].options.parallelHeadFiles = 2;
    tunings[6].name = "heads read by two threads, not kept";
    tunings[6].options.workerThreads = 2;
    tunings[6].options.parallelHeadFiles = 2;
    tunings[6].options.headMemoryBytes = 0;
    tunings[6].options.maxOpenFiles = 2;
    // Small groups keep their heads, larger ones only head checksums, in one search.
    tunings[7].name = "head memory for two heads";
    tunings[7].options.headMemoryBytes = std::size_t{2} * 4096;

    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        std::mt19937 random(seed);
        TempTree tree;
        std::vector<std::string> names;
        const std::int64_t sizes[] = {0, 1, 7, 4096, 4097, 70'000, 200'000};
        for (int i = 0; i < 60; ++i) {
            const std::int64_t size = sizes[random() % std::size(sizes)];
            std::string bytes = TempTree::Bytes(size, random() % 3);
            // Some copies get one byte changed: at the start, inside the head, past it, or last.
            if (size > 0 && random() % 3 == 0) {
                const std::int64_t offsets[] = {0, std::min<std::int64_t>(size - 1, 100), size / 2,
                                                size - 1};
                bytes[static_cast<std::size_t>(offsets[random() % 4])] ^= 0x5A;
            }
            names.push_back("d" + std::to_string(random() % 4) + "/f" + std::to_string(i) +
                            (random() % 2 ? ".x" : ".y"));
            tree.Add({names.back(), Content(bytes)});
        }
        std::map<std::string, std::set<std::string>> byContent;
        for (const std::string& name : names) byContent[ReadWhole(tree.Path(name))].insert(name);
        Groups expected;
        for (auto& [bytes, files] : byContent) {
            if (files.size() >= 2)
                expected.insert(files);
        }

        for (const Tuning& tuning : tunings) {
            SCOPED_TRACE(std::string("seed ") + std::to_string(seed) + ", " + tuning.name);
            ScanList scan = Scan(tree, names);
            test::RecordingSearchHost host;
            ContentContext context{host, platform::SystemFileSystem(), *m_locale, 0,
                                   tuning.options};
            DuplicateList duplicates;
            FindContentDuplicates(scan, duplicates, context);
            // A set may be shown as several groups (one per run of its Extension key); every
            // group holds one content, and together they hold exactly the identical files.
            std::map<std::int64_t, std::set<std::string>> contentsOfGroup;
            std::map<std::string, std::set<std::string>> reported;
            for (const DuplicateEntry& entry : duplicates) {
                const std::string bytes = ReadWhole(entry.path);
                contentsOfGroup[entry.group].insert(bytes);
                reported[bytes].insert(test::PortablePath(entry.path.substr(tree.Root().size())));
            }
            for (const auto& [group, contents] : contentsOfGroup) {
                EXPECT_EQ(contents.size(), 1u) << "group " << group;
            }
            Groups found;
            for (auto& [bytes, files] : reported) found.insert(files);
            EXPECT_EQ(found, expected);
            ExpectSoundList(duplicates);
            EXPECT_EQ(context.filesIgnored, 0);
        }
    }
}

// Thousands of same-size files with one head: compared in batches of open files, merged across
// batches, each file still reported once.
TEST_F(ContentComparisonTest, LargeCandidateSetInBatches) {
    TempTree tree;
    std::vector<std::string> names;
    const std::string head(5000, 'h');
    for (int i = 0; i < 1500; ++i) {
        names.push_back("f" + std::to_string(i));
        tree.Add({names.back(), Content(head + static_cast<char>('a' + i % 3))});
    }
    ScanList scan = Scan(tree, names);
    test::RecordingSearchHost host;
    ContentContext context{host, platform::SystemFileSystem(), *m_locale, 0, {}};
    DuplicateList duplicates;
    FindContentDuplicates(scan, duplicates, context);
    const Groups groups = GroupsOf(duplicates, tree);
    ASSERT_EQ(groups.size(), 3u);
    for (const auto& group : groups) EXPECT_EQ(group.size(), 500u);
    EXPECT_EQ(duplicates.size(), 1500u);
    ExpectSoundList(duplicates, false);
}

}  // namespace
}  // namespace qm::engine
