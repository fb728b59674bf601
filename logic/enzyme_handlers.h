// The demonstration's three event handlers. Each receives the form reference, marked
// in its lowest bit when entered as an event, and returns a status.
#pragma once

#include <cstdint>

#include "runtime/core/controls/controls.h"

namespace morvane::logic {

// Click of Command1: back to the start.
runtime::Status ResetClick(std::uintptr_t form);
// DragDrop on Picture1: a source tagged "substrate" becomes the complex. The source
// is borrowed; x and y are never read.
runtime::Status EnzymeDragDrop(std::uintptr_t form, runtime::Object* const& source, float x, float y);
// Click of Picture4: the complex becomes the product and the free enzyme.
runtime::Status ComplexClick(std::uintptr_t form);

}  // namespace morvane::logic
