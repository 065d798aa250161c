#include "engine/ScanList.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/TempTree.h"

namespace qm::engine {
namespace {

// An entry of a split the list itself would not make (the folder cut anywhere), so that the
// path helpers are checked against the full texts, not against the split.
ScanEntry Split(ScanList& list, const std::string& path, std::size_t folderLength) {
    ScanEntry entry;
    entry.folder = folderLength == 0 ? nullptr : list.AddFolder(path.substr(0, folderLength));
    entry.name = path.substr(folderLength);
    return entry;
}

// A path written with "/" in the system's form.
std::string N(const char* path) {
    return test::NativePath(path);
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

TEST(ScanListTest, PathHelpersAgreeWithTheFullPathsHoweverSplit) {
    const struct {
        std::string a;
        std::string b;
    } cases[] = {
        {"/d/a", "/d/a"},    {"/d/a", "/d/b"},    {"/d/a", "/d/ab"}, {"/d/", "/d/a"},
        {"/d/ab", "/e/a"},   {"/d/x/a", "/d/xa"}, {"/d/x", "/d/x/"}, {"", "/"},
        {"/d/\xff", "/d/a"}, {"/dd/a", "/d/da"},
    };
    for (const auto& c : cases) {
        for (std::size_t cutA = 0; cutA <= c.a.size(); ++cutA) {
            for (std::size_t cutB = 0; cutB <= c.b.size(); ++cutB) {
                ScanList list;
                const ScanEntry a = Split(list, c.a, cutA);
                const ScanEntry b = Split(list, c.b, cutB);
                const std::string where =
                    c.a + " @" + std::to_string(cutA) + " vs " + c.b + " @" + std::to_string(cutB);
                ASSERT_EQ(a.Path(), c.a);
                EXPECT_EQ(Sign(ComparePaths(a, b)), Sign(c.a.compare(c.b))) << where;
                EXPECT_EQ(Sign(ComparePaths(b, a)), Sign(c.b.compare(c.a))) << where;
                EXPECT_EQ(SamePath(a, b), c.a == c.b) << where;
                if (c.a == c.b) {
                    EXPECT_EQ(PathHash(a), PathHash(b)) << where;
                }
            }
        }
    }
}

TEST(ScanListTest, AddSplitsAtTheLastSeparatorAndSharesFolders) {
    ScanList list;
    list.Add(1, N("/data/Photos/a.jpg"), 5, {1, 2});
    list.Add(2, N("/data/Photos/b.jpg"));
    list.Add(3, N("/data/c"));
    list.Add(4, "plain");
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(*list[0].folder, N("/data/Photos/"));
    EXPECT_EQ(list[0].name, "a.jpg");
    EXPECT_EQ(list[0].size, 1);
    EXPECT_EQ(list[0].lastWrite, 5);
    EXPECT_EQ(list[0].id, (platform::FileId{1, 2}));
    EXPECT_EQ(list[0].folder, list[1].folder);
    EXPECT_NE(list[0].folder, list[2].folder);
    EXPECT_EQ(list[3].folder, nullptr);
    EXPECT_EQ(list[3].Path(), "plain");
    EXPECT_EQ(list.AddFolder(N("/data/")), list[2].folder);
}

TEST(ScanListTest, CopiesAndMovesKeepTheirFolders) {
    auto original = std::make_unique<ScanList>();
    original->Add(1, N("/a/x"));
    original->Add(2, N("/b/y"));
    ScanList copy = *original;
    ScanList assigned;
    assigned.Add(9, N("/old/z"));
    assigned = *original;
    const ScanEntry* before = original->data();
    ScanList moved = std::move(*original);
    EXPECT_EQ(moved.data(), before);  // the entries themselves did not move
    original.reset();
    for (const ScanList* list : {&copy, &assigned, &moved}) {
        ASSERT_EQ(list->size(), 2u);
        EXPECT_EQ((*list)[0].Path(), N("/a/x"));
        EXPECT_EQ((*list)[1].Path(), N("/b/y"));
    }
    EXPECT_NE(copy[0].folder, assigned[0].folder);
    copy.clear();
    EXPECT_TRUE(copy.empty());
    EXPECT_EQ(assigned[1].Path(), N("/b/y"));
}

}  // namespace
}  // namespace qm::engine
