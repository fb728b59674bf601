#include "runtime/core/window/event_queue.h"

namespace morvane::runtime {

void EventQueue::raise(Control& control, Event event, const EventArgs& args) {
  if (delivering_) {
    pending_.push_back({&control, event, args});
    return;
  }
  struct Delivering {
    bool& flag;
    explicit Delivering(bool& f) : flag(f) { flag = true; }
    ~Delivering() { flag = false; }
  } delivering(delivering_);
  dispatcher_.raise(control, event, args);
  while (!pending_.empty()) {
    const Pending next = pending_.front();
    pending_.pop_front();
    dispatcher_.raise(*next.control, next.event, next.args);
  }
}

}  // namespace morvane::runtime
