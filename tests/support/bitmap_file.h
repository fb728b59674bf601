// Bitmap files made up for tests: the 14- and 40-byte headers, no palette, rows padded
// to four bytes, pixel (x, y) counted from the top.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "formats/little_endian.h"

namespace morvane::testing {

// 24- or 32-bit pixels of colour(x, y) (0xRRGGBB); 32-bit pixels carry 0xA5 in their
// unused fourth byte, which must not leak into the colour.
inline std::vector<std::uint8_t> bitmap_file(int width, int height, int bits, bool top_down,
                                             const std::function<std::uint32_t(int, int)>& colour) {
  const std::size_t bytes_per_pixel = static_cast<std::size_t>(bits / 8);
  const std::size_t stride = (static_cast<std::size_t>(width) * bytes_per_pixel + 3) / 4 * 4;
  const std::size_t rows = stride * static_cast<std::size_t>(height);
  std::vector<std::uint8_t> file(54 + rows, 0);
  file[0] = 'B';
  file[1] = 'M';
  formats::store_le32(&file[2], static_cast<std::uint32_t>(file.size()));
  formats::store_le32(&file[10], 54);
  formats::store_le32(&file[14], 40);
  formats::store_le32(&file[18], static_cast<std::uint32_t>(width));
  formats::store_le32(&file[22], static_cast<std::uint32_t>(top_down ? -height : height));
  formats::store_le16(&file[26], 1);
  formats::store_le16(&file[28], static_cast<std::uint16_t>(bits));
  formats::store_le32(&file[34], static_cast<std::uint32_t>(rows));
  for (int y = 0; y < height; ++y) {
    const std::size_t row = static_cast<std::size_t>(top_down ? y : height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const std::size_t at = 54 + row * stride + static_cast<std::size_t>(x) * bytes_per_pixel;
      const std::uint32_t rgb = colour(x, y);
      file[at] = static_cast<std::uint8_t>(rgb);
      file[at + 1] = static_cast<std::uint8_t>(rgb >> 8);
      file[at + 2] = static_cast<std::uint8_t>(rgb >> 16);
      if (bits == 32) file[at + 3] = 0xA5;
    }
  }
  return file;
}

}  // namespace morvane::testing
