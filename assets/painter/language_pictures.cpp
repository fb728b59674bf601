#include "assets/painter/language_pictures.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "app/tools/message_catalogue.h"

namespace morvane::painter {

std::vector<std::string> picture_words(std::string_view catalogue_text, std::string_view tag,
                                       const std::string& catalogue_name) {
  const formats::WordsFile catalogue = app::read_catalogue(catalogue_text, tag);
  std::vector<std::string> texts;
  for (const PaintedWord& word : painted_words()) {
    const auto entry = std::find_if(catalogue.entries.begin(), catalogue.entries.end(),
                                    [&](const formats::WordEntry& e) { return e.key == word.context; });
    if (entry == catalogue.entries.end()) {
      throw std::runtime_error(catalogue_name + " has no entry \"" + std::string(word.context) + "\"");
    }
    texts.push_back(entry->text);
  }
  return texts;
}

namespace {

bool shares_english_face(const formats::Language& language) {
  return language.picture_face.path == formats::english.picture_face.path;
}

}  // namespace

std::optional<Typesetter> open_language_face(const formats::Language& language) {
  if (shares_english_face(language)) return std::nullopt;
  const formats::FaceFile& face = language.picture_face;
  const std::string path(face.path);
  if (!std::filesystem::is_regular_file(path)) {
    throw std::runtime_error("no face " + path + " (tools/setup.sh pictures installs it)");
  }
  std::optional<Typesetter> typesetter(std::in_place, path, face.index);
  if (typesetter->family() != face.family) {
    throw std::runtime_error(path + " face " + std::to_string(face.index) + " holds " + typesetter->family() +
                             ", not " + std::string(face.family));
  }
  return typesetter;
}

LanguagePictures paint_language(const Typesetter& english_face, const std::optional<Typesetter>& own_face,
                                const formats::Language& language, std::vector<std::string> words) {
  const bool shared = shares_english_face(language);
  if (!shared && !own_face) throw std::invalid_argument(std::string(language.tag) + " needs its own face");
  WordSetter setter(english_face, LanguageWords{std::string(language.tag), shared ? &english_face : &*own_face,
                                                shared, std::move(words)});
  LanguagePictures pictures{paint_picture_files(setter), {}};
  pictures.words = setter.reports();
  return pictures;
}

}  // namespace morvane::painter
