// One language's four pictures: its words read from its catalogue and set in the face its
// row of the languages' table names.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/tools/fitting_record.h"
#include "assets/painter/outputs.h"
#include "assets/painter/pictures.h"
#include "assets/painter/typesetter.h"
#include "formats/languages.h"

namespace morvane::painter {

// The picture words of a catalogue (a .po file's text), in the order of painted_words().
// Throws std::runtime_error, naming `catalogue_name`, for a catalogue that lacks one.
std::vector<std::string> picture_words(std::string_view catalogue_text, std::string_view tag,
                                       const std::string& catalogue_name);

// The language's own face, or nothing where it shares the English words' face. Throws
// std::runtime_error if the file is missing or holds another family.
std::optional<Typesetter> open_language_face(const formats::Language& language);

struct LanguagePictures {
  std::vector<OutputFile> files;
  std::vector<WordReport> words;
};

// `own_face` is open_language_face(language)'s result.
LanguagePictures paint_language(const Typesetter& english_face, const std::optional<Typesetter>& own_face,
                                const formats::Language& language, std::vector<std::string> words);

// The language's fitting record (assets/<tag>/fitting.txt): its captions from the
// catalogue, fitted in its caption face (opened and checked as open_language_face does),
// and the picture words as `words` reports them. Throws std::runtime_error for a caption
// that fits at no size the build takes, or a catalogue without one.
app::FittingRecord fit_language(const formats::Language& language, std::string_view catalogue_text,
                                const std::string& catalogue_name, const std::vector<WordReport>& words);

}  // namespace morvane::painter
