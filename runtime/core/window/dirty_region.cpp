#include "runtime/core/window/dirty_region.h"

namespace morvane::runtime {

void DirtyRegion::add(PixelRect area) {
  area = area.intersect(bounds_);
  if (area.empty()) return;
  // Merge with a rectangle it overlaps or touches; keeps the list short.
  for (auto& r : areas_) {
    const PixelRect grown{r.x - 1, r.y - 1, r.w + 2, r.h + 2};
    if (!grown.intersect(area).empty()) {
      const PixelRect u = r.unite(area);
      // Merge only when little area is wasted, so a moving outline stays cheap.
      if (static_cast<long>(u.w) * u.h <= static_cast<long>(r.w) * r.h + static_cast<long>(area.w) * area.h) {
        r = u;
        return;
      }
    }
  }
  areas_.push_back(area);
}

void DirtyRegion::add_frame(PixelRect r, int width) {
  for (const PixelRect& e : frame_edges(r, width)) add(e);
}

std::vector<PixelRect> DirtyRegion::take() {
  std::vector<PixelRect> out;
  out.swap(areas_);
  return out;
}

}  // namespace morvane::runtime
