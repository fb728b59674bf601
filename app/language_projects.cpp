#include "app/language_projects.h"

#include <array>
#include <stdexcept>
#include <string>

#include "app/embedded_languages.h"
#include "app/project.h"
#include "app/project_image_builder.h"

namespace morvane::app {

extern const std::span<const std::uint8_t> words_bytes;

namespace {

std::array<LanguageProject, formats::languages.size()> make_table() {
  std::array<LanguageProject, formats::languages.size()> table;
  table[0] = {formats::english.tag, embedded_image(), words_bytes};
  for (std::size_t i = 1; i < formats::languages.size(); ++i) {
    const EmbeddedLanguage& embedded = embedded_languages[i - 1];
    // The build makes the table from the same rows; a mismatch is a build fault.
    if (embedded.tag != formats::languages[i].tag)
      throw std::logic_error("the embedded language " + std::string(embedded.tag) + " stands where " +
                             std::string(formats::languages[i].tag) + " belongs");
    table[i] = {formats::languages[i].tag, {embedded.image, kImageBase}, embedded.words};
  }
  return table;
}

}  // namespace

std::span<const LanguageProject> language_projects() {
  static const auto table = make_table();
  return table;
}

runtime::Project enzyme_project(std::string_view tag) {
  for (const LanguageProject& language : language_projects()) {
    if (language.tag == tag) {
      runtime::Project project = enzyme_project(language.image);
      project.words = language.words;
      return project;
    }
  }
  return enzyme_project();
}

}  // namespace morvane::app
