// The runtime of the English project that the WebAssembly carries, made while the
// module's global objects are constructed. The page's build evaluates those
// constructors (-sEVAL_CTORS) and ships the memory they leave: the page's start then
// neither reads the image nor loads the form, nor compiles the code that does. Another
// language's project is read and checked in full when it arrives.
#pragma once

#include <memory>

#include "runtime/core/project/runtime.h"

namespace morvane::web {

// The runtime made from app::enzyme_project(), once; null when it was taken already or
// the project could not start (reading it again then says why).
std::unique_ptr<runtime::Runtime> take_english_runtime();

}  // namespace morvane::web
