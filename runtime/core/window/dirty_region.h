// The areas of a window's client area that need repainting, collected between two paints.
#pragma once

#include <vector>

#include "runtime/core/objects/geometry.h"

namespace morvane::runtime {

class DirtyRegion {
 public:
  // Everything outside the client area is left out.
  void set_bounds(int width, int height) { bounds_ = {0, 0, width, height}; }
  void add(PixelRect area);
  void add_all() { add(bounds_); }
  // Only a frame's four edges, `width` pixels wide along the inside of `r`.
  void add_frame(PixelRect r, int width);
  // The areas added since the last call (disjoint not guaranteed).
  std::vector<PixelRect> take();

 private:
  PixelRect bounds_;
  std::vector<PixelRect> areas_;
};

}  // namespace morvane::runtime
