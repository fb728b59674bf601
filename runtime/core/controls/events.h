// What an event carries to the program, and what receives the events that a window raises.
// The events and their slots are the control kind catalogue's.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/core/controls/controls.h"

namespace morvane::runtime {

using formats::Event;
using formats::event_name;
using formats::event_slot;

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
  // Whether `event` on `control` runs program code (a bound handler).
  virtual bool handles(const Control& control, Event event) const {
    (void)control;
    (void)event;
    return false;
  }
};

}  // namespace morvane::runtime
