#include "assets/painter/language_pictures.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "app/form1_model.h"
#include "app/tools/message_catalogue.h"
#include "assets/painter/caption_fitting.h"

namespace morvane::painter {

namespace {

std::string text_of(const formats::WordsFile& catalogue, std::string_view context,
                           const std::string& catalogue_name) {
  const auto entry = std::find_if(catalogue.entries.begin(), catalogue.entries.end(),
                                  [&](const formats::WordEntry& e) { return e.key == context; });
  if (entry == catalogue.entries.end()) {
    throw std::runtime_error(catalogue_name + " has no entry \"" + std::string(context) + "\"");
  }
  return entry->text;
}

Typesetter open_face(const formats::FaceFile& face) {
  const std::string path(face.path);
  if (!std::filesystem::is_regular_file(path)) {
    throw std::runtime_error("no face " + path + " (tools/setup.sh pictures installs it)");
  }
  Typesetter typesetter(path, face.index);
  if (typesetter.family() != face.family) {
    throw std::runtime_error(path + " face " + std::to_string(face.index) + " holds " + typesetter.family() +
                             ", not " + std::string(face.family));
  }
  return typesetter;
}

}  // namespace

std::vector<std::string> picture_words(std::string_view catalogue_text, std::string_view tag,
                                       const std::string& catalogue_name) {
  const formats::WordsFile catalogue = app::read_catalogue(catalogue_text, tag);
  std::vector<std::string> texts;
  for (const PaintedWord& word : painted_words()) texts.push_back(text_of(catalogue, word.context, catalogue_name));
  return texts;
}

namespace {

bool shares_english_face(const formats::Language& language) {
  return language.picture_face.path == formats::english.picture_face.path;
}

}  // namespace

std::optional<Typesetter> open_language_face(const formats::Language& language) {
  if (shares_english_face(language)) return std::nullopt;
  return open_face(language.picture_face);
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

app::FittingRecord fit_language(const formats::Language& language, std::string_view catalogue_text_utf8,
                                const std::string& catalogue_name, const std::vector<WordReport>& words) {
  const formats::WordsFile catalogue = app::read_catalogue(catalogue_text_utf8, language.tag);
  const Typesetter face = open_face(language.caption_face);
  const std::string tag(language.tag);
  app::FittingRecord record;
  // The window's title is drawn by the window system in its own font: nothing to fit.
  record.push_back({std::string(app::form_caption_context), std::nullopt, std::nullopt,
                    text_of(catalogue, app::form_caption_context, catalogue_name)});
  for (const auto& [context, control] : {std::pair{app::label_caption_context, "Label1"},
                                         std::pair{app::command_caption_context, "Command1"}}) {
    const std::string text = text_of(catalogue, context, catalogue_name);
    const int english = app::declared_font_pixels(control);
    record.push_back({std::string(context), fit_caption(face, context, text, tag, english, caption_room(control)),
                      english, text});
  }
  for (const WordReport& word : words)
    record.push_back({std::string(word.context), word.pixels_per_em, word.english_pixels_per_em, word.text});
  return record;
}

}  // namespace morvane::painter
