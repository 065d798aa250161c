#include "support/TempTree.h"
#include "support/TempTreeSystem.h"

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

bool SetLastWriteTime(const std::string& path, platform::FileTime time) {
    constexpr std::int64_t kNanos = 1'000'000'000;
    std::int64_t seconds = time / kNanos;
    std::int64_t nanos = time % kNanos;
    if (nanos < 0) {
        nanos += kNanos;
        --seconds;
    }
    const struct timespec times[2] = {{0, UTIME_OMIT},
                                      {static_cast<time_t>(seconds), static_cast<long>(nanos)}};
    return ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

bool UnderWine() {
    return false;
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
        case TreeNode::Fill::Zeros:
            WriteGenerated(node, [&](const char* data, std::size_t length) {
                WriteAll(fd, data, length, full);
            });
            break;
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
