// The window of a loaded form: turns pointer and key input into the controls' events
// (click, double click, automatic drag and drop by the mouse or the keys, focus and
// keys). Its rooms keep their own state: the dirty region, the drag, the focus, the
// pushed button and the queue of events raised during a handler.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "runtime/core/controls/events.h"
#include "runtime/core/controls/form_object.h"
#include "runtime/core/window/control_input.h"
#include "runtime/core/window/dirty_region.h"
#include "runtime/core/window/drag.h"
#include "runtime/core/window/event_queue.h"
#include "runtime/core/window/focus.h"
#include "runtime/core/window/keys.h"

namespace morvane::runtime {

inline constexpr std::uint64_t kNoTime = ~std::uint64_t{0};

class FormWindow final : public ControlHost {
 public:
  FormWindow(Ref<FormObject> form, EventDispatcher& dispatcher);
  ~FormWindow() override;
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  FormObject& form() const { return *form_; }
  int client_width() const { return client_w_; }
  int client_height() const { return client_h_; }

  // Input, in client pixels. time_ms serves double-click detection (kNoTime: none).
  void pointer_down(int x, int y, int button = 1, std::uint64_t time_ms = kNoTime);
  void pointer_move(int x, int y);
  void pointer_up(int x, int y, int button = 1);
  // The window lost the pointer while a button was held (another window took it): a
  // drag ends without a drop, and a press ends without a click.
  void pointer_lost();
  void key_down(int key, int shift = 0);
  void key_up(int key, int shift = 0);
  // The window lost the keyboard: a drag made with the keys is cancelled.
  void focus_lost();
  void resize(int width, int height);
  // Unloads the form; nothing can cancel it.
  void close();
  bool closed() const { return closed_; }

  // What the painter needs besides the controls.
  Control* focus() const { return focus_.current(); }
  // The button drawn pressed by the pointer.
  Control* pressed() const { return press_.pressed_by_pointer(); }
  bool looks_pressed(const Control& control) const { return press_.looks_pressed(control); }
  std::optional<PixelRect> drag_outline() const { return drag_.outline(); }
  bool dragging() const { return drag_.active(); }
  // A drag picked up with Space or Enter on a focused control in automatic drag mode:
  // the arrow keys move its outline, Space or Enter drops it where a mouse release at
  // the outline's centre would, and Escape, a click or a focus change cancels it.
  bool keyboard_drag() const { return drag_.by_keys(); }
  Control* drag_source() const { return drag_.source(); }
  // The control a drop would reach now (null: the bare form, or no drag).
  Control* drag_target() const;
  const DragEnd& last_drag_end() const { return drag_.last_end(); }
  std::optional<PixelRect> focus_ring() const { return focus_.ring(); }

  // Areas to repaint since the last call (disjoint not guaranteed, clipped to the client).
  std::vector<PixelRect> take_dirty() { return dirty_.take(); }
  void invalidate(PixelRect area) { dirty_.add(area); }
  void invalidate_all() { dirty_.add_all(); }

  // The topmost visible control at a client point (the first in description order),
  // or null for the bare form.
  Control* control_at(int x, int y) const;
  // Controls that take the focus, in tab order.
  std::vector<Control*> tab_order() const { return focus_.tab_order(); }
  void set_focus(Control* control);
  // Moves the focus as Tab does, the ring shown: for a platform whose own focus (a
  // screen reader's, a page's element) moved onto the control.
  void set_focus_by_keys(Control* control);

  // ControlHost
  void control_changed(Control& control, PixelRect area) override;
  void visibility_changed(Control& control) override;
  Status check_visible_assignment(Control& control, Boolean value) override;

  static constexpr int kOutlineWidth = Drag::kOutlineWidth;
  static constexpr int kKeyStep = 8;         // pixels an arrow key moves the outline
  static constexpr int kKeyLargeStep = 40;   // with Shift
  static constexpr int kFocusRingGap = Focus::kRingGap;
  static constexpr int kFocusRingWidth = Focus::kRingWidth;
  static constexpr std::uint64_t kDoubleClickMs = 500;

 private:
  // The last click's control, time and place, which a second press may make double.
  struct LastClick {
    Control* control = nullptr;
    std::uint64_t time = kNoTime;
    int x = 0, y = 0;
  };

  void raise(Control& control, Event event, const EventArgs& args = {}) { events_.raise(control, event, args); }
  bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < client_w_ && y < client_h_; }
  // Where a control's own coordinates start, in client pixels.
  PixelRect own_area(const Control& control) const;
  EventArgs at(const Control& control, int x, int y) const;
  void raise_mouse(Control& control, Event event, int x, int y, int button);
  bool is_double_click(const Control& target, int x, int y, std::uint64_t time_ms) const;
  void press(Control* hit, int x, int y, int button, std::uint64_t time_ms);
  void end_drag(int x, int y, bool drop);
  void cancel_drag() { end_drag(0, 0, false); }
  void key_drag_key(int key, int shift);
  void activate(Control& focused, int key);
  void give_focus(Control* control, bool tell_old);
  Control& target_or_form(Control* c) const { return c ? *c : static_cast<Control&>(*form_); }

  Ref<FormObject> form_;
  int client_w_;
  int client_h_;
  bool closed_ = false;

  DirtyRegion dirty_;
  EventQueue events_;
  Focus focus_;
  Drag drag_;
  ButtonPress press_;

  Control* capture_ = nullptr;  // the control that got the pointer press
  int capture_button_ = 0;      // the button that pressed it
  int held_key_ = 0;  // the Space or Enter that last acted, until released: its repeats do nothing
  LastClick last_click_;
};

}  // namespace morvane::runtime
