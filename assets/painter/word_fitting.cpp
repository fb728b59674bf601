#include "assets/painter/word_fitting.h"

#include <stdexcept>

namespace morvane::painter {

namespace {

// Words are measured on a canvas that holds the place with a margin on each side, from a
// pen far enough in for glyphs that reach left of their origin; a word that runs off it
// is too wide for the place anyway.
constexpr int measuring_margin = 32;

bool lies_within(const Box& ink, const Box& place) {
  return ink.x0 >= place.x0 && ink.x1 <= place.x1 && ink.y0 >= place.y0 && ink.y1 <= place.y1;
}

}  // namespace

FittedWord fit_word(const Typesetter& face, const WordSetting& english, const Box& place, const std::string& text,
                    const std::string& language, bool shares_english_face, int canvas_height) {
  const int smallest = smallest_pixels_per_em(english.pixels_per_em_x);
  for (int size = english.pixels_per_em_x; size >= smallest; --size) {
    ShapedSetting setting;
    setting.text = text;
    setting.language = language;
    setting.pixels_per_em_x = size;
    // A taller em than wide (as for "Product") keeps its proportion at every size.
    setting.pixels_per_em_y =
        (2 * size * english.pixels_per_em_y + english.pixels_per_em_x) / (2 * english.pixels_per_em_x);
    setting.pen_x = measuring_margin;
    setting.baseline_row = english.baseline_row;
    setting.hinted = shares_english_face;
    if (shares_english_face && size == english.pixels_per_em_x) setting.zones = english.zones;

    Canvas scratch(place.width() + 2 * measuring_margin, canvas_height, white);
    Box ink;
    try {
      ink = face.set(scratch, setting).ink;
    } catch (const std::out_of_range&) {
      continue;  // ran off the measuring canvas
    }
    if (ink.width() > place.width() || ink.y0 < place.y0 || ink.y1 > place.y1) continue;
    // A shift by whole pixels moves the ink without changing a pixel of it.
    const int shift = place.x0 + (place.width() - ink.width()) / 2 - ink.x0;
    setting.pen_x += shift;
    const Box placed{ink.x0 + shift, ink.x1 + shift, ink.y0, ink.y1};
    if (!lies_within(placed, place)) throw std::logic_error("a centred word left its place");
    return {setting, placed};
  }
  throw std::runtime_error("the word \"" + text + "\" does not fit its place (" + to_string(place) + ") even at " +
                           std::to_string(smallest) + " pixels to the em, two thirds of the English " +
                           std::to_string(english.pixels_per_em_x) + ": choose a shorter word");
}

}  // namespace morvane::painter
