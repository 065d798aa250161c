// The tree's layout with and without the ticks that keep a window answering while a large result
// is laid out and freed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "results/ResultTree.h"

namespace qm::results {
namespace {

TEntry Entry(const std::string& name) {
    TEntry entry;
    entry.FileName = name;
    entry.Folder = "/d/";
    entry.Key = "*.BIN";
    return entry;
}

// Roots of sets of one to four files; an empty root in the middle, which Finish drops.
void Fill(ResultTree::Builder& builder, int roots, int setsPerRoot) {
    for (int r = 0; r < roots; ++r) {
        TEntry root;
        root.Key = "*.R" + std::to_string(r);
        builder.AddRoot(root);
        if (r == 1) {
            continue;
        }
        for (int s = 0; s < setsPerRoot; ++s) {
            builder.AddSetHead(Entry(std::to_string(r) + "-" + std::to_string(s)));
            for (int c = 0; c < s % 4; ++c) {
                builder.AddChild(
                    Entry(std::to_string(r) + "-" + std::to_string(s) + "-" + std::to_string(c)));
            }
        }
    }
}

// Each node as "level parent row first count name".
std::vector<std::string> Layout(const ResultTree& tree) {
    std::vector<std::string> lines;
    for (const ResultTree::Node& node : tree.Nodes()) {
        lines.push_back(std::to_string(node.level) + " " + std::to_string(node.parent) + " " +
                        std::to_string(node.row) + " " + std::to_string(node.firstChild) + " " +
                        std::to_string(node.childCount) + " " + node.entry.Key +
                        node.entry.FileName);
    }
    return lines;
}

TEST(ResultTreeTest, TicksWhileLayingOutWithoutChangingTheLayout) {
    ResultTree::Builder plain;
    Fill(plain, 4, 300);
    ResultTree expected;
    plain.Finish(expected);

    ResultTree::Builder ticking;
    Fill(ticking, 4, 300);
    ResultTree tree;
    int ticks = 0;
    ticking.Finish(tree, [&] { ++ticks; });

    EXPECT_EQ(Layout(tree), Layout(expected));
    EXPECT_EQ(tree.RootCount(), 3u);
    EXPECT_EQ(tree.Child(tree.Root(2), 299), tree.Child(tree.Root(2), 298) + 3);
    // About one tick per kTickRows rows placed, none too late.
    EXPECT_GE(static_cast<std::size_t>(ticks),
              tree.FileRowCount() / ResultTree::kTickRows - tree.RootCount());
    EXPECT_LE(static_cast<std::size_t>(ticks), tree.FileRowCount() / ResultTree::kTickRows);
}

TEST(ResultTreeTest, ClearTicksAndEmptiesTheTree) {
    ResultTree::Builder builder;
    Fill(builder, 3, 500);
    ResultTree tree;
    builder.Finish(tree);
    tree.SetBandToggle(kBandNavy + 1);
    const std::size_t nodes = tree.NodeCount();
    ASSERT_GT(nodes, 4 * ResultTree::kTickRows);

    int ticks = 0;
    tree.Clear([&] { ++ticks; });

    EXPECT_TRUE(tree.Empty());
    EXPECT_EQ(tree.RootCount(), 0u);
    EXPECT_EQ(static_cast<std::size_t>(ticks), nodes / ResultTree::kTickRows);
    EXPECT_EQ(tree.BandToggle(), kBandNavy + 1);
    // A cleared tree is filled again as a new one.
    ResultTree::Builder again;
    Fill(again, 1, 2);
    again.Finish(tree);
    EXPECT_EQ(tree.NodeCount(), 4u);  // a root, a lone head, a head with one file
}

}  // namespace
}  // namespace qm::results
