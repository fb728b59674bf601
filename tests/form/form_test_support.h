// Shared helpers of the form stream tests: synthetic pictures of the real pictures' size
// and little-endian reads and writes on raw stream bytes.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "app/form1_model.h"
#include "form/window_model.h"
#include "formats/little_endian.h"
#include "tests/support/bitmap_file.h"

namespace morvane::form::test {

inline void put_u16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) { formats::store_le16(&b.at(at + 1) - 1, v); }
inline void put_u32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) { formats::store_le32(&b.at(at + 3) - 3, v); }
inline std::uint32_t get_u32(std::span<const std::uint8_t> b, std::size_t at) { return formats::le32(b.subspan(at, 4).data()); }

// A 24-bit bottom-up bitmap file of width x height with pseudo-random pixels from `seed`;
// 203 x 203 gives the 124,290 bytes of the real pictures.
inline std::vector<std::uint8_t> synthetic_bitmap(std::uint32_t seed, std::int32_t width = 203,
                                                  std::int32_t height = 203) {
  return morvane::testing::bitmap_file(width, height, 24, false, [seed](int x, int y) {
    std::uint32_t h = (seed * 2654435761u) ^ (static_cast<std::uint32_t>(x) * 40503u) ^ (static_cast<std::uint32_t>(y) * 9176u);
    h = h * 1664525u + 1013904223u;
    return (h ^ (h >> 13)) & 0xFFFFFFu;
  });
}

inline app::Form1Pictures synthetic_pictures(std::int32_t width = 203, std::int32_t height = 203) {
  return app::Form1Pictures{synthetic_bitmap(1, width, height), synthetic_bitmap(2, width, height),
                  synthetic_bitmap(3, width, height), synthetic_bitmap(4, width, height)};
}

}  // namespace morvane::form::test
