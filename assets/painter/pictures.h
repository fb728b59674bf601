// The four demonstration pictures, 203 x 203 pixels each: filled rectangles painted in
// order on white, then the words.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "assets/painter/canvas.h"
#include "assets/painter/typesetter.h"

namespace morvane::painter {

inline constexpr int picture_size = 203;

struct PaintedWord {
  std::string_view context;  // the translators' key for the word
  WordSetting setting;       // the English word
  Box expected_ink;          // where the English word's ink must land; painting fails otherwise
  Box place;                 // where a translation's ink must lie
};

// The words of one language: the English ones, or translations set in the language's face.
struct LanguageWords {
  std::string tag;                    // "en" for English
  const Typesetter* face = nullptr;   // the translations' face; unused for English
  bool shares_english_face = false;   // then set as the English words are, hinted
  std::vector<std::string> texts;     // in the order of painted_words(); empty for English
};

// What became of each word set, for the painter's report.
struct WordReport {
  std::string_view picture;
  std::string_view context;
  std::string text;
  bool as_english = false;  // the English word, drawn exactly as in English
  int pixels_per_em = 0;
  int english_pixels_per_em = 0;
  Box ink;
};

struct Picture {
  std::string_view file_name;
  Canvas canvas;
};

// Sets the words of one language on the pictures. A word equal to the English one is set
// as in English; any other is shaped, centred across its place on the English word's
// baseline, at the English size where it fits and otherwise the largest that fits down to
// two thirds of it.
class WordSetter {
 public:
  WordSetter(const Typesetter& english_face, LanguageWords language);

  // Throws std::runtime_error if an English word's ink does not land exactly where it
  // belongs, or if a translation does not fit its place at two thirds of the English size.
  void set(Canvas& canvas, std::string_view picture, const PaintedWord& word);
  const std::vector<WordReport>& reports() const { return reports_; }

 private:
  const Typesetter& english_face_;
  LanguageWords language_;
  std::vector<WordReport> reports_;
};

Canvas paint_enzyme(WordSetter& words);     // the free enzyme
Canvas paint_substrate(WordSetter& words);  // the two substrate pieces
Canvas paint_product(WordSetter& words);    // the product block
Canvas paint_complex(WordSetter& words);    // enzyme and substrate joined

// All four with the names of their files, in the order enzyme, substrate, product, complex.
std::array<Picture, 4> paint_pictures(WordSetter& words);

// The words as the pictures set them, for checking a face before painting with it.
const std::array<PaintedWord, 4>& painted_words();

}  // namespace morvane::painter
