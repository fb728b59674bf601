// The three handlers and the frame they run in, for both ways of calling the handlers (the runtime's
// own program and a program module of its own): the runtime's operations reached
// through its services table, the mark of the form reference set apart, the form held
// for the run and released however the steps end. What the runtime does with an error
// raised meanwhile (the marked-reference rule) is its own (program_services.cpp).
// Plain C++ without the library: it is also built into a module of its own.
#pragma once

#include <cstdint>

#include "logic/enzyme_boxes.h"
#include "logic/enzyme_steps.h"
#include "runtime/core/project/program_services.h"

namespace morvane::logic {

inline constexpr std::int32_t kFailed = static_cast<std::int32_t>(0x80004005u);

// The runtime's operations through the table, as the steps (enzyme_steps.h) call them; a
// false result means an error was raised.
class TableOps {
 public:
  using ObjectRef = void*;
  using Value = void*;
  TableOps(const runtime::ProgramServices& rt, std::uintptr_t form) : rt_(rt), form_(form) {}

  // One typed assignment: a fresh reference to the box, released as soon as done.
  bool set_visible(int number, std::int16_t value) {
    void* box = rt_.take_picture_box(rt_.context, form_, number);
    if (!box) return false;
    const bool ok = rt_.put_visible(rt_.context, box, value);
    rt_.release(rt_.context, box);
    return ok;
  }
  bool get_member(void* object, const char16_t* name, void*& out) {
    out = rt_.get_member(rt_.context, object, name);
    return out != nullptr;
  }
  bool equals(void* value, const char16_t* text) { return rt_.equals_text(rt_.context, value, text) != 0; }
  void free(void* value) { rt_.free_variant(rt_.context, value); }
  bool set_member(void* object, const char16_t* name, std::int16_t value) {
    return rt_.set_member_boolean(rt_.context, object, name, value);
  }

 private:
  const runtime::ProgramServices& rt_;
  std::uintptr_t form_;
};

// Runs `steps` (bool(TableOps&)) on the form that `received` names, marked or not;
// returns 0, or kFailed when an error was raised.
template <class Steps>
std::int32_t run_handler(const runtime::ProgramServices* rt, std::uintptr_t received, Steps steps) {
  const std::uintptr_t form = received & ~std::uintptr_t{1};
  void* const hold = rt->hold_form(rt->context, form);
  if (!hold) return kFailed;
  TableOps ops(*rt, form);
  const bool ok = steps(ops);
  rt->release(rt->context, hold);
  return ok ? 0 : kFailed;
}

// The three handlers, over the picture boxes that `boxes` names.
inline std::int32_t reset_click(const runtime::ProgramServices* rt, std::uintptr_t object, const EnzymeBoxes& boxes) {
  return run_handler(rt, object, [&boxes](TableOps& ops) { return steps::reset(ops, boxes); });
}
inline std::int32_t enzyme_drag_drop(const runtime::ProgramServices* rt, std::uintptr_t object, const EnzymeBoxes& boxes,
                                     void* source) {
  return run_handler(rt, object, [&boxes, source](TableOps& ops) { return steps::enzyme_drop(ops, boxes, source); });
}
inline std::int32_t complex_click(const runtime::ProgramServices* rt, std::uintptr_t object, const EnzymeBoxes& boxes) {
  return run_handler(rt, object, [&boxes](TableOps& ops) { return steps::complex_click(ops, boxes); });
}

}  // namespace morvane::logic
