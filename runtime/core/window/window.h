// The window of a loaded form: turns pointer and key input into the controls' events
// (click, automatic drag and drop by the mouse or the keys, focus and keys), keeps the
// focus, and collects the areas that need repainting.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "runtime/core/controls/events.h"
#include "runtime/core/controls/form_object.h"

namespace morvane::runtime {

namespace keys {
inline constexpr int tab = 9;
inline constexpr int enter = 13;
inline constexpr int space = 32;
inline constexpr int escape = 27;
inline constexpr int left = 37;
inline constexpr int up = 38;
inline constexpr int right = 39;
inline constexpr int down = 40;
}  // namespace keys
namespace shift_state {
inline constexpr int shift = 1;
inline constexpr int ctrl = 2;
inline constexpr int alt = 4;
}  // namespace shift_state

inline constexpr std::uint64_t kNoTime = ~std::uint64_t{0};

// How the last drag ended, for whoever reports it (the page's live region).
struct DragEnd {
  std::uint64_t serial = 0;         // drags ended so far
  bool dropped = false;             // false: cancelled, or released outside the window
  bool by_keys = false;             // made with the keys
  const Control* target = nullptr;  // what it was dropped on; null for the bare form
  const Control* source = nullptr;  // what was dragged
};

class Window final : public ControlHost {
 public:
  Window(Ref<FormObject> form, EventDispatcher& dispatcher);
  ~Window() override;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  FormObject& form() const { return *form_; }
  int client_width() const { return client_w_; }
  int client_height() const { return client_h_; }

  // Input, in client pixels. time_ms serves double-click detection (kNoTime: none).
  void pointer_down(int x, int y, int button = 1, std::uint64_t time_ms = kNoTime);
  void pointer_move(int x, int y);
  void pointer_up(int x, int y, int button = 1);
  void key_down(int key, int shift = 0);
  void key_up(int key, int shift = 0);
  // The window lost the keyboard: a drag made with the keys is cancelled.
  void focus_lost();
  void resize(int width, int height);
  // Unloads the form; nothing can cancel it.
  void close();
  bool closed() const { return closed_; }

  // What the painter needs besides the controls.
  Control* focus() const { return focus_; }
  Control* pressed() const { return pressed_look_ ? capture_ : nullptr; }
  // The space bar is held down on the focused button (drawn pressed until released).
  bool space_held() const { return key_pressed_; }
  std::optional<PixelRect> drag_outline() const;
  bool dragging() const { return drag_source_ != nullptr; }
  // A drag picked up with Space or Enter on a focused control in automatic drag mode:
  // the arrow keys move its outline, Space or Enter drops it where a mouse release at
  // the outline's centre would, and Escape, a click or a focus change cancels it.
  bool keyboard_drag() const { return drag_source_ != nullptr && drag_by_keys_; }
  Control* drag_source() const { return drag_source_; }
  // The control a drop would reach now (null: the bare form, or no drag).
  Control* drag_target() const;
  const DragEnd& last_drag_end() const { return last_drag_end_; }
  // The ring around a focused picture box, outside its border, shown once the keyboard
  // has moved the focus and until the next pointer press (so a mouse user never sees it).
  std::optional<PixelRect> focus_ring() const;

  // Areas to repaint since the last call (disjoint not guaranteed, clipped to the client).
  std::vector<PixelRect> take_dirty();
  void invalidate(PixelRect area);
  void invalidate_all() { invalidate({0, 0, client_w_, client_h_}); }

  // The topmost visible control at a client point (the first in description order),
  // or null for the bare form.
  Control* control_at(int x, int y) const;
  // Controls that take the focus, in tab order.
  std::vector<Control*> tab_order() const;
  void set_focus(Control* control);
  // Moves the focus as Tab does, the ring shown: for a platform whose own focus (a
  // screen reader's, a page's element) moved onto the control.
  void set_focus_by_keys(Control* control);


  // ControlHost
  void control_changed(Control& control, PixelRect area) override;
  void visibility_changed(Control& control) override;
  Status check_visible_assignment(Control& control, Boolean value) override;

  static constexpr int kOutlineWidth = 2;
  static constexpr int kKeyStep = 8;         // pixels an arrow key moves the outline
  static constexpr int kKeyLargeStep = 40;   // with Shift
  // Picked up with the keys, the outline lies this far inside the box's rectangle, within
  // its border, so that the pick-up shows at once (a mouse drag's outline starts on it).
  static constexpr int kKeyOutlineInset = 4;
  static constexpr int kFocusRingGap = 1;    // bare pixels between a box and its focus ring
  static constexpr int kFocusRingWidth = 2;
  static constexpr std::uint64_t kDoubleClickMs = 500;

 private:
  void raise(Control& control, Event event, EventArgs args = {});
  // Where a control's own coordinates start and end, in client pixels.
  PixelRect own_area(const Control& control) const;
  void raise_mouse(Control& control, Event event, int x, int y, int button);
  void end_drag(int x, int y, bool drop);
  void invalidate_outline();
  void start_key_drag(Control& source);
  void key_drag_key(int key, int shift);
  void show_focus(bool shown);
  std::optional<PixelRect> focus_ring_area() const;
  void invalidate_focus_ring();
  Control& target_or_form(Control* c) const { return c ? *c : static_cast<Control&>(*form_); }
  void move_focus(int direction);

  Ref<FormObject> form_;
  EventDispatcher& dispatcher_;
  int client_w_;
  int client_h_;
  bool closed_ = false;

  Control* focus_ = nullptr;
  Control* capture_ = nullptr;   // control that got the pointer press
  int capture_button_ = 0;       // the button that pressed it
  bool pressed_look_ = false;    // button drawn pressed while the pointer is on it
  bool key_pressed_ = false;     // space held on the focused button
  Control* drag_source_ = nullptr;
  bool drag_by_keys_ = false;
  int held_key_ = 0;          // the Space or Enter that last acted, until released: its repeats do nothing
  bool focus_shown_ = false;  // the keyboard moved the focus since the last pointer press
  DragEnd last_drag_end_;
  int drag_dx_ = 0, drag_dy_ = 0;  // pointer offset within the source
  int pointer_x_ = 0, pointer_y_ = 0;
  Control* last_click_ = nullptr;
  std::uint64_t last_click_time_ = kNoTime;
  int last_click_x_ = 0, last_click_y_ = 0;

  struct PendingEvent {
    Control* control;
    Event event;
    EventArgs args;
  };
  std::deque<PendingEvent> pending_;
  bool delivering_ = false;

  std::vector<PixelRect> dirty_;
};

}  // namespace morvane::runtime
