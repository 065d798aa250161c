#include "results/ResultTree.h"

#include <utility>

namespace qm::results {

RgbColor NextBandColor(RgbColor current) {
    return current == kBandNavy ? kBandDarkGreen : kBandNavy;
}

void ResultTree::Builder::AddRoot(TEntry entry) {
    m_roots.push_back(Root{std::move(entry), {}});
}

void ResultTree::Builder::AddSetHead(TEntry entry) {
    if (m_roots.empty()) {
        AddRoot(TEntry{});
    }
    m_roots.back().sets.push_back(Set{std::move(entry), {}});
    m_setRoot = static_cast<NodeId>(m_roots.size() - 1);
}

void ResultTree::Builder::AddChild(TEntry entry) {
    // A set lives under the root that was current when it started, even when roots were added
    // since: a set is never split.
    if (m_setRoot == kNoNode) {
        AddSetHead(std::move(entry));
        return;
    }
    m_roots[m_setRoot].sets.back().children.push_back(std::move(entry));
}

void ResultTree::Builder::Finish(ResultTree& tree, const std::function<void()>& tick) {
    std::vector<Root> kept;
    kept.reserve(m_roots.size());
    std::size_t nodeCount = 0;
    for (Root& root : m_roots) {
        if (root.sets.empty() || root.entry.Key.empty()) {
            continue;
        }
        nodeCount += 1 + root.sets.size();
        for (const Set& set : root.sets) {
            nodeCount += set.children.size();
        }
        kept.push_back(std::move(root));
    }
    m_roots.clear();
    m_setRoot = kNoNode;

    tree.m_nodes.clear();
    tree.m_roots.clear();
    tree.m_childIndex.clear();
    tree.m_nodes.reserve(nodeCount);
    tree.m_childIndex.reserve(nodeCount);
    tree.m_roots.reserve(kept.size());

    std::size_t sincePlaced = 0;
    for (Root& root : kept) {
        const auto rootId = static_cast<NodeId>(tree.m_nodes.size());
        Node rootNode;
        rootNode.entry = std::move(root.entry);
        rootNode.row = static_cast<std::uint32_t>(tree.m_roots.size());
        rootNode.level = 0;
        rootNode.firstChild = static_cast<std::uint32_t>(tree.m_childIndex.size());
        rootNode.childCount = static_cast<std::uint32_t>(root.sets.size());
        tree.m_nodes.push_back(std::move(rootNode));
        tree.m_roots.push_back(rootId);
        // Reserve the root's range of set heads now; the ids are known only as they are placed.
        const std::size_t rootRange = tree.m_childIndex.size();
        tree.m_childIndex.resize(rootRange + root.sets.size(), kNoNode);

        for (std::size_t s = 0; s < root.sets.size(); ++s) {
            Set& set = root.sets[s];
            const auto headId = static_cast<NodeId>(tree.m_nodes.size());
            tree.m_childIndex[rootRange + s] = headId;
            Node head;
            head.entry = std::move(set.head);
            head.parent = rootId;
            head.row = static_cast<std::uint32_t>(s);
            head.level = 1;
            head.firstChild = static_cast<std::uint32_t>(tree.m_childIndex.size());
            head.childCount = static_cast<std::uint32_t>(set.children.size());
            tree.m_nodes.push_back(std::move(head));
            for (std::size_t c = 0; c < set.children.size(); ++c) {
                const auto childId = static_cast<NodeId>(tree.m_nodes.size());
                tree.m_childIndex.push_back(childId);
                Node child;
                child.entry = std::move(set.children[c]);
                child.parent = headId;
                child.row = static_cast<std::uint32_t>(c);
                child.level = 2;
                child.firstChild = static_cast<std::uint32_t>(tree.m_childIndex.size());
                tree.m_nodes.push_back(std::move(child));
            }
            // The moved-from copies go now, not all at once at the end.
            const std::size_t placed = 1 + set.children.size();
            set = Set();
            sincePlaced += placed;
            if (tick && sincePlaced >= kTickRows) {
                sincePlaced = 0;
                tick();
            }
        }
        root.sets = std::vector<Set>();
    }
}

void ResultTree::Clear() {
    m_nodes.clear();
    m_roots.clear();
    m_childIndex.clear();
}

void ResultTree::Clear(const std::function<void()>& tick) {
    m_roots.clear();
    m_childIndex.clear();
    std::size_t sinceTick = 0;
    while (!m_nodes.empty()) {
        m_nodes.pop_back();
        if (tick && ++sinceTick >= kTickRows) {
            sinceTick = 0;
            tick();
        }
    }
    m_nodes.shrink_to_fit();
}

}  // namespace qm::results
