#include "logic/enzyme_handlers.h"

#include "logic/table_handlers.h"
#include "runtime/core/project/runtime.h"

namespace morvane::logic {

using runtime::ProgramServices;
using runtime::Status;

// Called directly, the handlers go through the same services table as the routines of a
// program module of its own: one frame and one rule for an error, whichever way they run.

Status ResetClick(std::uintptr_t form, const EnzymeBoxes& boxes) {
  return runtime::call_with_services(form, {}, [&boxes](const ProgramServices* rt, std::uintptr_t object, void*, float,
                                                        float) { return reset_click(rt, object, boxes); });
}

Status EnzymeDragDrop(std::uintptr_t form, const EnzymeBoxes& boxes, runtime::Object* const& source, float x, float y) {
  return runtime::call_with_services(
      form, {.source = dynamic_cast<runtime::Control*>(source), .x = x, .y = y},
      [&boxes](const ProgramServices* rt, std::uintptr_t object, void* dragged, float, float) {
        return enzyme_drag_drop(rt, object, boxes, dragged);
      });
}

Status ComplexClick(std::uintptr_t form, const EnzymeBoxes& boxes) {
  return runtime::call_with_services(form, {}, [&boxes](const ProgramServices* rt, std::uintptr_t object, void*, float,
                                                        float) { return complex_click(rt, object, boxes); });
}

}  // namespace morvane::logic
