// What each kind of control does with the pointer and the keys, and when a push button
// looks pressed: the window's input rules ask here, and the painter draws what
// looks_pressed() says.
#pragma once

#include "runtime/core/controls/controls.h"
#include "runtime/core/window/dirty_region.h"

namespace morvane::runtime {

inline constexpr int kLeftButton = 1;

// What Space or Enter does on the focused control.
enum class KeyAction {
  none,
  pick_up,  // a control in automatic drag mode: the keys drag it
  click,    // a picture box: clicked at once
  push,     // a push button: Space pushes it until released, Enter clicks it
};
KeyAction key_action(const Control& control);

// A press of `button` on the control starts an automatic drag.
inline bool press_drags(const Control& control, int button) {
  return control.automatic_drag() && button == kLeftButton;
}
// A press of `button` on the control moves the focus to it: on a push button only the
// left button does.
inline bool press_focuses(const Control& control, int button) {
  return control.takes_focus() && (!control.facts().pushes || button == kLeftButton);
}
// A control in automatic drag mode raises no double click, whichever button.
bool raises_double_click(const Control& control);

// The push button held down by the left button (drawn pressed while the pointer is on
// it) or by the space bar.
class ButtonPress {
 public:
  explicit ButtonPress(DirtyRegion& dirty) : dirty_(dirty) {}
  ButtonPress(const ButtonPress&) = delete;
  ButtonPress& operator=(const ButtonPress&) = delete;

  // A press of `button` on `control`: only the left button pushes a push button.
  void pointer_pressed(Control& control, int button);
  // The pointer moved: the button looks pressed only while the pointer is on it.
  void pointer_moved(int x, int y);
  void pointer_released();
  // Space on the focused control; its release returns the button it pushed, if any.
  void space_pressed(Control& control);
  Control* space_released();
  // The control lost the focus: the space bar pushes it no more.
  void focus_left(const Control& control);
  // The control is hidden: nothing pushes it any more.
  void forget(const Control& control);

  // The button drawn pressed by the pointer (null: none).
  Control* pressed_by_pointer() const { return inside_ ? pointer_ : nullptr; }
  bool looks_pressed(const Control& control) const {
    return &control == pressed_by_pointer() || &control == space_;
  }

 private:
  void repaint(const Control* control) {
    if (control) dirty_.add(control->pixel_rect());
  }

  DirtyRegion& dirty_;
  Control* pointer_ = nullptr;  // pushed by the left button
  bool inside_ = false;         // the pointer is on it
  Control* space_ = nullptr;    // pushed by the space bar
};

}  // namespace morvane::runtime
