#pragma once

// Shared by TempTree.cpp and the system's TempTree*.cpp; not for tests.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "support/TempTree.h"

namespace qm::test {

// Appends the next length bytes of the stream; continuing a stream needs length % 8 == 0.
void GenerateBytes(std::uint64_t& state, char* buffer, std::size_t length);

// Hands the node's Random or Zeros content to write, in chunks of 1 MiB.
void WriteGenerated(const TreeNode& node,
                    const std::function<void(const char* data, std::size_t length)>& write);

#ifdef _WIN32
// Removes path (a system path, without a separator at its end) and everything below it, without
// following links; read-only entries are made writable first.
void RemoveAllEntries(const std::wstring& path);
#endif

// "qm-Suite.Name", made safe for a file name.
std::string SafeTestName();

}  // namespace qm::test
