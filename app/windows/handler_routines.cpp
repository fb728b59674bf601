// The program's three handler routines in the Windows executable. The runtime reaches
// them through the handler bodies of the project image, which hold their addresses;
// they reach the runtime through the services table it hands them, so the executable
// imports nothing but the start routine. Built without the C++ library.
#include <cstdint>

#include "app/form1.h"
#include "app/windows/handler_routines.h"
#include "logic/enzyme_steps.h"
#include "runtime/core/project/program_services.h"

using morvane::runtime::ProgramServices;

namespace {

constexpr std::int32_t kFailed = static_cast<std::int32_t>(0x80004005u);

// The runtime's operations through the table; a false result means an error was raised.
class TableOps {
 public:
  using ObjectRef = void*;
  using Value = void*;
  TableOps(const ProgramServices& rt, std::uintptr_t form) : rt_(rt), form_(form) {}

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
  const ProgramServices& rt_;
  std::uintptr_t form_;
};

// Holds the form for the run (the mark set apart) and releases it however the steps end.
template <class Steps>
std::int32_t run_handler(const ProgramServices* rt, std::uintptr_t received, Steps steps) {
  const std::uintptr_t form = received & ~std::uintptr_t{1};
  void* const hold = rt->hold_form(rt->context, form);
  if (!hold) return kFailed;
  TableOps ops(*rt, form);
  const bool ok = steps(ops);
  rt->release(rt->context, hold);
  return ok ? 0 : kFailed;
}

}  // namespace

extern "C" {

std::int32_t reset_click_routine(const ProgramServices* rt, std::uintptr_t object, void*, float, float) {
  return run_handler(rt, object, [](TableOps& ops) { return morvane::logic::steps::reset(ops, morvane::app::kEnzymeBoxes); });
}

std::int32_t enzyme_drag_drop_routine(const ProgramServices* rt, std::uintptr_t object, void* source, float, float) {
  return run_handler(rt, object, [source](TableOps& ops) { return morvane::logic::steps::enzyme_drop(ops, morvane::app::kEnzymeBoxes, source); });
}

std::int32_t complex_click_routine(const ProgramServices* rt, std::uintptr_t object, void*, float, float) {
  return run_handler(rt, object, [](TableOps& ops) { return morvane::logic::steps::complex_click(ops, morvane::app::kEnzymeBoxes); });
}

}  // extern "C"
