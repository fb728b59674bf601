// The states the handlers move the window between, read off which picture boxes show.
#pragma once

#include <string>

#include "runtime/core/controls/form_object.h"

namespace morvane::logic {

// The Visible settings of Picture1..4 as four characters, "1100" for the start ('?' for
// a box the form lacks).
std::string visibility_bits(const runtime::FormObject& form);
// "Start" (1100), "Complex" (0001) or "Product" (1010); any other state as its bits.
std::string demonstration_state(const runtime::FormObject& form);
bool is_demonstration_state(const std::string& bits);

}  // namespace morvane::logic
