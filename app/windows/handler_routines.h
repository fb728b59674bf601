// The handler routines of the Windows executable, which reach the runtime through the
// services table alone (their symbols are the ones the project image names).
#pragma once

#include <cstdint>

#include "runtime/core/project/program_services.h"

extern "C" {
std::int32_t reset_click_routine(const morvane::runtime::ProgramServices* rt, std::uintptr_t object, void* source,
                                 float x, float y);
std::int32_t enzyme_drag_drop_routine(const morvane::runtime::ProgramServices* rt, std::uintptr_t object,
                                      void* source, float x, float y);
std::int32_t complex_click_routine(const morvane::runtime::ProgramServices* rt, std::uintptr_t object, void* source,
                                   float x, float y);
}
