#include "runtime/core/window/drag.h"

#include <algorithm>

namespace morvane::runtime {

void Drag::start_by_pointer(Control& source, int x, int y) {
  const PixelRect r = source.pixel_rect();
  source_ = &source;
  by_keys_ = false;
  dx_ = x - r.x;
  dy_ = y - r.y;
  x_ = x;
  y_ = y;
  invalidate_outline();
}

void Drag::start_by_keys(Control& source) {
  const PixelRect r = source.pixel_rect();
  source_ = &source;
  by_keys_ = true;
  dx_ = r.w / 2;
  dy_ = r.h / 2;
  x_ = r.x + dx_;
  y_ = r.y + dy_;
  invalidate_outline();
}

void Drag::move_to(int x, int y) {
  if (x == x_ && y == y_) return;
  invalidate_outline();  // the old place
  x_ = x;
  y_ = y;
  invalidate_outline();
}

void Drag::end(bool dropped, const Control* target) {
  invalidate_outline();
  last_end_ = {last_end_.serial + 1, dropped, by_keys_, target, source_};
  source_ = nullptr;
  by_keys_ = false;
}

std::optional<PixelRect> Drag::outline() const {
  if (!source_) return std::nullopt;
  const PixelRect r = source_->pixel_rect();
  const int inset = by_keys_ ? std::min(kKeyOutlineInset, std::min(r.w, r.h) / 2) : 0;
  return PixelRect{x_ - dx_ + inset, y_ - dy_ + inset, r.w - 2 * inset, r.h - 2 * inset};
}

// Only the frame changes: its four edges.
void Drag::invalidate_outline() {
  if (const auto o = outline()) dirty_.add_frame(*o, kOutlineWidth);
}

}  // namespace morvane::runtime
