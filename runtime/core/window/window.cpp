#include "runtime/core/window/window.h"

#include <algorithm>
#include <cstdlib>

namespace morvane::runtime {

Window::Window(Ref<FormObject> form, EventDispatcher& dispatcher)
    : form_(std::move(form)),
      dispatcher_(dispatcher),
      client_w_(twips_to_pixels(form_->client_width())),
      client_h_(twips_to_pixels(form_->client_height())) {
  form_->set_host(this);
  for (const auto& c : form_->controls()) c->set_host(this);
  // The focus starts on the first control in tab order that can take it.
  const auto order = tab_order();
  if (!order.empty()) focus_ = order.front();
  invalidate_all();
}

Window::~Window() {
  if (form_) {
    form_->set_host(nullptr);
    for (const auto& c : form_->controls()) c->set_host(nullptr);
  }
}

// One event at a time: an event that arises while another is being delivered (the
// focus moving because a handler hid the focused control, say) waits until the
// running handler has returned, and is delivered in order after it.
void Window::raise(Control& control, Event event, EventArgs args) {
  if (delivering_) {
    pending_.push_back({&control, event, args});
    return;
  }
  struct Delivering {
    bool& flag;
    explicit Delivering(bool& f) : flag(f) { flag = true; }
    ~Delivering() { flag = false; }
  } delivering(delivering_);
  dispatcher_.raise(control, event, args);
  while (!pending_.empty()) {
    const PendingEvent next = pending_.front();
    pending_.pop_front();
    dispatcher_.raise(*next.control, next.event, next.args);
  }
}

PixelRect Window::own_area(const Control& control) const {
  return &control == form_.get() ? PixelRect{0, 0, client_w_, client_h_} : control.client_pixel_rect();
}

void Window::raise_mouse(Control& control, Event event, int x, int y, int button) {
  const PixelRect r = own_area(control);
  EventArgs a;
  a.button = button;
  a.x = static_cast<float>(pixels_to_twips(x - r.x));
  a.y = static_cast<float>(pixels_to_twips(y - r.y));
  raise(control, event, a);
}

Control* Window::control_at(int x, int y) const {
  if (x < 0 || y < 0 || x >= client_w_ || y >= client_h_) return nullptr;
  for (const auto& c : form_->controls())
    if (c->visible() && c->pixel_rect().contains(x, y)) return c.get();
  return nullptr;
}

std::vector<Control*> Window::tab_order() const {
  std::vector<Control*> order;
  for (const auto& c : form_->controls())
    if (c->takes_focus() && c->visible()) order.push_back(c.get());
  std::stable_sort(order.begin(), order.end(),
                   [](const Control* a, const Control* b) { return a->tab_index() < b->tab_index(); });
  return order;
}

void Window::set_focus(Control* control) {
  if (control == focus_ || closed_) return;
  // A drag made with the keys belongs to the focused control.
  if (keyboard_drag()) end_drag(0, 0, false);
  Control* old = focus_;
  invalidate_focus_ring();
  focus_ = control;
  invalidate_focus_ring();
  if (old) {
    invalidate(old->pixel_rect());
    raise(*old, Event::lost_focus);
  }
  if (control) {
    invalidate(control->pixel_rect());
    raise(*control, Event::got_focus);
  }
}

void Window::set_focus_by_keys(Control* control) {
  if (closed_ || drag_source_) return;  // as Tab, which does nothing while a drag is under way
  set_focus(control);
  show_focus(true);
}

void Window::move_focus(int direction) {
  const auto order = tab_order();
  if (order.empty()) return;
  auto it = std::find(order.begin(), order.end(), focus_);
  std::ptrdiff_t i = it == order.end() ? (direction > 0 ? -1 : 0) : it - order.begin();
  const auto n = static_cast<std::ptrdiff_t>(order.size());
  i = ((i + direction) % n + n) % n;
  set_focus(order[static_cast<std::size_t>(i)]);
}

void Window::pointer_down(int x, int y, int button, std::uint64_t time_ms) {
  if (closed_) return;
  show_focus(false);
  if (keyboard_drag()) {
    // A press anywhere cancels a drag made with the keys, and does nothing else.
    end_drag(0, 0, false);
    return;
  }
  pointer_x_ = x;
  pointer_y_ = y;
  if (capture_ || drag_source_) return;  // a second button while one is held changes nothing
  Control* hit = control_at(x, y);
  if (x < 0 || y < 0 || x >= client_w_ || y >= client_h_) return;

  // Automatic drag mode: the left button starts a drag instead of a click.
  if (hit && hit->automatic_drag() && button == 1) {
    drag_source_ = hit;
    const PixelRect r = hit->pixel_rect();
    drag_dx_ = x - r.x;
    drag_dy_ = y - r.y;
    invalidate_outline();
    return;
  }

  Control& target = target_or_form(hit);
  if (hit && hit->takes_focus()) set_focus(hit);
  capture_ = &target;
  capture_button_ = button;
  pressed_look_ = target.facts().pushes;
  if (pressed_look_) invalidate(target.pixel_rect());

  const bool double_click = time_ms != kNoTime && last_click_ == &target && last_click_time_ != kNoTime &&
                            time_ms >= last_click_time_ && time_ms - last_click_time_ <= kDoubleClickMs &&
                            std::abs(x - last_click_x_) <= 4 && std::abs(y - last_click_y_) <= 4 &&
                            event_slot(target.kind(), Event::dbl_click).has_value();
  raise_mouse(target, Event::mouse_down, x, y, button);
  if (double_click) {
    last_click_ = nullptr;
    last_click_time_ = kNoTime;
    raise(target, Event::dbl_click);
    capture_ = nullptr;  // the release of a double click raises no click
    pressed_look_ = false;
    return;
  }
  last_click_ = &target;
  last_click_time_ = time_ms;
  last_click_x_ = x;
  last_click_y_ = y;
}

void Window::pointer_move(int x, int y) {
  if (closed_ || keyboard_drag()) return;  // the keys place the outline
  if (drag_source_) invalidate_outline();  // the old place, before the pointer moves
  pointer_x_ = x;
  pointer_y_ = y;
  if (drag_source_) {
    Control* over = control_at(x, y);
    Control& target = target_or_form(over);
    EventArgs a;
    a.source = drag_source_;
    raise(target, Event::drag_over, a);
    invalidate_outline();  // new place
    return;
  }
  if (capture_) {
    if (capture_->facts().pushes) {
      const bool inside = capture_->pixel_rect().contains(x, y);
      if (inside != pressed_look_) {
        pressed_look_ = inside;
        invalidate(capture_->pixel_rect());
      }
    }
    raise_mouse(*capture_, Event::mouse_move, x, y, 0);
    return;
  }
  if (x >= 0 && y >= 0 && x < client_w_ && y < client_h_)
    raise_mouse(target_or_form(control_at(x, y)), Event::mouse_move, x, y, 0);
}

void Window::pointer_up(int x, int y, int button) {
  if (closed_ || keyboard_drag()) return;
  if (drag_source_) {
    // Only the left button's release ends the drag it began.
    if (button != 1) return;
    invalidate_outline();  // where it was last drawn
    pointer_x_ = x;
    pointer_y_ = y;
    end_drag(x, y, true);
    return;
  }
  pointer_x_ = x;
  pointer_y_ = y;
  // The release of another button than the one pressed is no click and ends nothing.
  if (!capture_ || button != capture_button_) return;
  Control* target = capture_;
  capture_ = nullptr;
  if (pressed_look_) invalidate(target->pixel_rect());
  pressed_look_ = false;
  const bool inside = target == form_.get() ? control_at(x, y) == nullptr && x >= 0 && y >= 0 && x < client_w_ &&
                                                  y < client_h_
                                            : target->visible() && target->pixel_rect().contains(x, y);
  raise_mouse(*target, Event::mouse_up, x, y, button);
  if (inside && button == 1 && !closed_) raise(*target, Event::click);
}

void Window::end_drag(int x, int y, bool drop) {
  Control* source = drag_source_;
  invalidate_outline();
  drag_source_ = nullptr;
  drop = drop && x >= 0 && y >= 0 && x < client_w_ && y < client_h_;
  Control* over = drop ? control_at(x, y) : nullptr;
  last_drag_end_ = {last_drag_end_.serial + 1, drop, drag_by_keys_, over, source};
  drag_by_keys_ = false;
  if (!drop) return;
  Control& target = target_or_form(over);
  const PixelRect r = own_area(target);
  EventArgs a;
  a.source = source;
  a.x = static_cast<float>(pixels_to_twips(x - r.x));
  a.y = static_cast<float>(pixels_to_twips(y - r.y));
  raise(target, Event::drag_drop, a);
}

Control* Window::drag_target() const { return drag_source_ ? control_at(pointer_x_, pointer_y_) : nullptr; }

void Window::start_key_drag(Control& source) {
  // The outline starts over the control, held at its centre: the point a drop goes to.
  const PixelRect r = source.pixel_rect();
  drag_source_ = &source;
  drag_by_keys_ = true;
  drag_dx_ = r.w / 2;
  drag_dy_ = r.h / 2;
  pointer_x_ = r.x + drag_dx_;
  pointer_y_ = r.y + drag_dy_;
  show_focus(true);
  invalidate_outline();
}

void Window::key_drag_key(int key, int shift) {
  const int step = (shift & shift_state::shift) ? kKeyLargeStep : kKeyStep;
  int dx = 0, dy = 0;
  switch (key) {
    case keys::space:
    case keys::enter:
      held_key_ = key;
      end_drag(pointer_x_, pointer_y_, true);
      return;
    case keys::escape: end_drag(0, 0, false); return;
    case keys::left: dx = -step; break;
    case keys::right: dx = step; break;
    case keys::up: dy = -step; break;
    case keys::down: dy = step; break;
    default: return;  // Tab and every other key do nothing while the keys drag
  }
  invalidate_outline();
  // The centre stays in the client area, so that the outline cannot be lost.
  pointer_x_ = std::clamp(pointer_x_ + dx, 0, std::max(client_w_ - 1, 0));
  pointer_y_ = std::clamp(pointer_y_ + dy, 0, std::max(client_h_ - 1, 0));
  invalidate_outline();
  EventArgs a;
  a.source = drag_source_;
  raise(target_or_form(drag_target()), Event::drag_over, a);
}

std::optional<PixelRect> Window::focus_ring() const {
  if (!focus_ || !focus_->visible()) return std::nullopt;
  return focus_ring_area();
}

std::optional<PixelRect> Window::focus_ring_area() const {
  if (!focus_shown_ || !focus_ || focus_->kind() != ControlKind::picture_box) return std::nullopt;
  const int g = kFocusRingGap + kFocusRingWidth;
  const PixelRect r = focus_->pixel_rect();
  return PixelRect{r.x - g, r.y - g, r.w + 2 * g, r.h + 2 * g};
}

void Window::show_focus(bool shown) {
  if (shown == focus_shown_) return;
  invalidate_focus_ring();
  focus_shown_ = shown;
  invalidate_focus_ring();
}

void Window::invalidate_focus_ring() {
  // Wherever it was drawn, even if its box has just been hidden.
  if (const auto o = focus_ring_area())
    for (const PixelRect& e : frame_edges(*o, kFocusRingWidth)) invalidate(e);
}

std::optional<PixelRect> Window::drag_outline() const {
  if (!drag_source_) return std::nullopt;
  const PixelRect r = drag_source_->pixel_rect();
  const int inset = drag_by_keys_ ? std::min(kKeyOutlineInset, std::min(r.w, r.h) / 2) : 0;
  return PixelRect{pointer_x_ - drag_dx_ + inset, pointer_y_ - drag_dy_ + inset, r.w - 2 * inset, r.h - 2 * inset};
}

void Window::invalidate_outline() {
  // Only the frame changes: its four edges.
  if (const auto o = drag_outline())
    for (const PixelRect& e : frame_edges(*o, kOutlineWidth)) invalidate(e);
}

void Window::key_down(int key, int shift) {
  if (closed_) return;
  // The auto-repeat of a Space or Enter that picked up, put down or clicked does nothing.
  if (held_key_ != 0 && key == held_key_) return;
  if (keyboard_drag()) {
    key_drag_key(key, shift);
    return;
  }
  if (key == keys::escape && drag_source_) {
    end_drag(0, 0, false);
    return;
  }
  Control& target = target_or_form(focus_);
  EventArgs a;
  a.key = key;
  a.shift = shift;
  raise(target, Event::key_down, a);
  if (closed_) return;
  if (key == keys::tab && !(shift & (shift_state::ctrl | shift_state::alt))) {
    move_focus((shift & shift_state::shift) ? -1 : 1);
    show_focus(true);
    return;
  }
  const bool activate = key == keys::space || key == keys::enter;
  // Space or Enter on a focused control in automatic drag mode picks it up, as the
  // left button does; on a picture box without it, they click it.
  if (activate && focus_ && focus_->automatic_drag() && focus_->visible() && !drag_source_ && !capture_) {
    held_key_ = key;
    start_key_drag(*focus_);
    return;
  }
  Control* clicked = nullptr;
  if (activate && focus_ && focus_->kind() == ControlKind::picture_box && !focus_->automatic_drag()) {
    held_key_ = key;
    clicked = focus_;
  }
  if (focus_ && focus_->facts().pushes) {
    if (key == keys::space && !key_pressed_) {
      key_pressed_ = true;
      invalidate(focus_->pixel_rect());
    } else if (key == keys::enter) {
      raise(*focus_, Event::click);
    }
  }
  if (key == keys::space || key == keys::enter || (key >= 32 && key < 127)) {
    EventArgs p;
    p.key = key;
    if (!closed_) raise(target_or_form(focus_), Event::key_press, p);
  }
  if (clicked && !closed_ && clicked->visible()) raise(*clicked, Event::click);
}

void Window::key_up(int key, int shift) {
  if (closed_) return;
  if (key == held_key_) held_key_ = 0;
  if (keyboard_drag()) return;  // keys do nothing else while the keys drag
  EventArgs a;
  a.key = key;
  a.shift = shift;
  raise(target_or_form(focus_), Event::key_up, a);
  if (key == keys::space && key_pressed_) {
    key_pressed_ = false;
    if (focus_ && focus_->facts().pushes) {
      invalidate(focus_->pixel_rect());
      if (!closed_) raise(*focus_, Event::click);
    }
  }
}

void Window::focus_lost() {
  held_key_ = 0;  // its release may go to another window
  if (keyboard_drag()) end_drag(0, 0, false);
}

void Window::resize(int width, int height) {
  if (closed_) return;
  client_w_ = std::clamp(width, 0, kMaxClientSide);
  client_h_ = std::clamp(height, 0, kMaxClientSide);
  invalidate_all();
  raise(*form_, Event::resize);
}

void Window::close() {
  if (closed_) return;
  if (drag_source_) end_drag(0, 0, false);
  raise(*form_, Event::query_unload);
  raise(*form_, Event::unload);
  closed_ = true;  // nothing cancels the close
}

std::vector<PixelRect> Window::take_dirty() {
  std::vector<PixelRect> out;
  out.swap(dirty_);
  return out;
}

void Window::invalidate(PixelRect area) {
  area = area.intersect({0, 0, client_w_, client_h_});
  if (area.empty()) return;
  // Merge with a rectangle it overlaps or touches; keeps the list short.
  for (auto& r : dirty_) {
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
  dirty_.push_back(area);
}

void Window::control_changed(Control&, PixelRect area) { invalidate(area); }

void Window::visibility_changed(Control& control) {
  if (control.visible()) return;
  if (capture_ == &control) {
    capture_ = nullptr;
    pressed_look_ = false;
  }
  if (last_click_ == &control) last_click_ = nullptr;
  if (drag_source_ == &control && drag_by_keys_) end_drag(0, 0, false);
  if (focus_ == &control) {
    invalidate_focus_ring();
    // The focus moves on to the next control in tab order that can take it.
    const auto order = tab_order();
    Control* next = nullptr;
    for (Control* c : order)
      if (c->tab_index() > control.tab_index()) {
        next = c;
        break;
      }
    if (!next && !order.empty()) next = order.front();
    focus_ = nullptr;
    set_focus(next);
  }
}

// Every assignment the program makes is taken; a host standing in for the window may refuse.
Status Window::check_visible_assignment(Control&, Boolean) { return status::ok; }

}  // namespace morvane::runtime
