#include "runtime/core/project/locale_language.h"

#include "formats/languages.h"

namespace morvane::runtime {

std::string language_of_locale_id(std::uint32_t locale_id) {
  // The low 10 bits of a language identifier are its primary language.
  constexpr std::uint32_t kPrimary = 0x3FF;
  for (const formats::Language& row : formats::languages) {
    if ((row.locale_id & 0xFFFF) == (locale_id & 0xFFFF)) return std::string(row.tag);
  }
  for (const formats::Language& row : formats::languages) {
    if ((row.locale_id & kPrimary) == (locale_id & kPrimary))
      return std::string(row.tag.substr(0, row.tag.find('_')));
  }
  return {};
}

}  // namespace morvane::runtime
