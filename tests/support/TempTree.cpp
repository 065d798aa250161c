#include "support/TempTree.h"
#include "support/TempTreeSystem.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/PathRules.h"

namespace qm::test {

namespace {

std::uint64_t SplitMix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

}  // namespace

void GenerateBytes(std::uint64_t& state, char* buffer, std::size_t length) {
    std::size_t i = 0;
    while (i < length) {
        std::uint64_t value = SplitMix64(state);
        for (int b = 0; b < 8 && i < length; ++b, ++i) {
            buffer[i] = static_cast<char>(value & 0xFF);
            value >>= 8;
        }
    }
}

void WriteGenerated(const TreeNode& node,
                    const std::function<void(const char* data, std::size_t length)>& write) {
    std::string chunk(std::size_t{1} << 20, '\0');
    std::uint64_t state = node.seed;
    std::int64_t left = node.size;
    while (left > 0) {
        const std::size_t length = left < static_cast<std::int64_t>(chunk.size())
                                       ? static_cast<std::size_t>(left)
                                       : chunk.size();
        if (node.fill == TreeNode::Fill::Random) {
            // Chunks are multiples of 8 bytes, so the stream continues seamlessly.
            GenerateBytes(state, chunk.data(), length);
        }
        write(chunk.data(), length);
        left -= static_cast<std::int64_t>(length);
    }
}

std::string SafeTestName() {
    std::string name = "qm";
    if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info()) {
        name += std::string("-") + info->test_suite_name() + "." + info->name();
    }
    for (char& c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        if (!plain) {
            c = '_';
        }
    }
    if (name.size() > 120) {
        name.resize(120);
    }
    return name;
}

TreeNode TreeNode::WithMode(mode_t newMode) const {
    TreeNode copy = *this;
    copy.mode = newMode;
    return copy;
}

TreeNode TreeNode::WithMTime(platform::FileTime time) const {
    TreeNode copy = *this;
    copy.mtime = time;
    return copy;
}

TreeNode TreeNode::WithATime(platform::FileTime time) const {
    TreeNode copy = *this;
    copy.atime = time;
    return copy;
}

TreeNode TreeNode::WithMTimeLocal(const platform::LocalDateTime& local) const {
    return WithMTime(platform::ToFileTime(local));
}

TreeNode TreeNode::WithATimeLocal(const platform::LocalDateTime& local) const {
    return WithATime(platform::ToFileTime(local));
}

TreeNode TreeNode::WithPatch(std::int64_t offset, std::string bytes) const {
    TreeNode copy = *this;
    copy.patches.emplace_back(offset, std::move(bytes));
    return copy;
}

TreeNode Content(std::string bytes) {
    TreeNode node;
    node.text = std::move(bytes);
    return node;
}

TreeNode Size(std::int64_t size, std::uint64_t seed) {
    TreeNode node;
    node.fill = TreeNode::Fill::Random;
    node.size = size;
    node.seed = seed;
    return node;
}

TreeNode Zeros(std::int64_t size) {
    TreeNode node;
    node.fill = TreeNode::Fill::Zeros;
    node.size = size;
    return node;
}

TreeNode Sparse(std::int64_t size) {
    TreeNode node;
    node.fill = TreeNode::Fill::Sparse;
    node.size = size;
    return node;
}

TreeNode Folder() {
    TreeNode node;
    node.type = TreeNode::Type::Folder;
    return node;
}

TreeNode SymlinkTo(std::string target) {
    TreeNode node;
    node.type = TreeNode::Type::Symlink;
    node.text = std::move(target);
    return node;
}

TreeNode HardLinkTo(std::string treePath) {
    TreeNode node;
    node.type = TreeNode::Type::HardLink;
    node.text = std::move(treePath);
    return node;
}

TreeNode Fifo() {
    TreeNode node;
    node.type = TreeNode::Type::Fifo;
    return node;
}

std::string TempTree::Bytes(std::int64_t size, std::uint64_t seed) {
    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::uint64_t state = seed;
    GenerateBytes(state, bytes.data(), bytes.size());
    return bytes;
}

void TempTree::Add(std::initializer_list<TreeEntry> entries) {
    for (const TreeEntry& entry : entries) {
        Build(entry);
    }
    // Times and modes last: creating children would change a folder's times, and a folder
    // without write permission could not receive its children (for a user who is not root).
    // Later entries first: they are usually the deeper ones.
    for (auto it = std::rbegin(entries); it != std::rend(entries); ++it) {
        ApplyAttributes(*it);
    }
}

void TempTree::Add(const TreeEntry& entry) {
    Add({entry});
}

std::string NativePath(std::string path) {
    for (char& c : path) {
        if (c == '/') {
            c = platform::kPathDelim;
        }
    }
    return path;
}

std::string PortablePath(std::string path) {
    for (char& c : path) {
        if (c == platform::kPathDelim) {
            c = '/';
        }
    }
    return path;
}

std::string TempTree::Path(const std::string& relative) const {
    return m_root + NativePath(relative);
}

}  // namespace qm::test
