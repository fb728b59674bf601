// Draws into one framebuffer, clipped to one rectangle (always inside the framebuffer):
// the primitives that every look is built from.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/bitmap/bitmap.h"
#include "runtime/core/paint/framebuffer.h"
#include "runtime/core/paint/text_rasterizer.h"

namespace morvane::runtime {

class Painter {
 public:
  Painter(Framebuffer& fb, PixelRect clip) : fb_(fb), clip_(clip.intersect(fb.bounds())) {}

  PixelRect clip() const { return clip_; }
  bool empty() const { return clip_.empty(); }
  // A painter for the part of this one's area that lies inside `r`.
  Painter within(PixelRect r) const { return Painter(fb_, clip_.intersect(r)); }

  // Fills `r` with an RGB colour.
  void fill(PixelRect r, std::uint32_t rgb) const;
  // A solid frame of `width` pixels along the inside of `r`.
  void solid_frame(PixelRect r, int width, std::uint32_t rgb) const;
  // Inverts the pixels of a frame `width` pixels wide along the inside of `r`.
  void invert_frame(PixelRect r, int width) const;
  // Sets every other pixel along the inside edge of `r`, starting at its top-left corner.
  void dotted_frame(PixelRect r, std::uint32_t rgb) const;
  // One ring of a three-dimensional edge, `inset` pixels inside `r`: its top and left in
  // one colour, then (when given) its bottom and right in another, drawn last so that they
  // own the two corners the sides share. `trim` shortens the top and left at their far ends.
  void edge_ring(PixelRect r, int inset, std::uint32_t top_left, std::optional<std::uint32_t> bottom_right,
                 int trim = 0) const;
  // Blends `mask` in colour `rgb` with the pen's start at (x, y), the line's top-left.
  void blend_mask(const TextMask& mask, int x, int y, std::uint32_t rgb) const;
  // The picture unscaled with its top-left corner at (x, y).
  void picture(const Picture& picture, int x, int y) const;

 private:
  Framebuffer& fb_;
  PixelRect clip_;
};

}  // namespace morvane::runtime
