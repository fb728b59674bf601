// The other languages' project images and words tables as this executable carries them,
// in the order of formats::languages (the table is made by app/CMakeLists.txt).
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "formats/languages.h"

namespace morvane::app {

struct EmbeddedLanguage {
  std::string_view tag;
  std::span<const std::uint8_t> image;
  std::span<const std::uint8_t> words;
};

extern const std::array<EmbeddedLanguage, formats::languages.size() - 1> embedded_languages;

}  // namespace morvane::app
