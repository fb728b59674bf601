// Hands a window's events to the dispatcher one at a time: an event that arises while
// another is being delivered (the focus moving because a handler hid the focused
// control, say) waits until the running handler has returned, and follows in order.
#pragma once

#include <deque>

#include "runtime/core/controls/events.h"

namespace morvane::runtime {

class EventQueue {
 public:
  explicit EventQueue(EventDispatcher& dispatcher) : dispatcher_(dispatcher) {}
  EventQueue(const EventQueue&) = delete;
  EventQueue& operator=(const EventQueue&) = delete;

  void raise(Control& control, Event event, const EventArgs& args = {});

 private:
  struct Pending {
    Control* control;
    Event event;
    EventArgs args;
  };
  EventDispatcher& dispatcher_;
  std::deque<Pending> pending_;
  bool delivering_ = false;
};

}  // namespace morvane::runtime
