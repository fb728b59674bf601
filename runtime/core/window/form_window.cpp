#include "runtime/core/window/form_window.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace morvane::runtime {

FormWindow::FormWindow(Ref<FormObject> form, EventDispatcher& dispatcher)
    : form_(std::move(form)),
      client_w_(twips_to_pixels(form_->client_width())),
      client_h_(twips_to_pixels(form_->client_height())),
      events_(dispatcher),
      focus_(*form_, dirty_),
      drag_(dirty_),
      press_(dirty_) {
  form_->set_host(this);
  for (const auto& c : form_->controls()) c->set_host(this);
  dirty_.set_bounds(client_w_, client_h_);
  invalidate_all();
}

FormWindow::~FormWindow() {
  if (form_) {
    form_->set_host(nullptr);
    for (const auto& c : form_->controls()) c->set_host(nullptr);
  }
}

PixelRect FormWindow::own_area(const Control& control) const {
  return &control == form_.get() ? PixelRect{0, 0, client_w_, client_h_} : control.client_pixel_rect();
}

EventArgs FormWindow::at(const Control& control, int x, int y) const {
  const PixelRect r = own_area(control);
  EventArgs a;
  a.x = static_cast<float>(pixels_to_twips(x - r.x));
  a.y = static_cast<float>(pixels_to_twips(y - r.y));
  return a;
}

void FormWindow::raise_mouse(Control& control, Event event, int x, int y, int button) {
  EventArgs a = at(control, x, y);
  a.button = button;
  raise(control, event, a);
}

Control* FormWindow::control_at(int x, int y) const {
  if (!inside(x, y)) return nullptr;
  for (const auto& c : form_->controls())
    if (c->visible() && c->pixel_rect().contains(x, y)) return c.get();
  return nullptr;
}

void FormWindow::set_focus(Control* control) {
  if (control == focus_.current() || closed_) return;
  give_focus(control, true);
}

void FormWindow::set_focus_by_keys(Control* control) {
  if (closed_ || dragging()) return;  // as Tab, which does nothing while a drag is under way
  set_focus(control);
  focus_.show(true);
}

// `tell_old` false: the control that had the focus was hidden, and hears nothing.
void FormWindow::give_focus(Control* control, bool tell_old) {
  // A drag made with the keys belongs to the focused control.
  if (keyboard_drag()) cancel_drag();
  Control* old = focus_.move_to(control);
  if (old) press_.focus_left(*old);
  if (old && tell_old) raise(*old, Event::lost_focus);
  if (control) raise(*control, Event::got_focus);
}

void FormWindow::pointer_down(int x, int y, int button, std::uint64_t time_ms) {
  if (closed_) return;
  focus_.show(false);
  if (keyboard_drag()) {
    // A press anywhere cancels a drag made with the keys, and does nothing else.
    cancel_drag();
    return;
  }
  if (drag_.active()) drag_.move_to(x, y);
  if (capture_ || drag_.active()) return;  // a second button while one is held changes nothing
  if (!inside(x, y)) return;
  Control* hit = control_at(x, y);
  // Automatic drag mode: the left button starts a drag instead of a click.
  if (hit && press_drags(*hit, button)) {
    drag_.start_by_pointer(*hit, x, y);
    return;
  }
  press(hit, x, y, button, time_ms);
}

void FormWindow::press(Control* hit, int x, int y, int button, std::uint64_t time_ms) {
  Control& target = target_or_form(hit);
  if (hit && press_focuses(*hit, button)) set_focus(hit);
  capture_ = &target;
  capture_button_ = button;
  press_.pointer_pressed(target, button);
  const bool double_click = is_double_click(target, x, y, time_ms);
  raise_mouse(target, Event::mouse_down, x, y, button);
  if (double_click) {
    last_click_ = {};
    raise(target, Event::dbl_click);
    capture_ = nullptr;  // the release of a double click raises no click
    press_.pointer_released();
    return;
  }
  last_click_ = {&target, time_ms, x, y};
}

bool FormWindow::is_double_click(const Control& target, int x, int y, std::uint64_t time_ms) const {
  const LastClick& last = last_click_;
  return time_ms != kNoTime && last.control == &target && last.time != kNoTime && time_ms >= last.time &&
         time_ms - last.time <= kDoubleClickMs && std::abs(x - last.x) <= 4 && std::abs(y - last.y) <= 4 &&
         raises_double_click(target);
}

void FormWindow::pointer_move(int x, int y) {
  if (closed_ || keyboard_drag()) return;  // the keys place the outline
  if (drag_.active()) {
    drag_.move_to(x, y);
    EventArgs a;
    a.source = drag_.source();
    raise(target_or_form(control_at(x, y)), Event::drag_over, a);
    return;
  }
  if (capture_) {
    press_.pointer_moved(x, y);
    raise_mouse(*capture_, Event::mouse_move, x, y, 0);
    return;
  }
  if (inside(x, y)) raise_mouse(target_or_form(control_at(x, y)), Event::mouse_move, x, y, 0);
}

void FormWindow::pointer_up(int x, int y, int button) {
  if (closed_ || keyboard_drag()) return;
  if (drag_.active()) {
    // Only the left button's release ends the drag it began.
    if (button == kLeftButton) end_drag(x, y, true);
    return;
  }
  // The release of another button than the one pressed is no click and ends nothing.
  if (!capture_ || button != capture_button_) return;
  Control* target = std::exchange(capture_, nullptr);
  press_.pointer_released();
  const bool on_target = target == form_.get() ? control_at(x, y) == nullptr && inside(x, y)
                                               : target->visible() && target->pixel_rect().contains(x, y);
  raise_mouse(*target, Event::mouse_up, x, y, button);
  if (on_target && button == kLeftButton && !closed_) raise(*target, Event::click);
}

void FormWindow::pointer_lost() {
  if (closed_) return;
  if (drag_.active() && !drag_.by_keys()) cancel_drag();
  capture_ = nullptr;
  press_.pointer_released();
}

void FormWindow::end_drag(int x, int y, bool drop) {
  Control* source = drag_.source();
  drop = drop && inside(x, y);
  Control* over = drop ? control_at(x, y) : nullptr;
  drag_.end(drop, over);
  if (!drop) return;
  Control& target = target_or_form(over);
  EventArgs a = at(target, x, y);
  a.source = source;
  raise(target, Event::drag_drop, a);
}

Control* FormWindow::drag_target() const { return drag_.active() ? control_at(drag_.x(), drag_.y()) : nullptr; }

void FormWindow::key_drag_key(int key, int shift) {
  const int step = (shift & shift_state::shift) ? kKeyLargeStep : kKeyStep;
  int dx = 0, dy = 0;
  switch (key) {
    case keys::space:
    case keys::enter:
      held_key_ = key;
      end_drag(drag_.x(), drag_.y(), true);
      return;
    case keys::escape: cancel_drag(); return;
    case keys::left: dx = -step; break;
    case keys::right: dx = step; break;
    case keys::up: dy = -step; break;
    case keys::down: dy = step; break;
    default: return;  // Tab and every other key do nothing while the keys drag
  }
  // The centre stays in the client area, so that the outline cannot be lost.
  drag_.move_to(std::clamp(drag_.x() + dx, 0, std::max(client_w_ - 1, 0)),
                std::clamp(drag_.y() + dy, 0, std::max(client_h_ - 1, 0)));
  EventArgs a;
  a.source = drag_.source();
  raise(target_or_form(drag_target()), Event::drag_over, a);
}

void FormWindow::key_down(int key, int shift) {
  if (closed_) return;
  // The auto-repeat of a Space or Enter that picked up, put down or clicked does nothing.
  if (held_key_ != 0 && key == held_key_) return;
  if (keyboard_drag()) {
    key_drag_key(key, shift);
    return;
  }
  if (key == keys::escape && drag_.active()) {
    cancel_drag();
    return;
  }
  EventArgs a;
  a.key = key;
  a.shift = shift;
  raise(target_or_form(focus()), Event::key_down, a);
  if (closed_) return;
  if (key == keys::tab && !(shift & (shift_state::ctrl | shift_state::alt))) {
    if (Control* next = focus_.step((shift & shift_state::shift) ? -1 : 1)) set_focus(next);
    focus_.show(true);
    return;
  }
  const bool activates = key == keys::space || key == keys::enter;
  if (activates && focus()) {
    activate(*focus(), key);
    return;
  }
  if (activates || (key >= 32 && key < 127)) {
    EventArgs p;
    p.key = key;
    raise(target_or_form(focus()), Event::key_press, p);
  }
}

// Space or Enter on the focused control: what its kind does with them, and the key press.
void FormWindow::activate(Control& focused, int key) {
  const KeyAction action = key_action(focused);
  if (action == KeyAction::pick_up && focused.visible() && !drag_.active() && !capture_) {
    held_key_ = key;
    drag_.start_by_keys(focused);
    focus_.show(true);
    return;
  }
  if (action == KeyAction::click) held_key_ = key;
  if (action == KeyAction::push && key == keys::space) press_.space_pressed(focused);
  if (action == KeyAction::push && key == keys::enter) raise(focused, Event::click);
  EventArgs p;
  p.key = key;
  if (!closed_) raise(target_or_form(focus()), Event::key_press, p);
  if (action == KeyAction::click && !closed_ && focused.visible()) raise(focused, Event::click);
}

void FormWindow::key_up(int key, int shift) {
  if (closed_) return;
  if (key == held_key_) held_key_ = 0;
  if (keyboard_drag()) return;  // keys do nothing else while the keys drag
  EventArgs a;
  a.key = key;
  a.shift = shift;
  raise(target_or_form(focus()), Event::key_up, a);
  if (key != keys::space) return;
  Control* pushed = press_.space_released();
  if (pushed && pushed == focus() && !closed_) raise(*pushed, Event::click);
}

void FormWindow::focus_lost() {
  held_key_ = 0;  // its release may go to another window
  if (keyboard_drag()) cancel_drag();
}

void FormWindow::resize(int width, int height) {
  if (closed_) return;
  client_w_ = std::clamp(width, 0, kMaxClientSide);
  client_h_ = std::clamp(height, 0, kMaxClientSide);
  dirty_.set_bounds(client_w_, client_h_);
  invalidate_all();
  raise(*form_, Event::resize);
}

void FormWindow::close() {
  if (closed_) return;
  if (drag_.active()) cancel_drag();
  raise(*form_, Event::query_unload);
  raise(*form_, Event::unload);
  closed_ = true;  // nothing cancels the close
}

void FormWindow::control_changed(Control&, PixelRect area) { invalidate(area); }

void FormWindow::visibility_changed(Control& control) {
  if (control.visible()) return;
  if (capture_ == &control) capture_ = nullptr;
  press_.forget(control);
  if (last_click_.control == &control) last_click_ = {};
  if (drag_.source() == &control && drag_.by_keys()) cancel_drag();
  // The focus moves on to the next control in tab order that can take it.
  if (focus() == &control) give_focus(closed_ ? nullptr : focus_.successor(control), false);
}

// Every assignment the program makes is taken; a host standing in for the window may refuse.
Status FormWindow::check_visible_assignment(Control&, Boolean) { return status::ok; }

}  // namespace morvane::runtime
