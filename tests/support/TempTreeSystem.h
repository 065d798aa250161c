#pragma once

// Shared by TempTree.cpp and the system's TempTree*.cpp; not for tests.

#include <cstddef>
#include <cstdint>
#include <string>

namespace qm::test {

// Appends the next length bytes of the stream; continuing a stream needs length % 8 == 0.
void GenerateBytes(std::uint64_t& state, char* buffer, std::size_t length);

// "qm-Suite.Name", made safe for a file name.
std::string SafeTestName();

}  // namespace qm::test
