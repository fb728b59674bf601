// Where a translated word goes: centred across its place on the English word's baseline,
// at the English size where it fits, else at the largest smaller size that does, down to
// two thirds of the English one.
#pragma once

#include <string>

#include "assets/painter/canvas.h"
#include "assets/painter/typesetter.h"

namespace morvane::painter {

struct FittedWord {
  ShapedSetting setting;
  Box ink;  // where the setting inks a canvas of the picture's height
};

// The smallest size a word may take: two thirds of the English size, rounded up.
constexpr int smallest_pixels_per_em(int english) { return (2 * english + 2) / 3; }

// `shares_english_face`: the word is set in the English words' face, hinted as they are,
// and at the English size with their zones, so that its letters match theirs. Throws
// std::runtime_error, naming the word, its place and the smallest size, if it fits at none.
FittedWord fit_word(const Typesetter& face, const WordSetting& english, const Box& place, const std::string& text,
                    const std::string& language, bool shares_english_face, int canvas_height);

}  // namespace morvane::painter
