// Appends integers to a byte buffer, least significant byte first.
#pragma once

#include <cstdint>
#include <vector>

namespace morvane::painter {

inline void put_u16(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void put_u32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

inline void put_i32(std::vector<std::uint8_t>& out, std::int32_t value) { put_u32(out, static_cast<std::uint32_t>(value)); }

}  // namespace morvane::painter
