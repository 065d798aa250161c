#include "support/TempTree.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace qm::test {

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
    throw std::runtime_error("TempTree: " + what + " " + path + ": " + std::strerror(errno));
}

std::uint64_t SplitMix64(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

// Appends the next length bytes of the stream; continuing a stream needs length % 8 == 0.
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

void WriteAll(int fd, const char* data, std::size_t length, const std::string& path) {
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            Fail("cannot write", path);
        }
        data += written;
        length -= static_cast<std::size_t>(written);
    }
}

void MakeParents(const std::string& full, std::size_t rootLength) {
    for (std::size_t pos = full.find('/', rootLength); pos != std::string::npos;
         pos = full.find('/', pos + 1)) {
        const std::string part = full.substr(0, pos);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
            Fail("cannot make folder", part);
        }
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

// Makes every folder below root (and root) writable and searchable again so that a tree with
// chmod'ed folders can be removed also by a user who is not root.
void UnlockFolders(const std::filesystem::path& root) {
    std::error_code ec;
    std::filesystem::permissions(root, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    for (auto it = std::filesystem::recursive_directory_iterator(
             root, std::filesystem::directory_options::skip_permission_denied, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        }
    }
}

}  // namespace

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

TempTree::TempTree() {
    std::string pattern = "/tmp/" + SafeTestName() + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        Fail("cannot make", pattern);
    }
    m_root = pattern + "/";
}

TempTree::TempTree(std::initializer_list<TreeEntry> entries) : TempTree() {
    Add(entries);
}

TempTree::~TempTree() {
    const std::filesystem::path root(m_root);
    UnlockFolders(root);
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
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

void TempTree::Remove(const std::string& relative) {
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(Path(relative)), ec);
    if (ec) {
        throw std::runtime_error("TempTree: cannot remove " + Path(relative) + ": " + ec.message());
    }
}

void TempTree::Build(const TreeEntry& entry) {
    std::string full = Path(entry.path);
    TreeNode::Type type = entry.node.type;
    if (!entry.path.empty() && entry.path.back() == '/') {
        type = TreeNode::Type::Folder;
    }
    MakeParents(full, m_root.size());
    if (type == TreeNode::Type::Folder) {
        while (full.size() > m_root.size() && full.back() == '/') {
            full.pop_back();
        }
        if (::mkdir(full.c_str(), 0755) != 0 && errno != EEXIST) {
            Fail("cannot make folder", full);
        }
        return;
    }
    const TreeNode& node = entry.node;
    switch (type) {
        case TreeNode::Type::Symlink:
            if (::symlink(node.text.c_str(), full.c_str()) != 0) {
                Fail("cannot make link", full);
            }
            return;
        case TreeNode::Type::HardLink:
            if (::link(Path(node.text).c_str(), full.c_str()) != 0) {
                Fail("cannot make hard link", full);
            }
            return;
        case TreeNode::Type::Fifo:
            if (::mkfifo(full.c_str(), 0644) != 0) {
                Fail("cannot make FIFO", full);
            }
            return;
        case TreeNode::Type::Folder:
        case TreeNode::Type::File:
            break;
    }

    const int fd = ::open(full.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        Fail("cannot make file", full);
    }
    switch (node.fill) {
        case TreeNode::Fill::Text:
            WriteAll(fd, node.text.data(), node.text.size(), full);
            break;
        case TreeNode::Fill::Sparse:
            if (::ftruncate(fd, node.size) != 0) {
                Fail("cannot size", full);
            }
            break;
        case TreeNode::Fill::Random:
        case TreeNode::Fill::Zeros: {
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
                WriteAll(fd, chunk.data(), length, full);
                left -= static_cast<std::int64_t>(length);
            }
            break;
        }
    }
    for (const auto& [offset, bytes] : node.patches) {
        if (::lseek(fd, offset, SEEK_SET) < 0) {
            Fail("cannot seek", full);
        }
        WriteAll(fd, bytes.data(), bytes.size(), full);
    }
    if (::close(fd) != 0) {
        Fail("cannot close", full);
    }
}

void TempTree::ApplyAttributes(const TreeEntry& entry) {
    std::string full = Path(entry.path);
    while (full.size() > m_root.size() && full.back() == '/') {
        full.pop_back();
    }
    const TreeNode& node = entry.node;
    if (node.mtime || node.atime) {
        struct timespec times[2];
        const auto toSpec = [](const std::optional<platform::FileTime>& t) {
            struct timespec ts {};
            if (!t) {
                ts.tv_nsec = UTIME_OMIT;
                return ts;
            }
            constexpr std::int64_t kNanos = 1'000'000'000;
            std::int64_t seconds = *t / kNanos;
            std::int64_t nanos = *t % kNanos;
            if (nanos < 0) {  // floor for times before 1970
                nanos += kNanos;
                --seconds;
            }
            ts.tv_sec = static_cast<time_t>(seconds);
            ts.tv_nsec = static_cast<long>(nanos);
            return ts;
        };
        times[0] = toSpec(node.atime);
        times[1] = toSpec(node.mtime);
        if (::utimensat(AT_FDCWD, full.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
            Fail("cannot set times of", full);
        }
    }
    if (node.mode && node.type != TreeNode::Type::Symlink) {
        if (::chmod(full.c_str(), *node.mode) != 0) {
            Fail("cannot chmod", full);
        }
    }
}

}  // namespace qm::test
