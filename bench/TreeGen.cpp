// qm-treegen: writes the benchmark trees of bench/run-peers.sh, the same bytes for the same seed.
//
//   qm-treegen TREE FOLDER [--seed N] [--scale F]
//
// TREE is one of
//   a  200,000 small files (0 to 16 KiB) in a deep tree, 10 % of them in duplicate sets
//   b  4,000 files of exactly 1 MiB, nearly all different: pairs that differ only in the last
//      byte, pairs that share their first and last 64 KiB, and a few equal pairs
//   c  six files of 256 MiB to 1 GiB: an equal pair, a pair differing only in the middle byte
//      and two files of sizes no other file has
//   d  100,000 files whose sizes are all different (sparse beyond their first bytes, so they
//      take next to no space; no tool needs to read them)
//   e  50,000 small files as in a, but about two per folder (23,000 folders), as on a disk of
//      source trees and settings folders: listing the folders costs as much as the files
// --scale multiplies the file counts of a, b, d and e and the sizes of c (for quick trials).
// FOLDER must not exist yet. Prints a one-line description of what it wrote.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// xoshiro256** seeded through splitmix64: fast, and the same stream on every machine.
class Random {
public:
    explicit Random(std::uint64_t seed) {
        for (auto& word : m_state) {
            seed += 0x9E3779B97F4A7C15ull;
            std::uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            word = z ^ (z >> 31);
        }
    }
    std::uint64_t Next() {
        const std::uint64_t result = Rotl(m_state[1] * 5, 7) * 9;
        const std::uint64_t t = m_state[1] << 17;
        m_state[2] ^= m_state[0];
        m_state[3] ^= m_state[1];
        m_state[1] ^= m_state[2];
        m_state[0] ^= m_state[3];
        m_state[2] ^= t;
        m_state[3] = Rotl(m_state[3], 45);
        return result;
    }
    // Uniform in [0, bound).
    std::uint64_t Below(std::uint64_t bound) { return bound == 0 ? 0 : Next() % bound; }
    void Fill(char* data, std::size_t length) {
        while (length >= 8) {
            const std::uint64_t word = Next();
            std::memcpy(data, &word, 8);
            data += 8;
            length -= 8;
        }
        if (length > 0) {
            const std::uint64_t word = Next();
            std::memcpy(data, &word, length);
        }
    }

private:
    static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t m_state[4];
};

[[noreturn]] void Die(const std::string& what) {
    std::fprintf(stderr, "qm-treegen: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

void MakeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
        Die("cannot create " + path);
    }
}

std::uint64_t g_bytesWritten = 0;
std::uint64_t g_filesWritten = 0;

// A file of size bytes: content from a generator seeded with contentSeed, then the patches
// applied. With sparseAfter set, only the first sparseAfter bytes are written and the rest is a
// hole (zeros).
struct Patch {
    std::uint64_t offset;
    unsigned char byte;
};

void WriteFile(const std::string& path, std::uint64_t size, std::uint64_t contentSeed,
               const std::vector<Patch>& patches = {}, std::uint64_t sparseAfter = UINT64_MAX) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        Die("cannot create " + path);
    }
    Random random(contentSeed);
    const std::uint64_t written = std::min(size, sparseAfter);
    static std::vector<char> buffer(1 << 20);
    for (std::uint64_t offset = 0; offset < written;) {
        const std::size_t chunk =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), written - offset));
        random.Fill(buffer.data(), chunk);
        for (const Patch& patch : patches) {
            if (patch.offset >= offset && patch.offset < offset + chunk) {
                buffer[patch.offset - offset] = static_cast<char>(patch.byte);
            }
        }
        for (std::size_t done = 0; done < chunk;) {
            const ssize_t n = ::write(fd, buffer.data() + done, chunk - done);
            if (n < 0) {
                Die("cannot write " + path);
            }
            done += static_cast<std::size_t>(n);
        }
        offset += chunk;
    }
    if (size > written && ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        Die("cannot size " + path);
    }
    if (::close(fd) != 0) {
        Die("cannot close " + path);
    }
    g_bytesWritten += written;
    ++g_filesWritten;
}

std::uint64_t Scaled(std::uint64_t count, double scale) {
    return std::max<std::uint64_t>(1, static_cast<std::uint64_t>(std::llround(count * scale)));
}

// Folders for tree a: each new folder hangs below one of the twenty most recent ones, which
// makes long chains (a deep tree) with side branches; about one in twenty is hidden.
std::vector<std::string> MakeDeepFolders(const std::string& root, std::uint64_t count,
                                         Random& random) {
    std::vector<std::string> folders = {root};
    std::vector<int> depth = {0};
    constexpr int kMaxDepth = 24;
    for (std::uint64_t i = 1; i < count; ++i) {
        const std::uint64_t back = random.Below(std::min<std::uint64_t>(i, 20));
        std::size_t parent = static_cast<std::size_t>(i - 1 - back);
        if (depth[parent] >= kMaxDepth) {
            parent = 0;
        }
        char name[32];
        std::snprintf(name, sizeof name, random.Below(20) == 0 ? ".h%05llu" : "d%05llu",
                      static_cast<unsigned long long>(i));
        folders.push_back(folders[parent] + name + "/");
        depth.push_back(depth[parent] + 1);
        MakeFolder(folders.back());
    }
    return folders;
}

std::string FileName(std::uint64_t index, Random& random) {
    static const char* const kExtensions[] = {".txt", ".jpg", ".png", ".doc", ".dat",
                                              ".bin", ".c",   ".h",   ""};
    const char* extension = kExtensions[random.Below(9)];
    char name[48];
    std::snprintf(name, sizeof name, random.Below(33) == 0 ? ".f%07llu%s" : "f%07llu%s",
                  static_cast<unsigned long long>(index), extension);
    return name;
}

// Small files (8 bytes to 16 KiB, the first duplicate set empty) spread over folderCount deep
// folders; 10 % of them in duplicate sets.
void SmallFiles(const std::string& root, std::uint64_t seed, std::uint64_t files,
                std::uint64_t folderCount, char tree) {
    Random random(seed);
    const std::vector<std::string> folders = MakeDeepFolders(root, folderCount, random);
    const auto folder = [&] { return folders[random.Below(folders.size())]; };
    std::uint64_t index = 0;

    // 10 % of the files in duplicate sets of two to four copies; the first set is empty files.
    const std::uint64_t duplicated = files / 10;
    std::uint64_t set = 0;
    while (index < duplicated) {
        const std::uint64_t copies =
            std::min<std::uint64_t>(2 + random.Below(3), duplicated - index);
        if (copies < 2) {
            break;
        }
        const std::uint64_t size = set == 0 ? 0 : 8 + random.Below(16384 - 8 + 1);
        const std::uint64_t contentSeed = (seed << 32) ^ (0x8000'0000ull + set);
        for (std::uint64_t c = 0; c < copies; ++c) {
            WriteFile(folder() + FileName(index++, random), size, contentSeed);
        }
        ++set;
    }
    // The rest unique: equal sizes are common (sixteen thousand sizes for 180,000 files), so a
    // tool must look at the content; a file's own number opens its content and sets it apart.
    while (index < files) {
        const std::uint64_t size = 8 + random.Below(16384 - 8 + 1);
        const std::uint64_t fileIndex = index;
        std::vector<Patch> patches;
        for (int b = 0; b < 8; ++b) {
            patches.push_back(
                {static_cast<std::uint64_t>(b), static_cast<unsigned char>(fileIndex >> (8 * b))});
        }
        WriteFile(folder() + FileName(index++, random), size, (seed << 32) ^ fileIndex, patches);
    }
    std::printf("tree %c: %llu files (%llu in %llu duplicate sets) in %zu folders, %llu bytes\n",
                tree, static_cast<unsigned long long>(g_filesWritten),
                static_cast<unsigned long long>(duplicated), static_cast<unsigned long long>(set),
                folders.size(), static_cast<unsigned long long>(g_bytesWritten));
}

void TreeA(const std::string& root, std::uint64_t seed, double scale) {
    SmallFiles(root, seed, Scaled(200'000, scale), Scaled(4'000, scale), 'a');
}

void TreeE(const std::string& root, std::uint64_t seed, double scale) {
    SmallFiles(root, seed, Scaled(50'000, scale), Scaled(23'000, scale), 'e');
}

void TreeB(const std::string& root, std::uint64_t seed, double scale) {
    Random random(seed);
    constexpr std::uint64_t kSize = 1 << 20;
    constexpr std::uint64_t kEnds = 64 << 10;
    const std::uint64_t files = Scaled(4'000, scale);
    const std::uint64_t lastBytePairs = std::max<std::uint64_t>(1, files / 100);   // 40
    const std::uint64_t sharedEndPairs = std::max<std::uint64_t>(1, files / 400);  // 10
    const std::uint64_t equalPairs = std::max<std::uint64_t>(1, files / 400);      // 10
    for (int f = 0; f < 40; ++f) {
        MakeFolder(root + "g" + std::to_string(f) + "/");
    }
    std::uint64_t index = 0;
    const auto path = [&] {
        char name[32];
        std::snprintf(name, sizeof name, "g%llu/m%06llu.bin",
                      static_cast<unsigned long long>(random.Below(40)),
                      static_cast<unsigned long long>(index++));
        return root + name;
    };
    std::uint64_t seedIndex = 0;
    const auto nextSeed = [&] { return (seed << 32) ^ ++seedIndex; };
    for (std::uint64_t p = 0; p < lastBytePairs; ++p) {
        const std::uint64_t s = nextSeed();
        WriteFile(path(), kSize, s, {{kSize - 1, 0x00}});
        WriteFile(path(), kSize, s, {{kSize - 1, 0xFF}});
    }
    for (std::uint64_t p = 0; p < sharedEndPairs; ++p) {
        // Same first and last 64 KiB, different middles: the middle comes from another seed.
        const std::uint64_t s = nextSeed();
        const std::uint64_t middleA = nextSeed();
        const std::uint64_t middleB = nextSeed();
        for (const std::uint64_t middle : {middleA, middleB}) {
            const std::string file = path();
            WriteFile(file, kSize, s);
            std::vector<char> chunk(kSize - 2 * kEnds);
            Random(middle).Fill(chunk.data(), chunk.size());
            const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
            if (fd < 0 || ::pwrite(fd, chunk.data(), chunk.size(), kEnds) !=
                              static_cast<ssize_t>(chunk.size())) {
                Die("cannot write " + file);
            }
            ::close(fd);
        }
    }
    for (std::uint64_t p = 0; p < equalPairs; ++p) {
        const std::uint64_t s = nextSeed();
        WriteFile(path(), kSize, s);
        WriteFile(path(), kSize, s);
    }
    while (index < files) {
        WriteFile(path(), kSize, nextSeed());
    }
    std::printf(
        "tree b: %llu files of 1 MiB (%llu pairs differing in the last byte, %llu pairs "
        "sharing first and last 64 KiB, %llu equal pairs), %llu bytes\n",
        static_cast<unsigned long long>(g_filesWritten),
        static_cast<unsigned long long>(lastBytePairs),
        static_cast<unsigned long long>(sharedEndPairs),
        static_cast<unsigned long long>(equalPairs),
        static_cast<unsigned long long>(g_bytesWritten));
}

void TreeC(const std::string& root, std::uint64_t seed, double scale) {
    constexpr std::uint64_t kMiB = 1 << 20;
    const auto size = [&](std::uint64_t mebibytes) {
        return std::max<std::uint64_t>(1024, static_cast<std::uint64_t>(mebibytes * kMiB * scale));
    };
    const std::uint64_t equal = size(256);
    const std::uint64_t middle = size(512);
    WriteFile(root + "equal-1.img", equal, seed ^ 1);
    WriteFile(root + "equal-2.img", equal, seed ^ 1);
    WriteFile(root + "middle-1.img", middle, seed ^ 2, {{middle / 2, 0x00}});
    WriteFile(root + "middle-2.img", middle, seed ^ 2, {{middle / 2, 0xFF}});
    WriteFile(root + "alone-1.img", size(1024), seed ^ 3);
    WriteFile(root + "alone-2.img", size(384), seed ^ 4);
    std::printf(
        "tree c: 6 files (one equal pair, one pair differing in the middle byte), "
        "%llu bytes\n",
        static_cast<unsigned long long>(g_bytesWritten));
}

void TreeD(const std::string& root, std::uint64_t seed, double scale) {
    Random random(seed);
    const std::uint64_t files = Scaled(100'000, scale);
    const std::uint64_t folders = std::max<std::uint64_t>(1, files / 100);
    std::vector<std::string> paths;
    for (std::uint64_t f = 0; f < folders; ++f) {
        const std::string parent = root + "p" + std::to_string(f % 10) + "/";
        MakeFolder(parent);
        paths.push_back(parent + "q" + std::to_string(f) + "/");
        MakeFolder(paths.back());
    }
    // Sizes 1 .. files, each once, handed out in a shuffled order.
    std::vector<std::uint64_t> sizes(files);
    for (std::uint64_t i = 0; i < files; ++i) {
        sizes[i] = i + 1;
    }
    for (std::uint64_t i = files - 1; i > 0; --i) {
        std::swap(sizes[i], sizes[random.Below(i + 1)]);
    }
    for (std::uint64_t i = 0; i < files; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "u%06llu.dat", static_cast<unsigned long long>(i));
        WriteFile(paths[random.Below(paths.size())] + name, sizes[i], (seed << 32) ^ i, {}, 64);
    }
    std::printf("tree d: %llu files of %llu different sizes in %llu folders, %llu bytes written\n",
                static_cast<unsigned long long>(g_filesWritten),
                static_cast<unsigned long long>(files), static_cast<unsigned long long>(folders),
                static_cast<unsigned long long>(g_bytesWritten));
}

int Usage() {
    std::fprintf(stderr, "usage: qm-treegen a|b|c|d|e FOLDER [--seed N] [--scale F]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return Usage();
    }
    const std::string tree = argv[1];
    std::string root = argv[2];
    std::uint64_t seed = 20260101;
    double scale = 1.0;
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seed" && i + 1 < argc) {
            seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--scale" && i + 1 < argc) {
            scale = std::strtod(argv[++i], nullptr);
            if (!(scale > 0)) {
                return Usage();
            }
        } else {
            return Usage();
        }
    }
    if (root.empty()) {
        return Usage();
    }
    if (root.back() != '/') {
        root += '/';
    }
    if (::mkdir(root.c_str(), 0755) != 0) {
        Die("cannot create " + root);
    }
    if (tree == "a") {
        TreeA(root, seed, scale);
    } else if (tree == "b") {
        TreeB(root, seed, scale);
    } else if (tree == "c") {
        TreeC(root, seed, scale);
    } else if (tree == "d") {
        TreeD(root, seed, scale);
    } else if (tree == "e") {
        TreeE(root, seed, scale);
    } else {
        return Usage();
    }
    return 0;
}
