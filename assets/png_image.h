// Decoding of a PNG file held in memory into 8-bit RGBA pixels.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace morvane::assets {

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;  // 4 bytes a pixel, top row first
};

// Throws std::runtime_error naming what is wrong with `png`.
RgbaImage decode_png(std::span<const std::uint8_t> png);

}  // namespace morvane::assets
