#include "runtime/core/controls/caption_text.h"

#include "formats/languages.h"
#include "runtime/core/objects/narrow_text.h"

namespace morvane::runtime {

std::string caption_text(const Control& control) {
  return narrow_to_utf8(control.caption(), formats::code_page_of_charset(control.font().charset));
}

std::string title_text(const Control& form, std::uint32_t locale_id) {
  return narrow_to_utf8(form.caption(), formats::code_page_of_locale(locale_id));
}

}  // namespace morvane::runtime
