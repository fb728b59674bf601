// The parts of the canvas that wait for the next frame: repainted rectangles gathered
// over any number of events, handed over once per frame.
#pragma once

#include <cstddef>
#include <vector>

#include "runtime/core/objects/geometry.h"

namespace morvane::runtime {

class PendingArea {
 public:
  // Rectangles beyond this many are gathered into one, their union.
  static constexpr std::size_t kMaxRects = 16;

  // Adds `r`: dropped when empty or inside a rectangle already held; a held rectangle
  // inside `r` gives way to it.
  void add(PixelRect r);
  bool empty() const { return rects_.empty(); }
  const std::vector<PixelRect>& rects() const { return rects_; }
  // The rectangles to put on the canvas; leaves nothing pending.
  std::vector<PixelRect> take();

 private:
  std::vector<PixelRect> rects_;
};

}  // namespace morvane::runtime
