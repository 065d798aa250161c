#pragma once

// GDI values that more than one of the canvas's source files needs. Include only from them.

#include <cstdint>

namespace qm::app::gdi {

constexpr std::uint32_t kBkOpaque = 2;

constexpr std::uint32_t kPsNull = 5;
constexpr std::uint32_t kBsSolid = 0;
constexpr std::uint32_t kBsNull = 1;

}  // namespace qm::app::gdi
