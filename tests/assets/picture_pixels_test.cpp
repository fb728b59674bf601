// The committed pictures against their drawings: the rectangles painted in order on white,
// every pixel outside the words; the words' ink boxes; the colours each picture may hold.
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <vector>

#include "assets/pictures.h"
#include "tests/assets/picture_files.h"

namespace morvane::test {
namespace {

constexpr int side = 203;
constexpr std::uint32_t white = 0xFFFFFF;
constexpr std::uint32_t black = 0x000000;
constexpr std::uint32_t red = 0xFF0000;

struct Rect {
  int x0, x1, y0, y1;
  bool contains(int x, int y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

struct Fill {
  std::uint32_t colour;
  Rect rect;
};

using Expected = std::array<std::uint32_t, side * side>;

void paint_fills(Expected& picture, const std::vector<Fill>& fills) {
  for (const Fill& fill : fills) {
    for (int y = fill.rect.y0; y <= fill.rect.y1; ++y) {
      for (int x = fill.rect.x0; x <= fill.rect.x1; ++x) picture[static_cast<std::size_t>(y * side + x)] = fill.colour;
    }
  }
}

const std::vector<Fill> enzyme_fills{
    {black, {24, 185, 109, 193}}, {white, {68, 131, 109, 109}}, {white, {68, 125, 110, 110}},
    {white, {70, 125, 111, 121}}, {white, {69, 125, 122, 150}}, {white, {69, 90, 151, 151}},
    {white, {113, 125, 151, 151}}, {white, {58, 151, 159, 185}},
};

const std::vector<Fill> complex_fills_before_enzyme{
    {black, {25, 183, 42, 107}}, {red, {26, 182, 43, 106}}, {white, {53, 159, 64, 90}},
};

const std::vector<Fill> complex_fills_after_enzyme{
    {black, {68, 85, 109, 151}}, {red, {86, 127, 108, 152}}, {black, {87, 88, 109, 149}},
    {black, {126, 126, 110, 151}}, {black, {87, 112, 151, 151}},
};

const std::vector<Fill> substrate_fills{
    {black, {14, 75, 19, 118}}, {white, {15, 74, 20, 20}}, {black, {12, 75, 21, 21}},
    {black, {12, 12, 22, 114}}, {red, {13, 13, 22, 114}}, {red, {15, 73, 22, 117}},
    {red, {60, 73, 119, 131}}, {red, {59, 73, 132, 139}}, {red, {58, 73, 140, 148}},
    {black, {74, 74, 119, 148}}, {black, {58, 74, 149, 149}}, {black, {144, 144, 22, 24}},
    {black, {110, 110, 25, 153}}, {red, {111, 178, 25, 119}}, {red, {111, 128, 120, 120}},
    {red, {111, 127, 121, 126}}, {red, {111, 126, 127, 152}}, {black, {110, 126, 153, 153}},
};

// The product's rims, left half as the table gives them; each stands with its mirror column.
const std::vector<Fill> product_block_rim{
    {0xAC9191, {22, 22, 38, 146}}, {0x8A8F8F, {22, 22, 36, 36}}, {0xB29090, {22, 22, 37, 37}},
    {0xB28F8F, {22, 22, 147, 147}}, {0x8E9595, {22, 22, 148, 148}},
    {0xCA0000, {23, 23, 38, 146}}, {0x450000, {23, 23, 36, 36}}, {0xD90000, {23, 23, 37, 37}},
    {0xD90000, {23, 23, 147, 147}}, {0x480000, {23, 23, 148, 148}},
    {0x680000, {25, 101, 36, 36}}, {0x6B0000, {24, 24, 36, 36}},
    {0x680A0A, {25, 75, 148, 148}}, {0x6B0A0A, {24, 24, 148, 148}}, {0x690B0B, {76, 76, 148, 148}},
    {0x6E0A0A, {77, 77, 148, 148}}, {0x6B0000, {78, 78, 148, 148}}, {0x6A0000, {79, 101, 148, 148}},
};
const std::vector<Fill> product_peg_rim{
    {0x9F0000, {80, 101, 149, 149}}, {0xA9DEDE, {77, 77, 149, 149}}, {0x910C0C, {78, 78, 149, 149}},
    {0xA10000, {79, 79, 149, 149}},
    {0x93C3C3, {77, 77, 151, 190}}, {0x92C2C2, {77, 77, 150, 150}}, {0x92BBBB, {77, 77, 191, 191}},
    {0xD4DDDD, {77, 77, 192, 192}},
    {0xE30808, {78, 78, 151, 189}}, {0xEC0808, {78, 78, 150, 150}}, {0xE70808, {78, 78, 190, 190}},
    {0xB80000, {78, 78, 191, 191}}, {0xA48A8A, {78, 78, 192, 192}},
    {0xD00000, {80, 101, 191, 191}}, {0xD30000, {79, 79, 191, 191}},
    {0xA58787, {80, 101, 192, 192}}, {0xA58686, {79, 79, 192, 192}},
};
const std::vector<Fill> product_marks{
    {0xFF1010, {73, 73, 82, 82}}, {0xFF4545, {74, 74, 82, 82}}, {0xFF3E3E, {75, 75, 82, 82}},
    {0xFF3E3E, {101, 108, 82, 82}}, {0xFF4040, {109, 109, 82, 82}},
};

std::vector<Fill> with_mirrors(const std::vector<Fill>& left) {
  std::vector<Fill> both;
  for (const Fill& fill : left) {
    both.push_back(fill);
    both.push_back({fill.colour, {202 - fill.rect.x1, 202 - fill.rect.x0, fill.rect.y0, fill.rect.y1}});
  }
  return both;
}

Expected blank() {
  Expected picture;
  picture.fill(white);
  return picture;
}

Expected expected_enzyme() {
  Expected picture = blank();
  paint_fills(picture, enzyme_fills);
  return picture;
}

Expected expected_complex() {
  Expected picture = blank();
  paint_fills(picture, complex_fills_before_enzyme);
  paint_fills(picture, enzyme_fills);
  paint_fills(picture, complex_fills_after_enzyme);
  return picture;
}

Expected expected_substrate() {
  Expected picture = blank();
  paint_fills(picture, substrate_fills);
  return picture;
}

Expected expected_product() {
  Expected picture = blank();
  paint_fills(picture, std::vector<Fill>{Fill{red, {24, 178, 37, 147}}});
  paint_fills(picture, with_mirrors(product_block_rim));
  paint_fills(picture, std::vector<Fill>{Fill{red, {79, 123, 150, 190}}});
  paint_fills(picture, with_mirrors(product_peg_rim));
  paint_fills(picture, product_marks);
  paint_fills(picture, std::vector<Fill>{Fill{white, {47, 137, 91, 129}}});
  return picture;
}

// Where the words' ink must lie, as measured over the region that holds each word.
const Rect enzyme_ink{58, 135, 164, 184};
const Rect substrate_large_ink{54, 141, 68, 84};
const Rect substrate_small_ink{18, 74, 163, 173};
const Rect product_ink{47, 134, 97, 116};

// The white ground each word stands on: its label box, or for the small caption the
// rows under the pieces.
const Rect enzyme_label{58, 151, 159, 185};
const Rect substrate_large_label{53, 159, 64, 90};
const Rect substrate_small_ground{0, 202, 154, 202};
const Rect product_label{47, 137, 91, 129};

struct PictureCase {
  const char* file;
  Expected (*expected)();
  std::vector<Rect> words;
  std::vector<Rect> grounds;  // one per word
  Rect drawing;  // the bounds of everything that is not white
};

const std::vector<PictureCase>& picture_cases() {
  static const std::vector<PictureCase> cases{
      {"enzyme.bmp", expected_enzyme, {enzyme_ink}, {enzyme_label}, {24, 185, 109, 193}},
      {"substrate.bmp", expected_substrate, {substrate_small_ink}, {substrate_small_ground}, {12, 178, 19, 173}},
      {"product.bmp", expected_product, {product_ink}, {product_label}, {22, 180, 36, 192}},
      {"complex.bmp", expected_complex, {substrate_large_ink, enzyme_ink}, {substrate_large_label, enzyme_label},
       {24, 185, 42, 193}},
  };
  return cases;
}

void PrintTo(const PictureCase& picture, std::ostream* out) { *out << picture.file; }

class PictureFile : public testing::TestWithParam<PictureCase> {};

TEST_P(PictureFile, HeadersAreExactlyTheFixedOnes) {
  const std::vector<std::uint8_t> file = read_asset(GetParam().file);
  ASSERT_EQ(file.size(), 124290u);
  const std::vector<std::uint8_t> header{
      'B', 'M', 0x82, 0xE5, 0x01, 0x00, 0, 0, 0, 0, 54, 0, 0, 0,               // file header
      40, 0, 0, 0, 203, 0, 0, 0, 203, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0,         // size, width, height, planes, bits, compression
      0x4C, 0xE5, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // rows' size, resolutions, colours
  };
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin(), file.begin() + 54), header);
  for (int row = 0; row < 203; ++row) {
    const std::size_t padding = 54 + static_cast<std::size_t>(row) * 612 + 609;
    for (std::size_t i = padding; i < padding + 3; ++i) ASSERT_EQ(file[i], 0) << "stored row " << row;
  }
}

TEST_P(PictureFile, EveryPixelOutsideTheWordsIsTheDrawings) {
  const runtime::Image image = load_picture(GetParam().file);
  ASSERT_EQ(image.width, side);
  ASSERT_EQ(image.height, side);
  const Expected expected = GetParam().expected();
  int differences = 0;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      bool in_word = false;
      for (const Rect& word : GetParam().words) in_word = in_word || word.contains(x, y);
      const std::uint32_t want = expected[static_cast<std::size_t>(y * side + x)];
      if (in_word) {
        // The letters stand on their white label (or the white ground).
        EXPECT_EQ(want, white) << x << "," << y;
        EXPECT_TRUE(is_smoothing_colour(pixel(image, x, y))) << std::hex << pixel(image, x, y) << " at " << std::dec << x << "," << y;
      } else if (pixel(image, x, y) != want && ++differences <= 10) {
        ADD_FAILURE() << "pixel " << x << "," << y << " is " << std::hex << pixel(image, x, y) << ", not " << want;
      }
    }
  }
  EXPECT_EQ(differences, 0);
}

TEST_P(PictureFile, DrawingHasWhiteOnEverySide) {
  const runtime::Image image = load_picture(GetParam().file);
  const Rect& bounds = GetParam().drawing;
  Rect ink{side, -1, side, -1};
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      if (pixel(image, x, y) == white) continue;
      ink = {std::min(ink.x0, x), std::max(ink.x1, x), std::min(ink.y0, y), std::max(ink.y1, y)};
    }
  }
  EXPECT_EQ(ink.x0, bounds.x0);
  EXPECT_EQ(ink.x1, bounds.x1);
  EXPECT_EQ(ink.y0, bounds.y0);
  EXPECT_EQ(ink.y1, bounds.y1);
}

// The smallest rectangle holding every non-white pixel on the word's white ground.
Rect ink_on(const runtime::Image& image, const Rect& ground) {
  Rect ink{side, -1, side, -1};
  for (int y = ground.y0; y <= ground.y1; ++y) {
    for (int x = ground.x0; x <= ground.x1; ++x) {
      if (pixel(image, x, y) == white) continue;
      ink = {std::min(ink.x0, x), std::max(ink.x1, x), std::min(ink.y0, y), std::max(ink.y1, y)};
    }
  }
  return ink;
}

TEST_P(PictureFile, WordsFillTheirInkBoxesExactly) {
  const runtime::Image image = load_picture(GetParam().file);
  for (std::size_t i = 0; i < GetParam().words.size(); ++i) {
    const Rect& want = GetParam().words[i];
    const Rect got = ink_on(image, GetParam().grounds[i]);
    EXPECT_EQ(got.x0, want.x0);
    EXPECT_EQ(got.x1, want.x1);
    EXPECT_EQ(got.y0, want.y0);
    EXPECT_EQ(got.y1, want.y1);
  }
}

// Red, green and blue stripes from left to right: a row's first inked pixel is darkest in
// blue (an orange or brown tint), its last darkest in red (a blue tint).
TEST_P(PictureFile, WordEdgesCarryStripeTints) {
  const runtime::Image image = load_picture(GetParam().file);
  const auto channel = [](std::uint32_t rgb, int shift) { return (rgb >> shift) & 0xFF; };
  for (const Rect& word : GetParam().words) {
    for (int y = word.y0; y <= word.y1; ++y) {
      int first = -1, last = -1;
      for (int x = word.x0; x <= word.x1; ++x) {
        if (pixel(image, x, y) == white) continue;
        if (first < 0) first = x;
        last = x;
      }
      if (first < 0) continue;
      const std::uint32_t warm = pixel(image, first, y), cool = pixel(image, last, y);
      EXPECT_TRUE(channel(warm, 16) >= channel(warm, 8) && channel(warm, 8) >= channel(warm, 0)) << std::hex << warm;
      EXPECT_TRUE(channel(cool, 16) <= channel(cool, 8) && channel(cool, 8) <= channel(cool, 0)) << std::hex << cool;
    }
  }
}

TEST_P(PictureFile, EmbeddedCopyIsTheCommittedFile) {
  const std::string file = GetParam().file;
  const std::span<const std::uint8_t> embedded = file == "enzyme.bmp"      ? assets::enzyme_bmp
                                                 : file == "substrate.bmp" ? assets::substrate_bmp
                                                 : file == "product.bmp"   ? assets::product_bmp
                                                                           : assets::complex_bmp;
  const std::vector<std::uint8_t> committed = read_asset(file);
  EXPECT_TRUE(std::equal(embedded.begin(), embedded.end(), committed.begin(), committed.end()));
}

INSTANTIATE_TEST_SUITE_P(Pictures, PictureFile, testing::ValuesIn(picture_cases()),
                         [](const testing::TestParamInfo<PictureCase>& info) {
                           const std::string file = info.param.file;
                           return file.substr(0, file.find('.'));
                         });

std::set<std::uint32_t> colours_outside(const runtime::Image& image, const std::vector<Rect>& words) {
  std::set<std::uint32_t> colours;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      bool in_word = false;
      for (const Rect& word : words) in_word = in_word || word.contains(x, y);
      if (!in_word) colours.insert(pixel(image, x, y));
    }
  }
  return colours;
}

TEST(PictureColours, HardEdgedPicturesHoldOnlyWhiteBlackAndRedBesideTheirWords) {
  using Colours = std::set<std::uint32_t>;
  EXPECT_EQ(colours_outside(load_picture("enzyme.bmp"), {enzyme_ink}), (Colours{white, black}));
  EXPECT_EQ(colours_outside(load_picture("complex.bmp"), {enzyme_ink, substrate_large_ink}), (Colours{white, black, red}));
  EXPECT_EQ(colours_outside(load_picture("substrate.bmp"), {substrate_small_ink}), (Colours{white, black, red}));
}

TEST(PictureColours, ProductAddsOnlyItsRimAndMarkColours) {
  std::set<std::uint32_t> allowed{white, red};
  for (const auto* fills : {&product_block_rim, &product_peg_rim, &product_marks}) {
    for (const Fill& fill : *fills) allowed.insert(fill.colour);
  }
  const std::set<std::uint32_t> found = colours_outside(load_picture("product.bmp"), {product_ink});
  EXPECT_TRUE(std::includes(allowed.begin(), allowed.end(), found.begin(), found.end()));
  EXPECT_EQ(found.count(black), 0u);
}

TEST(SharedShapes, EnzymeIsTheSameDrawingInBothPictures) {
  const runtime::Image free_enzyme = load_picture("enzyme.bmp");
  const runtime::Image complex = load_picture("complex.bmp");
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const bool shared = y <= 41 || y >= 153 || (y >= 108 && (x < 68 || x > 127));
      if (shared) {
        ASSERT_EQ(pixel(free_enzyme, x, y), pixel(complex, x, y)) << x << "," << y;
      }
    }
  }
  // Rows 0-108 of the free enzyme are white; the complex keeps x 128-131 of row 109 white.
  for (int y = 0; y <= 108; ++y) {
    for (int x = 0; x < side; ++x) ASSERT_EQ(pixel(free_enzyme, x, y), white) << x << "," << y;
  }
  for (int x = 128; x <= 131; ++x) EXPECT_EQ(pixel(complex, x, 109), white);
  EXPECT_EQ(pixel(complex, 127, 130), red);
  EXPECT_EQ(pixel(complex, 126, 130), black);
}

TEST(SharedShapes, ProductIsSymmetricAboutItsMiddleColumn) {
  const runtime::Image product = load_picture("product.bmp");
  const Rect label{47, 137, 91, 129};
  for (int y = 0; y < side; ++y) {
    if (y == 82) continue;  // the faint marks are not mirrored
    for (int x = 0; x < 101; ++x) {
      if (label.contains(x, y) || label.contains(202 - x, y)) continue;
      ASSERT_EQ(pixel(product, x, y), pixel(product, 202 - x, y)) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace morvane::test

namespace morvane::test {
namespace {

// Each letter of each word, by the columns it was set in: its topmost and lowest ink
// rows must be the word's capital top, lower-case top (or ascender top) and line.
TEST(WordRowsInTheFiles, EveryLetterStandsOnItsRows) {
  struct Word {
    const char* file;
    const char* text;
    int capital_top, lower_case_top, line, ascender_top, descender_bottom;
    std::vector<std::pair<int, int>> letters;  // columns of each letter's ink
  };
  const std::vector<Word> words{
      {"enzyme.bmp", "Enzyme", 164, 169, 179, 0, 184, {{58, 71}, {73, 84}, {85, 94}, {95, 107}, {107, 124}, {125, 135}}},
      {"complex.bmp", "Enzyme", 164, 169, 179, 0, 184, {{58, 71}, {73, 84}, {85, 94}, {95, 107}, {107, 124}, {125, 135}}},
      {"complex.bmp", "Substrate", 69, 74, 84, 68, 0,
       {{54, 63}, {65, 76}, {76, 88}, {89, 97}, {98, 105}, {105, 113}, {113, 123}, {124, 131}, {131, 141}}},
      {"substrate.bmp", "Substrate", 163, 167, 173, 163, 0,
       {{18, 26}, {26, 33}, {33, 41}, {42, 47}, {47, 52}, {52, 57}, {57, 63}, {63, 68}, {68, 74}}},
      {"product.bmp", "Product", 98, 104, 116, 97, 0, {{47, 62}, {63, 72}, {72, 85}, {86, 99}, {100, 113}, {114, 125}, {126, 134}}},
  };
  for (const Word& word : words) {
    const runtime::Image image = load_picture(word.file);
    ASSERT_EQ(std::string(word.text).size(), word.letters.size());
    for (std::size_t i = 0; i < word.letters.size(); ++i) {
      const char c = word.text[i];
      SCOPED_TRACE(std::string(word.file) + " " + word.text + " letter " + c);
      // Inner columns only: a neighbour's smoothing may reach a shared edge column.
      int top = side, bottom = -1;
      for (int x = word.letters[i].first + 1; x < word.letters[i].second; ++x)
        for (int y = word.capital_top - 2; y <= word.line + 6; ++y)
          if (pixel(image, x, y) != white) top = std::min(top, y), bottom = std::max(bottom, y);
      if (c >= 'A' && c <= 'Z') {
        EXPECT_EQ(top, word.capital_top);
      } else if (c == 'b' || c == 'd') {
        EXPECT_EQ(top, word.ascender_top);
      } else if (c == 't') {  // taller than the short letters, not as tall as the capitals
        EXPECT_LT(top, word.lower_case_top);
        EXPECT_GT(top, word.capital_top);
      } else {
        EXPECT_EQ(top, word.lower_case_top);
      }
      EXPECT_EQ(bottom, c == 'y' ? word.descender_bottom : word.line);
    }
  }
}

// A few pixels read off the drawing steps by hand, with no table shared with the painter
// or with the tests above.
TEST(PicturesByHand, PixelsTheStepsFix) {
  struct Pixel {
    const char* file;
    int x, y;
    std::uint32_t rgb;
  };
  const std::vector<Pixel> pixels{
      {"enzyme.bmp", 0, 0, white},        {"enzyme.bmp", 24, 193, black},      {"enzyme.bmp", 23, 193, white},
      {"enzyme.bmp", 185, 109, black},    {"enzyme.bmp", 131, 109, white},     {"enzyme.bmp", 132, 109, black},
      {"enzyme.bmp", 67, 110, black},     {"enzyme.bmp", 68, 110, white},      {"enzyme.bmp", 90, 151, white},
      {"enzyme.bmp", 91, 151, black},     {"enzyme.bmp", 112, 151, black},     {"enzyme.bmp", 113, 151, white},
      {"enzyme.bmp", 58, 159, white},     {"enzyme.bmp", 57, 159, black},      {"enzyme.bmp", 100, 108, white},
      {"complex.bmp", 25, 42, black},     {"complex.bmp", 26, 43, red},        {"complex.bmp", 85, 108, white},
      {"complex.bmp", 86, 108, red},      {"complex.bmp", 128, 109, white},    {"complex.bmp", 131, 109, white},
      {"complex.bmp", 126, 130, black},   {"complex.bmp", 127, 130, red},      {"complex.bmp", 87, 149, black},
      {"complex.bmp", 87, 150, red},
      {"substrate.bmp", 15, 20, white},   {"substrate.bmp", 12, 50, black},    {"substrate.bmp", 13, 50, red},
      {"substrate.bmp", 14, 50, black},   {"substrate.bmp", 144, 22, black},   {"substrate.bmp", 144, 25, red},
      {"substrate.bmp", 74, 119, black},  {"substrate.bmp", 58, 149, black},   {"substrate.bmp", 110, 153, black},
      {"substrate.bmp", 127, 153, white}, {"substrate.bmp", 128, 120, red},    {"substrate.bmp", 128, 121, white},
      {"product.bmp", 22, 36, 0x8A8F8F},  {"product.bmp", 180, 36, 0x8A8F8F},  {"product.bmp", 24, 36, 0x6B0000},
      {"product.bmp", 73, 82, 0xFF1010},  {"product.bmp", 109, 82, 0xFF4040},  {"product.bmp", 79, 148, 0x6A0000},
      {"product.bmp", 77, 192, 0xD4DDDD}, {"product.bmp", 101, 170, red},      {"product.bmp", 47, 91, white},
  };
  for (const Pixel& p : pixels)
    EXPECT_EQ(pixel(load_picture(p.file), p.x, p.y), p.rgb) << p.file << " " << p.x << "," << p.y;
}

}  // namespace
}  // namespace morvane::test
