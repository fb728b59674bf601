// The demonstration in each of its languages: one project image and one words table per
// row of formats/languages.h, all made by the build from Form1's one declaration and the
// language's catalogue, and all carried in the desktop executables.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "runtime/core/project/runtime.h"

namespace morvane::app {

struct LanguageProject {
  std::string_view tag;                 // the row's tag: "en", "pt_BR"
  runtime::ProjectImage image;          // its stream's captions, fonts and pictures, its locale
  std::span<const std::uint8_t> words;  // its words table (formats/words_file.h)
};

// English first, then the others in the order of formats::languages.
std::span<const LanguageProject> language_projects();

// The project of the language tagged `tag`; an unknown tag gives English.
runtime::Project enzyme_project(std::string_view tag);

}  // namespace morvane::app
