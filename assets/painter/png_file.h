// Writes 8-bit RGBA images as PNG files.
#pragma once

#include <cstdint>
#include <vector>

namespace morvane::painter {

// Pixels 0xAARRGGBB, top row first; no time stamp or other varying chunk is written.
std::vector<std::uint8_t> encode_png_rgba(int width, int height, const std::vector<std::uint32_t>& pixels);

}  // namespace morvane::painter
