// The four demonstration pictures, 203 x 203 pixels each: filled rectangles painted in
// order on white, then the words.
#pragma once

#include <array>
#include <string_view>

#include "assets/painter/canvas.h"
#include "assets/painter/typesetter.h"

namespace morvane::painter {

inline constexpr int picture_size = 203;

struct PaintedWord {
  WordSetting setting;
  Box expected_ink;  // where the word's ink must land; painting fails otherwise
};

struct Picture {
  std::string_view file_name;
  Canvas canvas;
};

// Each throws std::runtime_error if a word's ink does not land exactly where it belongs.
Canvas paint_enzyme(const Typesetter& typesetter);     // the free enzyme
Canvas paint_substrate(const Typesetter& typesetter);  // the two substrate pieces
Canvas paint_product(const Typesetter& typesetter);    // the product block
Canvas paint_complex(const Typesetter& typesetter);    // enzyme and substrate joined

// All four with the names of their files, in the order enzyme, substrate, product, complex.
std::array<Picture, 4> paint_pictures(const Typesetter& typesetter);

// The words as the pictures set them, for checking a face before painting with it.
const std::array<PaintedWord, 4>& painted_words();

}  // namespace morvane::painter
