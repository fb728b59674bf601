// The CSS font that stands in the page for a control's font.
#pragma once

#include <string>

#include "runtime/core/controls/controls.h"

namespace morvane::runtime {

// A CSS `font` value for `font` at its pixel size: style, weight, size and a family
// list that starts with the face's own name and ends with sans-serif; a comic face
// asks next for the comic faces that stand in for it where it is not installed.
// Characters of the name that could end the quoted family (quotes, backslashes,
// control characters) are left out.
std::string css_font(const FontSpec& font);

}  // namespace morvane::runtime
