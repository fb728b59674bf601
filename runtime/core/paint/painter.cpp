#include "runtime/core/paint/painter.h"

#include <algorithm>

namespace morvane::runtime {

void Painter::fill(PixelRect r, std::uint32_t rgb) const {
  r = r.intersect(clip_);
  for (int y = r.y; y < r.bottom(); ++y) std::fill_n(fb_.row(y) + r.x, r.w, rgb);
}

void Painter::solid_frame(PixelRect r, int width, std::uint32_t rgb) const {
  for (const PixelRect& e : frame_edges(r, width)) fill(e, rgb);
}

void Painter::invert_frame(PixelRect r, int width) const {
  for (const PixelRect& e : frame_edges(r, width)) {
    const PixelRect c = e.intersect(clip_);
    for (int y = c.y; y < c.bottom(); ++y) {
      std::uint32_t* p = fb_.row(y) + c.x;
      for (int x = 0; x < c.w; ++x) p[x] ^= 0xFFFFFF;
    }
  }
}

void Painter::dotted_frame(PixelRect r, std::uint32_t rgb) const {
  if (r.empty()) return;
  auto dot = [&](int x, int y) {
    if (((x - r.x) + (y - r.y)) % 2 == 0 && clip_.contains(x, y)) fb_.row(y)[x] = rgb;
  };
  for (int x = r.x; x < r.right(); ++x) {
    dot(x, r.y);
    dot(x, r.bottom() - 1);
  }
  for (int y = r.y + 1; y < r.bottom() - 1; ++y) {
    dot(r.x, y);
    dot(r.right() - 1, y);
  }
}

void Painter::edge_ring(PixelRect r, int inset, std::uint32_t top_left, std::optional<std::uint32_t> bottom_right,
                        int trim) const {
  const int x = r.x + inset, y = r.y + inset, w = r.w - 2 * inset, h = r.h - 2 * inset;
  fill({x, y, w - trim, 1}, top_left);
  fill({x, y, 1, h - trim}, top_left);
  if (!bottom_right) return;
  fill({x, y + h - 1, w, 1}, *bottom_right);
  fill({x + w - 1, y, 1, h}, *bottom_right);
}

void Painter::blend_mask(const TextMask& mask, int x, int y, std::uint32_t rgb) const {
  const PixelRect placed{x + mask.left, y, mask.width, mask.height};
  const PixelRect c = placed.intersect(clip_);
  const std::uint32_t fr = (rgb >> 16) & 0xFF, fg = (rgb >> 8) & 0xFF, fbl = rgb & 0xFF;
  for (int py = c.y; py < c.bottom(); ++py) {
    std::uint32_t* dst = fb_.row(py);
    for (int px = c.x; px < c.right(); ++px) {
      const std::uint32_t a = mask.at(px - placed.x, py - placed.y);
      if (a == 0) continue;
      if (a == 255) {
        dst[px] = rgb & 0xFFFFFF;
        continue;
      }
      const std::uint32_t bg = dst[px];
      auto mix = [a](std::uint32_t f, std::uint32_t b) { return (f * a + b * (255 - a) + 127) / 255; };
      dst[px] = (mix(fr, (bg >> 16) & 0xFF) << 16) | (mix(fg, (bg >> 8) & 0xFF) << 8) | mix(fbl, bg & 0xFF);
    }
  }
}

void Painter::picture(const Picture& picture, int x, int y) const {
  const PixelRect shown = clip_.intersect({x, y, picture.width(), picture.height()});
  for (int row = shown.y; row < shown.bottom(); ++row)
    picture.read_row(row - y, shown.x - x, shown.w, fb_.row(row) + shown.x);
}

}  // namespace morvane::runtime
