// What the window shows, in words, for the page's live region: which of the
// demonstration's pictures are on screen.
#pragma once

#include <string>

#include "runtime/core/controls/form_object.h"

namespace morvane::web {

// One sentence for the pictures that Form1's picture boxes show now. Throws
// std::logic_error when the form lacks one of Picture1 to Picture4.
std::string describe_window(const runtime::FormObject& form);

}  // namespace morvane::web
