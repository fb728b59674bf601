// The application icon: a small window (white client area, cyan title bar, black outline)
// drawn slanting away to the right, with a grey shadow at its lower right, on a transparent
// ground. One drawing rasterised three times: 32 x 32 in two colours, 32 x 32 and 16 x 16
// in the standard 16-colour palette.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "assets/painter/canvas.h"

namespace morvane::painter {

// The standard 16-colour palette, in its usual order.
inline constexpr std::array<Rgb, 16> standard_palette{
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};
inline constexpr std::array<Rgb, 2> two_colour_palette{0x000000, 0xFFFFFF};

struct IconImage {
  int size = 0;            // width and height in pixels
  int bits_per_pixel = 0;  // 1 or 4
  std::vector<std::uint8_t> index;        // palette index per pixel, top row first
  std::vector<std::uint8_t> transparent;  // 1 where the ground shows through
  std::vector<Rgb> palette;

  Rgb colour(int x, int y) const { return palette.at(index.at(offset(x, y))); }
  bool is_transparent(int x, int y) const { return transparent.at(offset(x, y)) != 0; }

 private:
  std::size_t offset(int x, int y) const { return static_cast<std::size_t>(y) * static_cast<std::size_t>(size) + static_cast<std::size_t>(x); }
};

// Pixels 0xAARRGGBB, top row first: opaque palette colours, fully transparent ground.
std::vector<std::uint32_t> rgba_pixels(const IconImage& image);

// The 32 x 32 two-colour, 32 x 32 16-colour and 16 x 16 16-colour images, in that order.
std::vector<IconImage> paint_icon_images();

// An icon file: a 6-byte directory header, a 16-byte entry per image, then each image as a
// 40-byte information header (height doubled), its palette, its colour rows and its
// transparency mask rows, both bottom-up and padded to four bytes.
std::vector<std::uint8_t> encode_ico(const std::vector<IconImage>& images);

}  // namespace morvane::painter
