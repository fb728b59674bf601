#include "runtime/backends/browser/canvas_pixels.h"

#include "formats/little_endian.h"

#include <stdexcept>
#include <string>

namespace morvane::runtime {

std::size_t canvas_bytes(const Framebuffer& fb) {
  return static_cast<std::size_t>(fb.width) * static_cast<std::size_t>(fb.height) * 4;
}

void copy_to_canvas(const Framebuffer& fb, PixelRect area, std::span<std::uint8_t> rgba) {
  if (rgba.size() != canvas_bytes(fb))
    throw std::invalid_argument("canvas image of " + std::to_string(rgba.size()) + " bytes for a " +
                                std::to_string(fb.width) + " x " + std::to_string(fb.height) + " framebuffer");
  const PixelRect r = area.intersect(fb.bounds());
  for (int y = r.y; y < r.bottom(); ++y) {
    const std::uint32_t* src = fb.row(y);
    std::uint8_t* dst = rgba.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(fb.width) +
                                       static_cast<std::size_t>(r.x)) * 4;
    // One 32-bit store a pixel: the bytes R, G, B, A are that word in little-endian order.
    for (int x = r.x; x < r.right(); ++x, dst += 4) {
      const std::uint32_t p = src[x];
      const std::uint32_t word = 0xFF000000u | ((p & 0xFFu) << 16) | (p & 0xFF00u) | ((p >> 16) & 0xFFu);
      formats::store_le32(dst, word);
    }
  }
}

}  // namespace morvane::runtime
