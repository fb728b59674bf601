// The program's three handler routines in the Windows executable. The runtime reaches
// them through the handler bodies of the project image, which hold their addresses;
// they reach the runtime through the services table it hands them, so the executable
// imports nothing but the start routine. Built without the C++ library.
#include <cstdint>

#include "app/form1.h"
#include "app/windows/handler_routines.h"
#include "logic/table_handlers.h"
#include "runtime/core/project/program_services.h"

using morvane::app::kEnzymeBoxes;
using morvane::runtime::ProgramServices;

extern "C" {

std::int32_t reset_click_routine(const ProgramServices* rt, std::uintptr_t object, void*, float, float) {
  return morvane::logic::reset_click(rt, object, kEnzymeBoxes);
}

std::int32_t enzyme_drag_drop_routine(const ProgramServices* rt, std::uintptr_t object, void* source, float, float) {
  return morvane::logic::enzyme_drag_drop(rt, object, kEnzymeBoxes, source);
}

std::int32_t complex_click_routine(const ProgramServices* rt, std::uintptr_t object, void*, float, float) {
  return morvane::logic::complex_click(rt, object, kEnzymeBoxes);
}

}  // extern "C"
