#include "foundation/CRC32.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define QM_CRC_HAVE_PCLMUL 1
#endif

namespace qm::foundation {

namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;

// kTables[0] is the classic byte table; kTables[k][i] is the register change of byte i followed
// by k zero bytes, which lets eight bytes be folded in with eight independent lookups.
using Table = std::array<std::uint32_t, 256>;
constexpr std::array<Table, 8> MakeTables() {
    std::array<Table, 8> tables{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t reg = i;
        for (int bit = 0; bit < 8; ++bit) {
            reg = (reg >> 1) ^ ((reg & 1u) != 0 ? kPolynomial : 0u);
        }
        tables[0][i] = reg;
    }
    for (std::size_t k = 1; k < 8; ++k) {
        for (std::size_t i = 0; i < 256; ++i) {
            const std::uint32_t prev = tables[k - 1][i];
            tables[k][i] = (prev >> 8) ^ tables[0][prev & 0xFFu];
        }
    }
    return tables;
}
constexpr std::array<Table, 8> kTables = MakeTables();
static_assert(kTables[0][1] == 0x77073096u);

inline std::uint32_t UpdateBytes(const unsigned char* p, std::size_t length, std::uint32_t reg) {
    const Table& table = kTables[0];
    for (std::size_t i = 0; i < length; ++i) {
        reg = table[(p[i] ^ reg) & 0xFFu] ^ (reg >> 8);
    }
    return reg;
}

inline std::uint32_t Load32(const unsigned char* p) {
    std::uint32_t value;
    std::memcpy(&value, p, sizeof value);
    if constexpr (std::endian::native == std::endian::big) {
        value = ((value & 0xFFu) << 24) | ((value & 0xFF00u) << 8) | ((value >> 8) & 0xFF00u) |
                (value >> 24);
    }
    return value;
}

std::uint32_t UpdateSliced(const unsigned char* p, std::size_t length, std::uint32_t reg) {
    while (length >= 8) {
        const std::uint32_t lo = Load32(p) ^ reg;
        const std::uint32_t hi = Load32(p + 4);
        reg = kTables[7][lo & 0xFFu] ^ kTables[6][(lo >> 8) & 0xFFu] ^
              kTables[5][(lo >> 16) & 0xFFu] ^ kTables[4][lo >> 24] ^ kTables[3][hi & 0xFFu] ^
              kTables[2][(hi >> 8) & 0xFFu] ^ kTables[1][(hi >> 16) & 0xFFu] ^ kTables[0][hi >> 24];
        p += 8;
        length -= 8;
    }
    return UpdateBytes(p, length, reg);
}

#ifdef QM_CRC_HAVE_PCLMUL

// Folding with carry-less multiplication. A 128-bit block X standing T bits before the point
// where it is needed is replaced by a block congruent to X * x^T modulo the polynomial:
// X = H * x^64 + L, so X * x^T = H * x^(64+T) + L * x^T, and each 64-bit half is multiplied by
// the matching power of x reduced to 32 bits. In the reflected bit order a carry-less product
// comes out multiplied by one extra x, so the keys are x^(63+T) and x^(T-1) mod P. Each key is
// stored bit-reflected in the upper half of its 64-bit lane.
constexpr std::uint32_t ReflectedXPowMod(unsigned n) {
    std::uint32_t reg = 0x80000000u;  // the polynomial 1
    for (unsigned i = 0; i < n; ++i) {
        reg = (reg >> 1) ^ ((reg & 1u) != 0 ? kPolynomial : 0u);
    }
    return reg;
}
constexpr std::uint64_t FoldKey(unsigned n) {
    return static_cast<std::uint64_t>(ReflectedXPowMod(n)) << 32;
}

struct FoldKeys {
    std::uint64_t low;   // multiplies the low 64 bits (the higher powers of x)
    std::uint64_t high;  // multiplies the high 64 bits
};
constexpr FoldKeys KeysFor(unsigned bits) {
    return {FoldKey(63 + bits), FoldKey(bits - 1)};
}
constexpr FoldKeys kFold128 = KeysFor(128);
constexpr FoldKeys kFold256 = KeysFor(256);
constexpr FoldKeys kFold384 = KeysFor(384);
constexpr FoldKeys kFold512 = KeysFor(512);

// Below this length the fixed cost of setting up and reducing the fold is not worth it.
constexpr std::size_t kFoldMinLength = 128;

__attribute__((target("pclmul,sse4.1"))) inline __m128i Keys(const FoldKeys& keys) {
    return _mm_set_epi64x(static_cast<long long>(keys.high), static_cast<long long>(keys.low));
}

__attribute__((target("pclmul,sse4.1"))) inline __m128i Fold(__m128i x, __m128i keys) {
    return _mm_xor_si128(_mm_clmulepi64_si128(x, keys, 0x00), _mm_clmulepi64_si128(x, keys, 0x11));
}

__attribute__((target("pclmul,sse4.1"))) inline __m128i Load128(const unsigned char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// length >= kFoldMinLength. Runs the register over the whole buffer.
__attribute__((target("pclmul,sse4.1"))) std::uint32_t UpdatePclmul(const unsigned char* p,
                                                                    std::size_t length,
                                                                    std::uint32_t reg) {
    // The register enters as an XOR over the first four bytes.
    __m128i x0 = _mm_xor_si128(Load128(p), _mm_cvtsi32_si128(static_cast<int>(reg)));
    __m128i x1 = Load128(p + 16);
    __m128i x2 = Load128(p + 32);
    __m128i x3 = Load128(p + 48);
    p += 64;
    length -= 64;

    // Four independent lanes keep the multiplier busy; each folds over the 512 bits ahead.
    const __m128i k512 = Keys(kFold512);
    while (length >= 64) {
        x0 = _mm_xor_si128(Fold(x0, k512), Load128(p));
        x1 = _mm_xor_si128(Fold(x1, k512), Load128(p + 16));
        x2 = _mm_xor_si128(Fold(x2, k512), Load128(p + 32));
        x3 = _mm_xor_si128(Fold(x3, k512), Load128(p + 48));
        p += 64;
        length -= 64;
    }

    __m128i x = _mm_xor_si128(x3, Fold(x2, Keys(kFold128)));
    x = _mm_xor_si128(x, Fold(x1, Keys(kFold256)));
    x = _mm_xor_si128(x, Fold(x0, Keys(kFold384)));

    const __m128i k128 = Keys(kFold128);
    while (length >= 16) {
        x = _mm_xor_si128(Fold(x, k128), Load128(p));
        p += 16;
        length -= 16;
    }

    // The folded block is congruent to everything read so far, so running the table from a
    // zero register over its sixteen bytes gives the register of the whole prefix.
    alignas(16) unsigned char block[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(block), x);
    reg = UpdateSliced(block, sizeof block, 0);
    return UpdateSliced(p, length, reg);
}

bool CpuHasPclmul() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    }();
    return has;
}

#endif  // QM_CRC_HAVE_PCLMUL

// The size of one read request; a file is never held in memory as a whole.
constexpr std::int64_t kChunkSize = std::int64_t{256} * 1024;

struct FileRun {
    bool readFailed = false;
    std::int64_t bytesRead = 0;
    std::uint32_t reg = 0;
};

FileRun ChecksumOpenFile(platform::ReadableFile& file, std::int64_t length) {
    FileRun run;
    const auto chunk = static_cast<std::size_t>(std::min(length, kChunkSize));
    const auto buffer = std::make_unique_for_overwrite<unsigned char[]>(chunk);
    while (run.bytesRead < length) {
        const auto want =
            static_cast<std::size_t>(std::min<std::int64_t>(length - run.bytesRead, chunk));
        const std::int64_t got = file.Read(buffer.get(), want);
        if (got < 0) {
            run.readFailed = true;
            break;
        }
        if (got == 0) {
            break;  // the file is shorter than asked
        }
        UpdateChecksumFast(buffer.get(), static_cast<std::size_t>(got), run.reg);
        run.bytesRead += got;
    }
    return run;
}

}  // namespace

void UpdateChecksum(const void* buffer, std::size_t length, std::uint32_t& reg) {
    reg = UpdateBytes(static_cast<const unsigned char*>(buffer), length, reg);
}

void UpdateChecksumSliced(const void* buffer, std::size_t length, std::uint32_t& reg) {
    reg = UpdateSliced(static_cast<const unsigned char*>(buffer), length, reg);
}

void UpdateChecksumFast(const void* buffer, std::size_t length, std::uint32_t& reg) {
    const auto* p = static_cast<const unsigned char*>(buffer);
#ifdef QM_CRC_HAVE_PCLMUL
    if (length >= kFoldMinLength && CpuHasPclmul()) {
        reg = UpdatePclmul(p, length, reg);
        return;
    }
#endif
    reg = UpdateSliced(p, length, reg);
}

const char* FastChecksumMethod() {
#ifdef QM_CRC_HAVE_PCLMUL
    if (CpuHasPclmul()) {
        return "pclmul";
    }
#endif
    return "sliced";
}

std::uint32_t FileChecksum(const std::string& path, std::int64_t length) {
    return FileChecksum(platform::SystemFileSystem(), path, length);
}

std::uint32_t FileChecksum(platform::FileSystem& fileSystem, const std::string& path,
                           std::int64_t length) {
    if (length <= 0 || !fileSystem.Stat(path).exists) {
        return 0;
    }
    const std::unique_ptr<platform::ReadableFile> file = fileSystem.OpenForRead(path);
    if (!file) {
        return 1;
    }
    const FileRun run = ChecksumOpenFile(*file, length);
    // A read that fails half-way leaves the file as unreadable as one that cannot be opened.
    return run.readFailed ? 1 : run.reg;
}

}  // namespace qm::foundation
