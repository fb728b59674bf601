// Events that controls raise, and the slot each takes in its kind's event table.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/core/controls.h"

namespace morvane::runtime {

enum class Event {
  click, dbl_click, drag_drop, drag_over, got_focus, lost_focus,
  key_down, key_press, key_up, mouse_down, mouse_move, mouse_up,
  load, unload, query_unload, resize, paint, activate,
};

const char* event_name(Event e);

// Number of event slots of a kind's event table.
int event_slot_count(ControlKind kind);
// The slot of an event in its kind's table, or none when the kind has no such event.
std::optional<int> event_slot(ControlKind kind, Event e);

struct EventArgs {
  Control* source = nullptr;  // DragDrop/DragOver: the dragged control (borrowed)
  float x = 0;                // in the receiving control's own twips
  float y = 0;
  int button = 0;             // 1 left, 2 right, 4 middle
  int shift = 0;              // 1 shift, 2 ctrl, 4 alt
  int key = 0;                // key code for key events
};

// Receives every event that the window raises.
class EventDispatcher {
 public:
  virtual ~EventDispatcher() = default;
  virtual void raise(Control& control, Event event, const EventArgs& args) = 0;
};

}  // namespace morvane::runtime
