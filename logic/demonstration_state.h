// The states the handlers move the window between, read off which picture boxes show.
#pragma once

#include <string>

#include "logic/enzyme_boxes.h"
#include "runtime/core/controls/form_object.h"

namespace morvane::logic {

// The Visible settings of the enzyme, substrate, product and complex as four
// characters, "1100" for the start ('?' for a box the form lacks).
std::string visibility_bits(const runtime::FormObject& form, const EnzymeBoxes& boxes);
// "Start" (1100), "Complex" (0001) or "Product" (1010); any other state as its bits.
std::string demonstration_state(const runtime::FormObject& form, const EnzymeBoxes& boxes);
bool is_demonstration_state(const std::string& bits);

}  // namespace morvane::logic
