#include "runtime/backends/browser/canvas_pixels.h"

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
    for (int x = r.x; x < r.right(); ++x) {
      const std::uint32_t p = src[x];
      *dst++ = static_cast<std::uint8_t>(p >> 16);
      *dst++ = static_cast<std::uint8_t>(p >> 8);
      *dst++ = static_cast<std::uint8_t>(p);
      *dst++ = 0xFF;
    }
  }
}

}  // namespace morvane::runtime
