// A caption as the window shows and speaks it. The control keeps its caption as the
// stream stored it (narrow bytes, read back unchanged by name); what is painted, put in
// a title bar or read aloud is that text in UTF-8.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/core/controls/controls.h"

namespace morvane::runtime {

// A control's caption, decoded in the code page of its font's character set.
std::string caption_text(const Control& control);

// The form's caption, which has no font of its own: decoded in the code page of the
// project's locale (`ProjectInfo::locale`), as the window system would.
std::string title_text(const Control& form, std::uint32_t locale_id);

}  // namespace morvane::runtime
