// Pixel rectangles and twip conversion (15 twips to a pixel at 96 dots per inch).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

namespace morvane::runtime {

inline constexpr int kTwipsPerPixel = 15;
// The largest client area side, in pixels, that a form may have or a window be resized to.
inline constexpr int kMaxClientSide = 16384;

struct PixelRect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;

  bool empty() const { return w <= 0 || h <= 0; }
  int right() const { return x + w; }    // exclusive
  int bottom() const { return y + h; }   // exclusive
  bool contains(int px, int py) const { return px >= x && py >= y && px < right() && py < bottom(); }
  PixelRect intersect(const PixelRect& o) const {
    const int l = std::max(x, o.x), t = std::max(y, o.y);
    const int r = std::min(right(), o.right()), b = std::min(bottom(), o.bottom());
    if (r <= l || b <= t) return {};
    return {l, t, r - l, b - t};
  }
  PixelRect unite(const PixelRect& o) const {
    if (empty()) return o;
    if (o.empty()) return *this;
    const int l = std::min(x, o.x), t = std::min(y, o.y);
    return {l, t, std::max(right(), o.right()) - l, std::max(bottom(), o.bottom()) - t};
  }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The four edges of a frame `width` pixels wide along the inside of `r`: the top and the
// bottom whole, the left and the right between them (no pixel in two edges).
inline std::array<PixelRect, 4> frame_edges(const PixelRect& r, int width) {
  return {{{r.x, r.y, r.w, width},
           {r.x, r.bottom() - width, r.w, width},
           {r.x, r.y + width, width, r.h - 2 * width},
           {r.right() - width, r.y + width, width, r.h - 2 * width}}};
}

inline constexpr int twips_to_pixels(std::int32_t twips) { return twips / kTwipsPerPixel; }
inline constexpr std::int32_t pixels_to_twips(int pixels) { return pixels * kTwipsPerPixel; }

}  // namespace morvane::runtime
