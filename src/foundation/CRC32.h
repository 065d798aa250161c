#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qm::foundation {

// CRC-32 with the reflected IEEE 802.3 polynomial 0xEDB88320, initial register 0 and no final
// XOR: "abc" gives 0xCA6598D0, "123456789" 0x2DFD2D88, any run of zero bytes 0.

// Byte-table method: runs the register over length bytes of buffer (length may be 0).
void UpdateChecksum(const void* buffer, std::size_t length, std::uint32_t& reg);

// Same result as UpdateChecksum, computed with the fastest method this CPU offers.
void UpdateChecksumFast(const void* buffer, std::size_t length, std::uint32_t& reg);

// Checksum of the first length bytes of the file at path, read in chunks. 0 when no file exists
// or length <= 0, 1 when the file cannot be opened. These two values are indistinguishable from
// real checksums; the engine uses ReadChecksum below, which reports failures as failures.
std::uint32_t FileChecksum(const std::string& path, std::int64_t length);

}  // namespace qm::foundation
