#pragma once

#include <sys/types.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/FileDate.h"
#include "platform/FileSystem.h"

namespace qm::test {

// What one path of a TempTree holds, with optional permissions and times. Made by the factory
// functions below and refined with the With... calls, e.g.
//     Content("hello").WithMode(0444).WithMTime(Seconds(1'000'000'000))
struct TreeNode {
    enum class Type : std::uint8_t { File, Folder, Symlink, HardLink, Fifo };

    Type type = Type::File;
    // File: the bytes, unless generated is set. Symlink: the target, exactly as given. HardLink:
    // the tree path of the existing file to link to.
    std::string text;
    // File content generated instead of text: size bytes, pseudo-random from seed or zeros; a
    // sparse file is only extended (ftruncate), so it reads as zeros and costs no disk space.
    enum class Fill : std::uint8_t { Text, Random, Zeros, Sparse };
    Fill fill = Fill::Text;
    std::int64_t size = 0;
    std::uint64_t seed = 0;
    // Byte runs written over the content after it is made (offset, bytes).
    std::vector<std::pair<std::int64_t, std::string>> patches;

    std::optional<mode_t> mode;  // chmod after the whole tree is built
    // Set with utimensat (never following a link) after the whole tree is built, so creating
    // children does not disturb a folder's times. The birth time cannot be set on Linux: it is
    // the moment the tree was built.
    std::optional<platform::FileTime> mtime;
    std::optional<platform::FileTime> atime;

    TreeNode WithMode(mode_t newMode) const;
    TreeNode WithMTime(platform::FileTime time) const;
    TreeNode WithATime(platform::FileTime time) const;
    // Times given as local date-times (what the date window compares against).
    TreeNode WithMTimeLocal(const platform::LocalDateTime& local) const;
    TreeNode WithATimeLocal(const platform::LocalDateTime& local) const;
    // Overwrites bytes at offset (the file grows when needed), e.g. to make two generated files
    // differ only in their last byte.
    TreeNode WithPatch(std::int64_t offset, std::string bytes) const;
};

// A regular file holding exactly these bytes.
TreeNode Content(std::string bytes);
// A regular file of size deterministic pseudo-random bytes (TempTree::Bytes(size, seed)).
TreeNode Size(std::int64_t size, std::uint64_t seed = 0);
// A regular file of size zero bytes, written out.
TreeNode Zeros(std::int64_t size);
// A regular file of size bytes made with ftruncate: a hole, fine for sizes beyond 4 GiB.
TreeNode Sparse(std::int64_t size);
TreeNode Folder();
// A symbolic link holding target verbatim (a relative target is resolved from the link's folder).
TreeNode SymlinkTo(std::string target);
// A second name for the file at treePath (which must come earlier in the description).
TreeNode HardLinkTo(std::string treePath);
TreeNode Fifo();

// Whole seconds since 1970 as a file time.
constexpr platform::FileTime Seconds(std::int64_t seconds) {
    return seconds * 1'000'000'000;
}

struct TreeEntry {
    // Relative to the root, "/" between parts; missing parent folders are made as needed. A path
    // that ends in "/" is a folder. Any byte but NUL may appear in a name ("|", CR, invalid UTF-8).
    std::string path;
    TreeNode node = {};
};

// A temporary folder tree under /tmp (on Windows in the user's temporary folder), unique per test
// (the current test's name is part of the folder name), removed with everything in it when the
// TempTree is destroyed. Hidden entries are names starting with ".": on Windows such entries are
// given the hidden attribute too. On Windows a mode without a write bit makes the entry
// read-only; symbolic links, FIFOs and other modes cannot be made there (Build throws): tests
// that need them start with QM_SKIP_ON_WINDOWS. Throws std::runtime_error when the tree cannot be
// built.
class TempTree {
public:
    TempTree();
    explicit TempTree(std::initializer_list<TreeEntry> entries);
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // Adds more entries (parents made as needed); times and modes are applied at once.
    void Add(std::initializer_list<TreeEntry> entries);
    void Add(const TreeEntry& entry);
    // Removes a path (a folder with everything in it) from the tree.
    void Remove(const std::string& relative);

    // The root folder, ending in the separator.
    const std::string& Root() const { return m_root; }
    // Root() + relative, with the system's separator in place of "/".
    std::string Path(const std::string& relative) const;

    // The bytes Size(size, seed) writes.
    static std::string Bytes(std::int64_t size, std::uint64_t seed);

private:
    void Build(const TreeEntry& entry);
    void ApplyAttributes(const TreeEntry& entry);

    std::string m_root;
};

// The path with the system's separator in place of each "/".
std::string NativePath(std::string path);
// The path with "/" in place of each of the system's separators: the form tests compare.
std::string PortablePath(std::string path);

// Sets the last write time of the file at path (not following a final link); false on failure.
bool SetLastWriteTime(const std::string& path, platform::FileTime time);

// Whether the tests run under Wine, whose file systems lack what Windows keeps (birth times).
bool UnderWine();

}  // namespace qm::test

// Ends a test that needs what only a POSIX system has (symbolic links, FIFOs, permission bits, a
// second file system at /dev/shm) as skipped on Windows.
#ifdef _WIN32
#define QM_SKIP_ON_WINDOWS(why) GTEST_SKIP() << "not on Windows: " << (why)
#else
#define QM_SKIP_ON_WINDOWS(why) static_cast<void>(why)
#endif

// Ends a test that needs what Wine does not give a Windows program as skipped under Wine.
#define QM_SKIP_UNDER_WINE(why)  \
    if (::qm::test::UnderWine()) \
    GTEST_SKIP() << "not under Wine: " << (why)
