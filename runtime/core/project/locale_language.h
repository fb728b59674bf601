// The language a Windows locale identifier (or language identifier) stands for, as a
// name that choose_language takes: the carried row's tag where its locale identifier is
// the same ("pt_BR" for 0x0416), the language of a row with the same primary language
// where only that agrees ("es" for Mexico's 0x080A, "pt" for Portugal's 0x0816, "zh" for
// Taiwan's 0x0404), and empty for a language no row has.
#pragma once

#include <cstdint>
#include <string>

namespace morvane::runtime {

std::string language_of_locale_id(std::uint32_t locale_id);

}  // namespace morvane::runtime
