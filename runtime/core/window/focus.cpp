#include "runtime/core/window/focus.h"

#include <algorithm>

namespace morvane::runtime {

Focus::Focus(const FormObject& form, DirtyRegion& dirty) : form_(form), dirty_(dirty) {
  const auto order = tab_order();
  if (!order.empty()) current_ = order.front();
}

std::vector<Control*> Focus::tab_order() const {
  std::vector<Control*> order;
  for (const auto& c : form_.controls())
    if (c->takes_focus() && c->visible()) order.push_back(c.get());
  std::stable_sort(order.begin(), order.end(),
                   [](const Control* a, const Control* b) { return a->tab_index() < b->tab_index(); });
  return order;
}

Control* Focus::step(int direction) const {
  const auto order = tab_order();
  if (order.empty()) return nullptr;
  auto it = std::find(order.begin(), order.end(), current_);
  std::ptrdiff_t i = it == order.end() ? (direction > 0 ? -1 : 0) : it - order.begin();
  const auto n = static_cast<std::ptrdiff_t>(order.size());
  i = ((i + direction) % n + n) % n;
  return order[static_cast<std::size_t>(i)];
}

Control* Focus::successor(const Control& hidden) const {
  const auto order = tab_order();
  for (Control* c : order)
    if (c->tab_index() > hidden.tab_index()) return c;
  return order.empty() ? nullptr : order.front();
}

Control* Focus::move_to(Control* control) {
  Control* old = current_;
  invalidate_ring();  // wherever it was drawn, even if its box has just been hidden
  current_ = control;
  invalidate_ring();
  if (old) dirty_.add(old->pixel_rect());
  if (control) dirty_.add(control->pixel_rect());
  return old;
}

void Focus::show(bool shown) {
  if (shown == shown_) return;
  invalidate_ring();
  shown_ = shown;
  invalidate_ring();
}

std::optional<PixelRect> Focus::ring() const {
  if (!current_ || !current_->visible()) return std::nullopt;
  return ring_area();
}

std::optional<PixelRect> Focus::ring_area() const {
  if (!shown_ || !current_ || current_->kind() != ControlKind::picture_box) return std::nullopt;
  const int g = kRingGap + kRingWidth;
  const PixelRect r = current_->pixel_rect();
  return PixelRect{r.x - g, r.y - g, r.w + 2 * g, r.h + 2 * g};
}

void Focus::invalidate_ring() {
  if (const auto o = ring_area()) dirty_.add_frame(*o, kRingWidth);
}

}  // namespace morvane::runtime
