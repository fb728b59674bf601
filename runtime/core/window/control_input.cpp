#include "runtime/core/window/control_input.h"

#include "runtime/core/controls/events.h"

namespace morvane::runtime {

KeyAction key_action(const Control& control) {
  if (control.automatic_drag()) return KeyAction::pick_up;
  if (control.facts().pushes) return KeyAction::push;
  if (control.kind() == ControlKind::picture_box) return KeyAction::click;
  return KeyAction::none;
}

bool raises_double_click(const Control& control) {
  return !control.automatic_drag() && event_slot(control.kind(), Event::dbl_click).has_value();
}

void ButtonPress::pointer_pressed(Control& control, int button) {
  if (!control.facts().pushes || button != kLeftButton) return;
  pointer_ = &control;
  inside_ = true;
  repaint(pointer_);
}

void ButtonPress::pointer_moved(int x, int y) {
  if (!pointer_) return;
  const bool inside = pointer_->pixel_rect().contains(x, y);
  if (inside == inside_) return;
  inside_ = inside;
  repaint(pointer_);
}

void ButtonPress::pointer_released() {
  if (inside_) repaint(pointer_);
  pointer_ = nullptr;
  inside_ = false;
}

void ButtonPress::space_pressed(Control& control) {
  if (space_ == &control || !control.facts().pushes) return;
  repaint(space_);
  space_ = &control;
  repaint(space_);
}

Control* ButtonPress::space_released() {
  Control* pushed = space_;
  repaint(pushed);
  space_ = nullptr;
  return pushed;
}

void ButtonPress::focus_left(const Control& control) {
  if (space_ == &control) space_released();
}

void ButtonPress::forget(const Control& control) {
  if (pointer_ == &control) pointer_released();
  focus_left(control);
}

}  // namespace morvane::runtime
