// The enzyme demonstration as the runtime starts it: the project image that the
// executable carries, its descriptor, and the native routines of the handlers.
#pragma once

#include <vector>

#include "runtime/core/project/runtime.h"

namespace morvane::app {

// The image as embedded in this executable.
runtime::ProjectImage embedded_image();
// The handlers' routines, by native index.
std::vector<runtime::NativeRoutine> native_routines();
// Everything the runtime needs to start the program carried in `image`.
runtime::Program enzyme_program(runtime::ProjectImage image);
inline runtime::Program enzyme_program() { return enzyme_program(embedded_image()); }

}  // namespace morvane::app
