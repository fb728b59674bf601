// The demonstration's three event handlers. Each receives the form reference, marked
// in its lowest bit when entered as an event, and returns a status.
#pragma once

#include <cstdint>

#include "logic/enzyme_boxes.h"
#include "runtime/core/controls/controls.h"

namespace morvane::logic {

// `boxes` names the picture boxes by their parts.

// The reset button's Click: back to the start.
runtime::Status ResetClick(std::uintptr_t form, const EnzymeBoxes& boxes);
// DragDrop on the enzyme: a source tagged "substrate" becomes the complex. The source
// is borrowed; x and y are never read.
runtime::Status EnzymeDragDrop(std::uintptr_t form, const EnzymeBoxes& boxes, runtime::Object* const& source,
                               float x, float y);
// Click of the complex: it becomes the product and the free enzyme.
runtime::Status ComplexClick(std::uintptr_t form, const EnzymeBoxes& boxes);

}  // namespace morvane::logic
