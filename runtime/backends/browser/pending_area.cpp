#include "runtime/backends/browser/pending_area.h"

#include <algorithm>
#include <utility>

namespace morvane::runtime {

namespace {
bool inside(const PixelRect& inner, const PixelRect& outer) { return inner.intersect(outer) == inner; }
}  // namespace

void PendingArea::add(PixelRect r) {
  if (r.empty()) return;
  for (const PixelRect& held : rects_)
    if (inside(r, held)) return;
  std::erase_if(rects_, [&](const PixelRect& held) { return inside(held, r); });
  rects_.push_back(r);
  if (rects_.size() > kMaxRects) {
    PixelRect all;
    for (const PixelRect& held : rects_) all = all.unite(held);
    rects_.assign(1, all);
  }
}

std::vector<PixelRect> PendingArea::take() {
  std::vector<PixelRect> out;
  out.swap(rects_);
  return out;
}

}  // namespace morvane::runtime
