// The keyboard focus of a form's window: which control has it, the Tab order, and the
// ring around a focused picture box, outside its border, shown once the keyboard has
// moved the focus and until the next pointer press (so a mouse user never sees it).
#pragma once

#include <optional>
#include <vector>

#include "runtime/core/controls/form_object.h"
#include "runtime/core/window/dirty_region.h"

namespace morvane::runtime {

class Focus {
 public:
  static constexpr int kRingGap = 1;    // bare pixels between a box and its focus ring
  static constexpr int kRingWidth = 2;

  // The focus starts on the first control in tab order that can take it.
  Focus(const FormObject& form, DirtyRegion& dirty);
  Focus(const Focus&) = delete;
  Focus& operator=(const Focus&) = delete;

  Control* current() const { return current_; }
  // Controls that take the focus, in tab order.
  std::vector<Control*> tab_order() const;
  // The control `direction` steps from the focused one in tab order, round the ends.
  Control* step(int direction) const;
  // Where the focus goes when `hidden`, which has it, is hidden: the next in tab order.
  Control* successor(const Control& hidden) const;

  // Moves the focus and marks what changes look; returns the control that had it.
  Control* move_to(Control* control);
  // Shows or hides the ring.
  void show(bool shown);
  bool shown() const { return shown_; }
  std::optional<PixelRect> ring() const;

 private:
  std::optional<PixelRect> ring_area() const;
  void invalidate_ring();

  const FormObject& form_;
  DirtyRegion& dirty_;
  Control* current_ = nullptr;
  bool shown_ = false;
};

}  // namespace morvane::runtime
