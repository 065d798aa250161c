#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

#include "results/TEntry.h"

namespace qm::results {

// The results tree as plain data: root rows (level 0, one per run of equal keys), set heads
// (level 1) and the other files of each set (level 2). Nodes are stored in depth-first order, so
// a loop over NodeCount() is the walk every command makes. The structure is fixed once filled;
// only check states and records change afterwards. Node ids are indexes into that order.
class ResultTree {
public:
    using NodeId = std::uint32_t;
    static constexpr NodeId kNoNode = std::numeric_limits<NodeId>::max();

    struct Node {
        TEntry entry;
        NodeId parent = kNoNode;
        std::uint32_t row = 0;         // position among the parent's children (or the roots)
        std::uint32_t firstChild = 0;  // start of this node's range in the child index
        std::uint32_t childCount = 0;
        std::uint8_t level = 0;
        bool checked = false;  // the file row's two-state check box; root rows have none
    };

    // Collects roots, set heads and children in fill order, then lays them out depth-first.
    // A child always goes to the last set head; a set head to the last root.
    class Builder {
    public:
        void AddRoot(TEntry entry);
        void AddSetHead(TEntry entry);  // adds a root with an empty key first if there is none
        void AddChild(TEntry entry);    // starts a set if there is none yet
        // Drops every root row that has no child or whose key is empty, with its files, and
        // replaces the content of tree (its band toggle is kept). A million rows take a while to
        // lay out: tick, when given, is called after every kTickRows rows.
        void Finish(ResultTree& tree, const std::function<void()>& tick = {});

    private:
        struct Set {
            TEntry head;
            std::vector<TEntry> children;
        };
        struct Root {
            TEntry entry;
            std::vector<Set> sets;
        };
        std::vector<Root> m_roots;
        NodeId m_setRoot = kNoNode;  // the root that holds the last set head
    };

    std::size_t NodeCount() const { return m_nodes.size(); }
    bool Empty() const { return m_nodes.empty(); }
    const Node& At(NodeId id) const { return m_nodes[id]; }
    Node& At(NodeId id) { return m_nodes[id]; }
    const std::vector<Node>& Nodes() const { return m_nodes; }

    std::uint32_t RootCount() const { return static_cast<std::uint32_t>(m_roots.size()); }
    NodeId Root(std::uint32_t row) const { return m_roots[row]; }
    NodeId Child(NodeId parent, std::uint32_t row) const {
        return m_childIndex[m_nodes[parent].firstChild + row];
    }
    bool IsFileRow(NodeId id) const { return m_nodes[id].level >= 1; }
    std::size_t FileRowCount() const { return m_nodes.size() - m_roots.size(); }

    // Removes every node. The band toggle is window state and survives.
    void Clear();
    // The same, freeing the rows from the last; tick, when given, is called after every
    // kTickRows rows, so that a window stays answering while a large tree is freed.
    void Clear(const std::function<void()>& tick);

    static constexpr std::size_t kTickRows = 256;

    // The colour of the set filled last; the next set of a fill takes the other colour.
    RgbColor BandToggle() const { return m_bandToggle; }
    void SetBandToggle(RgbColor color) { m_bandToggle = color; }

private:
    std::vector<Node> m_nodes;
    std::vector<NodeId> m_roots;
    std::vector<NodeId> m_childIndex;
    RgbColor m_bandToggle = kBandNavy;
};

// Flips the band toggle: navy becomes dark green, any other value navy.
RgbColor NextBandColor(RgbColor current);

}  // namespace qm::results
