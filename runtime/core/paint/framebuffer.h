// The window's pixels: 32-bit 0x00RRGGBB, top row first.
#pragma once

#include <cstdint>
#include <vector>

#include "runtime/core/objects/geometry.h"

namespace morvane::runtime {

struct Framebuffer {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  Framebuffer() = default;
  Framebuffer(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h)) {}
  void resize(int w, int h) {
    width = w;
    height = h;
    pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
  }
  PixelRect bounds() const { return {0, 0, width, height}; }
  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)]; }
  std::uint32_t* row(int y) { return pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width); }
  const std::uint32_t* row(int y) const { return pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width); }
};

}  // namespace morvane::runtime
