// An automatic drag in progress, by the mouse or the keys: its source, the point that a
// drop goes to, the outline that follows it, and how the last drag ended.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/core/controls/controls.h"
#include "runtime/core/window/dirty_region.h"

namespace morvane::runtime {

// How the last drag ended, for whoever reports it (the page's live region).
struct DragEnd {
  std::uint64_t serial = 0;         // drags ended so far
  bool dropped = false;             // false: cancelled, or released outside the window
  bool by_keys = false;             // made with the keys
  const Control* target = nullptr;  // what it was dropped on; null for the bare form
  const Control* source = nullptr;  // what was dragged
};

class Drag {
 public:
  static constexpr int kOutlineWidth = 2;
  // Picked up with the keys, the outline lies this far inside the box's rectangle, within
  // its border, so that the pick-up shows at once (a mouse drag's outline starts on it).
  static constexpr int kKeyOutlineInset = 4;

  explicit Drag(DirtyRegion& dirty) : dirty_(dirty) {}
  Drag(const Drag&) = delete;
  Drag& operator=(const Drag&) = delete;

  // The pointer pressed at (x, y) on `source`: the outline keeps the pointer's offset in it.
  void start_by_pointer(Control& source, int x, int y);
  // The outline starts over `source`, held at its centre.
  void start_by_keys(Control& source);
  // The drop point moves to (x, y), the outline with it.
  void move_to(int x, int y);
  // Ends the drag and notes how; the outline goes.
  void end(bool dropped, const Control* target);

  bool active() const { return source_ != nullptr; }
  bool by_keys() const { return source_ != nullptr && by_keys_; }
  Control* source() const { return source_; }
  int x() const { return x_; }
  int y() const { return y_; }
  std::optional<PixelRect> outline() const;
  const DragEnd& last_end() const { return last_end_; }

 private:
  void invalidate_outline();

  DirtyRegion& dirty_;
  Control* source_ = nullptr;
  bool by_keys_ = false;
  int dx_ = 0, dy_ = 0;  // the drop point's offset within the source
  int x_ = 0, y_ = 0;    // the drop point, in client pixels
  DragEnd last_end_;
};

}  // namespace morvane::runtime
