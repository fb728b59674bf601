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
// Everything the runtime needs to start the project carried in `image`.
runtime::Project enzyme_project(runtime::ProjectImage image);
inline runtime::Project enzyme_project() { return enzyme_project(embedded_image()); }

}  // namespace morvane::app
