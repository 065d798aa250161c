#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/FileSystem.h"

namespace qm::foundation {

// CRC-32 with the reflected IEEE 802.3 polynomial 0xEDB88320, initial register 0 and no final
// XOR: "abc" gives 0xCA6598D0, "123456789" 0x2DFD2D88, any run of zero bytes 0. The register is
// the plain CRC state, so a buffer may be fed in pieces: running over a and then b gives the
// register of a + b.

// Byte-table method: runs the register over length bytes of buffer (length may be 0).
void UpdateChecksum(const void* buffer, std::size_t length, std::uint32_t& reg);

// Same result as UpdateChecksum, computed with the fastest method this CPU offers (carry-less
// multiplication folding where the CPU has PCLMULQDQ, slicing-by-8 otherwise).
void UpdateChecksumFast(const void* buffer, std::size_t length, std::uint32_t& reg);

// Same result again, always with slicing-by-8 (eight table lookups per eight bytes); the method
// UpdateChecksumFast falls back to. Public so that tests and benchmarks reach it on every CPU.
void UpdateChecksumSliced(const void* buffer, std::size_t length, std::uint32_t& reg);

// The method UpdateChecksumFast chose on this CPU: "pclmul" or "sliced".
const char* FastChecksumMethod();

// Checksum of the first length bytes of the file at path, read in chunks. 0 when no file exists
// or length <= 0, 1 when the file cannot be opened or a read fails. A file shorter than length
// is covered as far as it goes. These values are indistinguishable from real checksums, so the
// engine never decides by them: it compares the files' bytes.
std::uint32_t FileChecksum(const std::string& path, std::int64_t length);

// FileChecksum through the given file system (tests wrap the real one to inject failures).
std::uint32_t FileChecksum(platform::FileSystem& fileSystem, const std::string& path,
                           std::int64_t length);

}  // namespace qm::foundation
