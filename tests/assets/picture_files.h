// Reading the committed pictures and icon in tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/bitmap/bitmap.h"

namespace morvane::test {

// The bytes of a file in the assets folder; fails the test (by exception) if it is missing.
std::vector<std::uint8_t> read_asset(const std::string& name);

// A committed picture, decoded.
runtime::Image load_picture(const std::string& name);

inline std::uint32_t pixel(const runtime::Image& image, int x, int y) {
  return image.pixels.at(static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x));
}

// True when every channel of the colour is one of the seven smoothing levels.
bool is_smoothing_colour(std::uint32_t rgb);

}  // namespace morvane::test
