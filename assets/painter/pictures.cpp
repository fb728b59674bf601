#include "assets/painter/pictures.h"

#include "assets/painter/word_fitting.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace morvane::painter {

namespace {

struct Step {
  Rgb colour;
  Box box;
};

void paint(Canvas& canvas, const std::vector<Step>& steps) {
  for (const Step& step : steps) canvas.fill(step.box, step.colour);
}

// Rows of a word on its picture, counted from the top; heights follow from the lowest row
// of the letters that stand on the line.
struct WordRows {
  int capital_top;
  int lower_case_top;
  int line_bottom;
  std::optional<int> ascender_top;
  std::optional<int> descender_bottom;
};

WordSetting word(std::string text, int pixels_per_em_x, int pixels_per_em_y, int pen_x, const WordRows& rows) {
  const int baseline = rows.line_bottom + 1;  // the edge under the lowest row
  ZoneTargets zones;
  zones.cap_height = baseline - rows.capital_top;
  zones.x_height = baseline - rows.lower_case_top;
  if (rows.ascender_top) zones.ascender = baseline - *rows.ascender_top;
  if (rows.descender_bottom) zones.descender = *rows.descender_bottom + 1 - baseline;
  return WordSetting{std::move(text), pixels_per_em_x, pixels_per_em_y, pen_x, rows.line_bottom, zones};
}

// At 28 pixels to the em the face's hinting puts the capitals 18 rows high; a slightly
// taller em (29 rows) gives the 19 they need with the same widths.
// The places are the white label boxes, and under the substrate's pieces the band of rows
// between them and the lowest row its box shows, across the picture.
const std::array<PaintedWord, 4> words{{
    {"picture word Enzyme", word("Enzyme", 24, 24, 58, {164, 169, 179, std::nullopt, 184}), Box{58, 135, 164, 184},
     Box{58, 151, 159, 185}},
    {"picture word Substrate", word("Substrate", 24, 24, 53, {69, 74, 84, 68, std::nullopt}), Box{54, 141, 68, 84},
     Box{53, 159, 64, 90}},
    {"picture word Substrate band", word("Substrate", 16, 16, 18, {163, 167, 173, std::nullopt, std::nullopt}),
     Box{18, 74, 163, 173}, Box{0, picture_size - 1, 156, 196}},
    {"picture word Product", word("Product", 28, 29, 47, {98, 104, 116, 97, std::nullopt}), Box{47, 134, 97, 116},
     Box{47, 137, 91, 129}},
}};

const PaintedWord& enzyme_word = words[0];
const PaintedWord& substrate_word_large = words[1];
const PaintedWord& substrate_word_small = words[2];
const PaintedWord& product_word = words[3];

SetWord set_english_word(Canvas& canvas, const Typesetter& typesetter, const PaintedWord& painted) {
  const SetWord set = typesetter.set(canvas, painted.setting);
  if (set.ink != painted.expected_ink) {
    const Box& got = set.ink;
    const Box& want = painted.expected_ink;
    throw std::runtime_error("\"" + painted.setting.text + "\" inked " + to_string(got) + " instead of " +
                             to_string(want) + " with " + typesetter.family() + " " + typesetter.version());
  }
  return set;
}

const std::vector<Step> enzyme_steps{
    {black, {24, 185, 109, 193}},  // enzyme body
    {white, {68, 131, 109, 109}},  // notch, top row with its steps
    {white, {68, 125, 110, 110}},
    {white, {70, 125, 111, 121}},
    {white, {69, 125, 122, 150}},
    {white, {69, 90, 151, 151}},   // notch floor; x 91-112 stay black
    {white, {113, 125, 151, 151}},
    {white, {58, 151, 159, 185}},  // label box
};

const std::vector<Step> substrate_block_steps{
    {black, {25, 183, 42, 107}},  // outline of the block
    {red, {26, 182, 43, 106}},    // the block
    {white, {53, 159, 64, 90}},   // label box
};

const std::vector<Step> complex_peg_steps{
    {black, {68, 85, 109, 151}},   // fills the left part of the notch
    {red, {86, 127, 108, 152}},    // peg
    {black, {87, 88, 109, 149}},   // lines inside the peg: left,
    {black, {126, 126, 110, 151}}, // right
    {black, {87, 112, 151, 151}},  // and bottom
};

const std::vector<Step> substrate_steps{
    {black, {14, 75, 19, 118}},    // outline of the left piece
    {white, {15, 74, 20, 20}},     // white line between the two top lines
    {black, {12, 75, 21, 21}},     // outer top line
    {black, {12, 12, 22, 114}},    // outer left line
    {red, {13, 13, 22, 114}},      // red line between the two left lines
    {red, {15, 73, 22, 117}},      // left piece
    {red, {60, 73, 119, 131}},     // its tab, stepping out twice on the way down
    {red, {59, 73, 132, 139}},
    {red, {58, 73, 140, 148}},
    {black, {74, 74, 119, 148}},   // right edge of the tab
    {black, {58, 74, 149, 149}},   // bottom edge of the tab
    {black, {144, 144, 22, 24}},   // mark above the right piece
    {black, {110, 110, 25, 153}},  // left line of the right piece and its tab
    {red, {111, 178, 25, 119}},    // right piece
    {red, {111, 128, 120, 120}},   // its tab, stepping in twice on the way down
    {red, {111, 127, 121, 126}},
    {red, {111, 126, 127, 152}},
    {black, {110, 126, 153, 153}}, // bottom edge of the tab
};

// The product's shapes are symmetric about the middle column; their soft rims are listed
// for the left half and mirrored.
constexpr int middle_column = 101;

const std::vector<Step> product_block_rim_left{
    {0x8A8F8F, {22, 22, 36, 36}}, {0xB29090, {22, 22, 37, 37}}, {0xAC9191, {22, 22, 38, 146}},
    {0xB28F8F, {22, 22, 147, 147}}, {0x8E9595, {22, 22, 148, 148}},  // outer side column
    {0x450000, {23, 23, 36, 36}}, {0xD90000, {23, 23, 37, 37}}, {0xCA0000, {23, 23, 38, 146}},
    {0xD90000, {23, 23, 147, 147}}, {0x480000, {23, 23, 148, 148}},  // inner side column
    {0x6B0000, {24, 24, 36, 36}}, {0x680000, {25, middle_column, 36, 36}},  // top row
    {0x6B0A0A, {24, 24, 148, 148}}, {0x680A0A, {25, 75, 148, 148}}, {0x690B0B, {76, 76, 148, 148}},
    {0x6E0A0A, {77, 77, 148, 148}}, {0x6B0000, {78, 78, 148, 148}},
    {0x6A0000, {79, middle_column, 148, 148}},  // bottom row, darker where the peg joins
};

const std::vector<Step> product_peg_rim_left{
    {0xA9DEDE, {77, 77, 149, 149}}, {0x910C0C, {78, 78, 149, 149}}, {0xA10000, {79, 79, 149, 149}},
    {0x9F0000, {80, middle_column, 149, 149}},  // top row
    {0x92C2C2, {77, 77, 150, 150}}, {0x93C3C3, {77, 77, 151, 190}}, {0x92BBBB, {77, 77, 191, 191}},
    {0xD4DDDD, {77, 77, 192, 192}},  // outer side column
    {0xEC0808, {78, 78, 150, 150}}, {0xE30808, {78, 78, 151, 189}}, {0xE70808, {78, 78, 190, 190}},
    {0xB80000, {78, 78, 191, 191}}, {0xA48A8A, {78, 78, 192, 192}},  // inner side column
    {0xD30000, {79, 79, 191, 191}}, {0xD00000, {80, middle_column, 191, 191}},  // second-last row
    {0xA58686, {79, 79, 192, 192}}, {0xA58787, {80, middle_column, 192, 192}},  // last row
};

void paint_mirrored(Canvas& canvas, const std::vector<Step>& left_half) {
  for (const Step& step : left_half) {
    canvas.fill(step.box, step.colour);
    canvas.fill(Box{2 * middle_column - step.box.x1, 2 * middle_column - step.box.x0, step.box.y0, step.box.y1},
                step.colour);
  }
}

const std::vector<Step> product_marks{
    {0xFF1010, {73, 73, 82, 82}}, {0xFF4545, {74, 74, 82, 82}}, {0xFF3E3E, {75, 75, 82, 82}},
    {0xFF3E3E, {101, 108, 82, 82}}, {0xFF4040, {109, 109, 82, 82}},
};

Canvas blank() { return Canvas(picture_size, picture_size, white); }

}  // namespace

WordSetter::WordSetter(const Typesetter& english_face, LanguageWords language)
    : english_face_(english_face), language_(std::move(language)) {
  if (!language_.texts.empty() && (language_.texts.size() != words.size() || language_.face == nullptr)) {
    throw std::invalid_argument("a language's words need a face and one text for each painted word");
  }
}

void WordSetter::set(Canvas& canvas, std::string_view picture, const PaintedWord& word) {
  std::size_t number = 0;
  while (number < words.size() && &words[number] != &word) ++number;
  if (number == words.size()) throw std::invalid_argument("a word that the pictures do not paint");
  const std::string& text = language_.texts.empty() ? word.setting.text : language_.texts[number];
  WordReport report{picture, word.context, text, text == word.setting.text, word.setting.pixels_per_em_x,
                    word.setting.pixels_per_em_x, {}};
  if (report.as_english) {
    report.ink = set_english_word(canvas, english_face_, word).ink;
  } else {
    const FittedWord fitted = fit_word(*language_.face, word.setting, word.place, text, language_.tag,
                                       language_.shares_english_face, canvas.height());
    report.ink = language_.face->set(canvas, fitted.setting).ink;
    if (report.ink != fitted.ink) throw std::logic_error("\"" + text + "\" inked other pixels than measured");
    report.pixels_per_em = fitted.setting.pixels_per_em_x;
  }
  reports_.push_back(std::move(report));
}

Canvas paint_enzyme(WordSetter& words) {
  Canvas canvas = blank();
  paint(canvas, enzyme_steps);
  words.set(canvas, "enzyme.bmp", enzyme_word);
  return canvas;
}

Canvas paint_substrate(WordSetter& words) {
  Canvas canvas = blank();
  paint(canvas, substrate_steps);
  words.set(canvas, "substrate.bmp", substrate_word_small);
  return canvas;
}

Canvas paint_product(WordSetter& words) {
  Canvas canvas = blank();
  canvas.fill({24, 178, 37, 147}, red);  // inside of the block
  paint_mirrored(canvas, product_block_rim_left);
  canvas.fill({79, 123, 150, 190}, red);  // inside of the peg
  paint_mirrored(canvas, product_peg_rim_left);
  paint(canvas, product_marks);
  canvas.fill({47, 137, 91, 129}, white);  // label box
  words.set(canvas, "product.bmp", product_word);
  return canvas;
}

Canvas paint_complex(WordSetter& words) {
  Canvas canvas = blank();
  paint(canvas, substrate_block_steps);
  paint(canvas, enzyme_steps);
  paint(canvas, complex_peg_steps);
  // Both words go on last: each lies in its own label box, clear of every later step.
  words.set(canvas, "complex.bmp", substrate_word_large);
  words.set(canvas, "complex.bmp", enzyme_word);
  return canvas;
}

std::array<Picture, 4> paint_pictures(WordSetter& words) {
  return {{
      {"enzyme.bmp", paint_enzyme(words)},
      {"substrate.bmp", paint_substrate(words)},
      {"product.bmp", paint_product(words)},
      {"complex.bmp", paint_complex(words)},
  }};
}

const std::array<PaintedWord, 4>& painted_words() { return words; }

}  // namespace morvane::painter
