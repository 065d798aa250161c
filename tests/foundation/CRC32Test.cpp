#include "foundation/CRC32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "support/TempTree.h"

namespace qm::foundation {
namespace {

std::uint32_t TableCrc(std::string_view bytes, std::uint32_t reg = 0) {
    UpdateChecksum(bytes.data(), bytes.size(), reg);
    return reg;
}

// Bit-by-bit reference, independent of any table.
std::uint32_t BitwiseCrc(std::string_view bytes, std::uint32_t reg = 0) {
    for (const char c : bytes) {
        reg ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit) {
            reg = (reg >> 1) ^ ((reg & 1u) != 0 ? 0xEDB88320u : 0u);
        }
    }
    return reg;
}

using Method = void (*)(const void*, std::size_t, std::uint32_t&);
struct NamedMethod {
    const char* name;
    Method method;
};
const NamedMethod kMethods[] = {
    {"table", &UpdateChecksum},
    {"sliced", &UpdateChecksumSliced},
    {"fast", &UpdateChecksumFast},
};

TEST(CRC32Test, CheckValuesForEveryMethod) {
    struct Case {
        std::string bytes;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {"abc", 0xCA6598D0u},
        {"123456789", 0x2DFD2D88u},
        {std::string(1, '\0'), 0},
        {std::string(100'000, '\0'), 0},
        {"", 0},
    };
    for (const NamedMethod& m : kMethods) {
        for (const Case& c : cases) {
            std::uint32_t reg = 0;
            m.method(c.bytes.data(), c.bytes.size(), reg);
            EXPECT_EQ(reg, c.expected) << m.name << " over " << c.bytes.size() << " bytes";
        }
    }
}

TEST(CRC32Test, TableIsTheStandardReflectedTable) {
    // A single byte b from a zero register gives table entry b.
    const unsigned char one = 1;
    std::uint32_t reg = 0;
    UpdateChecksum(&one, 1, reg);
    EXPECT_EQ(reg, 0x77073096u);
    const unsigned char last = 255;
    reg = 0;
    UpdateChecksum(&last, 1, reg);
    EXPECT_EQ(reg, 0x2D02EF8Du);
}

TEST(CRC32Test, ZeroLengthLeavesRegisterAlone) {
    for (const NamedMethod& m : kMethods) {
        std::uint32_t reg = 0x12345678u;
        m.method(nullptr, 0, reg);
        EXPECT_EQ(reg, 0x12345678u) << m.name;
    }
}

TEST(CRC32Test, PiecesGiveTheSameRegisterAsTheWhole) {
    const std::string text = qm::test::TempTree::Bytes(10'000, 7);
    const std::uint32_t whole = TableCrc(text);
    for (const NamedMethod& m : kMethods) {
        for (const std::size_t cut :
             {std::size_t{0}, std::size_t{1}, std::size_t{127}, std::size_t{4096}, text.size()}) {
            std::uint32_t reg = 0;
            m.method(text.data(), cut, reg);
            m.method(text.data() + cut, text.size() - cut, reg);
            EXPECT_EQ(reg, whole) << m.name << " cut at " << cut;
        }
    }
}

TEST(CRC32Test, AllMethodsAgreeOnRandomBuffers) {
    std::mt19937_64 rng(20240611);
    // Extra room so that every length can also start at a misaligned address.
    std::vector<unsigned char> data(4096 + 64);
    for (auto& b : data) {
        b = static_cast<unsigned char>(rng());
    }
    for (std::size_t length = 0; length <= 4096; ++length) {
        const std::size_t offset = length % 17;
        const auto start = static_cast<std::uint32_t>(rng());
        const std::string_view bytes(reinterpret_cast<const char*>(data.data() + offset), length);
        const std::uint32_t expected = BitwiseCrc(bytes, start);
        for (const NamedMethod& m : kMethods) {
            std::uint32_t reg = start;
            m.method(bytes.data(), bytes.size(), reg);
            ASSERT_EQ(reg, expected)
                << m.name << " length " << length << " offset " << offset << " start " << start;
        }
    }
}

TEST(CRC32Test, AllMethodsAgreeOnStructuredBuffers) {
    // All-ones and sparse single bits catch fold keys that are off by one power of x.
    for (const std::size_t length : {128, 129, 191, 192, 255, 256, 1000, 65536 + 15}) {
        std::string ones(length, '\xFF');
        std::string bit(length, '\0');
        bit[length / 3] = '\x01';
        for (const std::string* bytes : {&ones, &bit}) {
            for (const std::uint32_t start : {0u, 0xFFFFFFFFu, 1u, 0x80000000u}) {
                const std::uint32_t expected = BitwiseCrc(*bytes, start);
                for (const NamedMethod& m : kMethods) {
                    std::uint32_t reg = start;
                    m.method(bytes->data(), bytes->size(), reg);
                    EXPECT_EQ(reg, expected) << m.name << " length " << length;
                }
            }
        }
    }
}

TEST(CRC32Test, FastMethodIsNamed) {
    const std::string method = FastChecksumMethod();
    EXPECT_TRUE(method == "pclmul" || method == "sliced") << method;
#if defined(__x86_64__) || defined(__i386__)
    // The folding method must be chosen wherever the CPU offers it.
    if (__builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1")) {
        EXPECT_EQ(method, "pclmul");
    }
#endif
}

// --- FileChecksum ---

// Wraps the real file system and fails what a root user would never see fail.
class FaultyFileSystem final : public platform::FileSystem {
public:
    bool refuseOpen = false;
    std::int64_t failReadAfter = -1;  // bytes delivered before a read fails; -1: never
    std::size_t largestRead = 0;
    int opens = 0;

    bool ListFolder(const std::string& folder, platform::ListDetail detail,
                    std::vector<platform::DirEntry>& entries) override {
        return platform::SystemFileSystem().ListFolder(folder, detail, entries);
    }
    platform::FileFacts Stat(const std::string& path) override {
        return platform::SystemFileSystem().Stat(path);
    }
    std::unique_ptr<platform::ReadableFile> OpenForRead(const std::string& path) override {
        ++opens;
        if (refuseOpen) {
            return nullptr;
        }
        auto inner = platform::SystemFileSystem().OpenForRead(path);
        if (!inner) {
            return nullptr;
        }
        return std::make_unique<File>(std::move(inner), *this);
    }

private:
    class File final : public platform::ReadableFile {
    public:
        File(std::unique_ptr<platform::ReadableFile> inner, FaultyFileSystem& owner)
            : m_inner(std::move(inner)), m_owner(owner) {}
        std::int64_t Read(void* buffer, std::size_t length) override {
            m_owner.largestRead = std::max(m_owner.largestRead, length);
            if (m_owner.failReadAfter >= 0 && m_delivered >= m_owner.failReadAfter) {
                return -1;
            }
            const std::int64_t got = m_inner->Read(buffer, length);
            if (got > 0) {
                m_delivered += got;
            }
            return got;
        }
        platform::FileFacts Facts() override { return m_inner->Facts(); }

    private:
        std::unique_ptr<platform::ReadableFile> m_inner;
        FaultyFileSystem& m_owner;
        std::int64_t m_delivered = 0;
    };
};

TEST(CRC32Test, FileChecksumResults) {
    using qm::test::Content;
    using qm::test::Zeros;
    qm::test::TempTree tree({
        {"abc.txt", Content("abc")},
        {"zeros.bin", Zeros(5000)},
        {"empty.bin", Content("")},
        {"folder/", qm::test::Folder()},
    });
    struct Case {
        std::string name;
        std::int64_t length;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {"abc.txt", 3, 0xCA6598D0u},
        {"abc.txt", 2, TableCrc("ab")},  // only the first length bytes
        {"abc.txt", 1000, 0xCA6598D0u},  // shorter file: as far as it goes
        {"abc.txt", 0, 0},               // nothing asked
        {"abc.txt", -5, 0},
        {"zeros.bin", 5000, 0},  // zero runs give 0
        {"empty.bin", 10, 0},
        {"missing.txt", 3, 0},  // no such file
        {"folder", 3, 1},       // exists but cannot be opened as a file
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FileChecksum(tree.Path(c.name), c.length), c.expected)
            << c.name << " length " << c.length;
    }
}

TEST(CRC32Test, FileChecksumOpensNothingForMissingOrEmptyRequests) {
    qm::test::TempTree tree({{"abc.txt", qm::test::Content("abc")}});
    FaultyFileSystem fs;
    EXPECT_EQ(FileChecksum(fs, tree.Path("missing"), 3), 0u);
    EXPECT_EQ(FileChecksum(fs, tree.Path("abc.txt"), 0), 0u);
    EXPECT_EQ(fs.opens, 0);
}

TEST(CRC32Test, UnopenableAndUnreadableFiles) {
    qm::test::TempTree tree({{"data.bin", qm::test::Size(1'000'000, 3)}});
    const std::string path = tree.Path("data.bin");

    FaultyFileSystem refusing;
    refusing.refuseOpen = true;
    EXPECT_EQ(FileChecksum(refusing, path, 1'000'000), 1u);

    FaultyFileSystem failing;
    failing.failReadAfter = 300'000;  // fails after the first chunk or two
    EXPECT_EQ(FileChecksum(failing, path, 1'000'000), 1u);
}

TEST(CRC32Test, LargeFileIsReadInChunksAndMatchesMemory) {
    constexpr std::int64_t kSize = 64LL * 1024 * 1024 + 12345;  // not a multiple of any chunk
    qm::test::TempTree tree;
    const std::string path = tree.Path("large.bin");
    std::uint32_t expected = 0;
    {
        std::mt19937_64 rng(99);
        std::ofstream out(path, std::ios::binary);
        std::vector<char> block(1 << 20);
        std::int64_t written = 0;
        while (written < kSize) {
            const auto n = static_cast<std::size_t>(
                std::min<std::int64_t>(static_cast<std::int64_t>(block.size()), kSize - written));
            for (std::size_t i = 0; i < n; i += 8) {
                const std::uint64_t r = rng();
                std::memcpy(block.data() + i, &r, std::min<std::size_t>(8, n - i));
            }
            out.write(block.data(), static_cast<std::streamsize>(n));
            UpdateChecksum(block.data(), n, expected);
            written += static_cast<std::int64_t>(n);
        }
        ASSERT_TRUE(out.good());
    }
    FaultyFileSystem fs;
    EXPECT_EQ(FileChecksum(fs, path, kSize), expected);
    EXPECT_GT(fs.largestRead, 0u);
    EXPECT_LE(fs.largestRead, 1u << 20) << "the file must not be read as one buffer";
    EXPECT_EQ(FileChecksum(path, kSize), expected);
}

}  // namespace
}  // namespace qm::foundation
