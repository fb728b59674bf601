// The picture painter: the committed files come out of it byte for byte, its words stand on
// the rows they must, and its smoothing and file writing hold on their own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "assets/painter/bmp_file.h"
#include "assets/painter/canvas.h"
#include "assets/painter/face_file.h"
#include "assets/painter/language_pictures.h"
#include "assets/painter/outputs.h"
#include "assets/painter/pictures.h"
#include "assets/painter/subpixel.h"
#include "assets/painter/typesetter.h"
#include "formats/languages.h"
#include "runtime/bitmap/bitmap.h"
#include "tests/assets/picture_files.h"

namespace morvane::test {
namespace {

using painter::Box;
using painter::Canvas;
using painter::Typesetter;

class WithFace : public testing::Test {
 protected:
  void SetUp() override {
    const std::optional<std::string> path = painter::find_face_file();
    if (!path) GTEST_SKIP() << "no " << painter::face_family << " face installed";
    typesetter_.emplace(*path);
  }
  std::optional<Typesetter> typesetter_;
};

using PainterRegeneration = WithFace;

TEST_F(PainterRegeneration, RepaintsTheCommittedFilesByteForByte) {
  if (typesetter_->version() != painter::pinned_face_version) {
    GTEST_SKIP() << "the installed face is " << typesetter_->version() << ", the files were painted with "
                 << painter::pinned_face_version;
  }
  const auto outputs = painter::paint_outputs(*typesetter_);
  ASSERT_EQ(outputs.size(), 6u);
  for (const painter::OutputFile& file : outputs) {
    EXPECT_TRUE(file.bytes == read_asset(file.name)) << file.name << " differs from the committed file";
  }
}

// A translator who changes a word and forgets to repaint leaves stale pictures behind.
TEST_F(PainterRegeneration, RepaintsEachLanguageFromItsCatalogue) {
  if (typesetter_->version() != painter::pinned_face_version) GTEST_SKIP() << "another " << painter::face_family;
  std::string missing;
  for (const formats::Language& language : formats::languages) {
    if (language.tag == formats::english.tag) continue;
    SCOPED_TRACE(language.tag);
    std::optional<Typesetter> own_face;
    try {
      own_face = painter::open_language_face(language);
    } catch (const std::runtime_error&) {
      missing += " " + std::string(language.tag);
      continue;
    }
    const std::string catalogue = std::string(MORVANE_ASSETS_DIR) + "/../po/" + std::string(language.tag) + ".po";
    const std::vector<std::uint8_t> text = read_asset("../po/" + std::string(language.tag) + ".po");
    const auto pictures = painter::paint_language(
        *typesetter_, own_face, language,
        painter::picture_words(std::string(text.begin(), text.end()), language.tag, catalogue));
    for (const painter::OutputFile& file : pictures.files) {
      EXPECT_TRUE(file.bytes == read_asset(std::string(language.tag) + "/" + file.name))
          << file.name << " is not what its catalogue's words paint: paint_pictures assets/" << language.tag
          << " --language " << language.tag;
    }
    // The sizes the build takes its captions at, measured in the caption face.
    if (!std::filesystem::is_regular_file(std::string(language.caption_face.path))) {
      missing += " " + std::string(language.tag);
      continue;
    }
    const std::string record = app::write_fitting_record(
        painter::fit_language(language, std::string(text.begin(), text.end()), catalogue, pictures.words),
        language.tag);
    const std::vector<std::uint8_t> committed = read_asset(std::string(language.tag) + "/fitting.txt");
    EXPECT_EQ(record, std::string(committed.begin(), committed.end()))
        << "fitting.txt is not what its catalogue's captions fit at: paint_pictures assets/" << language.tag
        << " --language " << language.tag;
  }
  if (!missing.empty()) GTEST_SKIP() << "faces not installed for" << missing << " (tools/setup.sh pictures)";
}

// The rows each word's letters must stand on, counted from the top of the picture.
struct WordRows {
  const char* text;
  int size;
  Box ink;
  int capital_top;
  int lower_case_top;
  int line_bottom;
  int ascender_top;     // 0: not fixed
  int descender_bottom; // 0: not fixed
};

const WordRows word_rows[] = {
    {"Enzyme", 24, {58, 135, 164, 184}, 164, 169, 179, 0, 184},
    {"Substrate", 24, {54, 141, 68, 84}, 69, 74, 84, 68, 0},
    {"Substrate", 16, {18, 74, 163, 173}, 163, 167, 173, 0, 0},
    {"Product", 28, {47, 134, 97, 116}, 98, 104, 116, 97, 0},
};

using WordPlacement = WithFace;

TEST_F(WordPlacement, EveryLetterStandsOnItsRows) {
  for (const WordRows& want : word_rows) {
    const painter::PaintedWord* painted = nullptr;
    for (const auto& word : painter::painted_words()) {
      if (word.setting.text == want.text && word.setting.pixels_per_em_x == want.size) painted = &word;
    }
    ASSERT_NE(painted, nullptr) << want.text << " at " << want.size;
    SCOPED_TRACE(std::string(want.text) + " at " + std::to_string(want.size));
    Canvas canvas(painter::picture_size, painter::picture_size, painter::white);
    const painter::SetWord set = typesetter_->set(canvas, painted->setting);
    EXPECT_EQ(set.ink, want.ink);
    ASSERT_EQ(set.glyphs.size(), std::string(want.text).size());
    for (const painter::GlyphInk& glyph : set.glyphs) {
      const std::string letter(1, glyph.character);
      const char c = glyph.character;
      if (c >= 'A' && c <= 'Z') {
        EXPECT_EQ(glyph.ink.y0, want.capital_top) << letter;
        EXPECT_EQ(glyph.ink.y1, want.line_bottom) << letter;
      } else if (std::string("bdhkl").find(c) != std::string::npos) {
        if (want.ascender_top != 0) {
          EXPECT_EQ(glyph.ink.y0, want.ascender_top) << letter;
        }
        EXPECT_EQ(glyph.ink.y1, want.line_bottom) << letter;
      } else if (std::string("gjpqy").find(c) != std::string::npos) {
        EXPECT_EQ(glyph.ink.y0, want.lower_case_top) << letter;
        if (want.descender_bottom != 0) {
          EXPECT_EQ(glyph.ink.y1, want.descender_bottom) << letter;
        }
      } else if (c == 't') {  // taller than the short letters, not as tall as the capitals
        EXPECT_LT(glyph.ink.y0, want.lower_case_top) << letter;
        EXPECT_GT(glyph.ink.y0, want.capital_top - 1) << letter;
        EXPECT_EQ(glyph.ink.y1, want.line_bottom) << letter;
      } else {
        EXPECT_EQ(glyph.ink.y0, want.lower_case_top) << letter;
        EXPECT_EQ(glyph.ink.y1, want.line_bottom) << letter;
      }
    }
  }
}

TEST_F(WordPlacement, RefusesToSetOverAnythingButWhite) {
  Canvas canvas(painter::picture_size, painter::picture_size, painter::white);
  canvas.fill({60, 60, 170, 170}, painter::red);  // inside the "E" of "Enzyme"
  EXPECT_THROW(typesetter_->set(canvas, painter::painted_words()[0].setting), std::logic_error);
}

TEST_F(WordPlacement, RefusesAWordThatLeavesTheCanvas) {
  Canvas canvas(60, 40, painter::white);
  EXPECT_THROW(typesetter_->set(canvas, painter::painted_words()[0].setting), std::out_of_range);
}

// Translations in the English face: the size each takes in its place, 0 where it is refused.
struct Fitting {
  std::size_t word;  // in painted_words()
  const char* text;
  int size;
};

const Fitting fittings[] = {
    {0, "Enzym", 24},                   // fits at the English size
    {3, "Producto", 24},                // too wide at 28: the largest size that fits
    {0, "Enzymsubstrat", 16},           // two thirds of 24 is the last size tried
    {0, "Enzymsubstratkomplex", 0},     // too wide even then
    {2, "Substrat Substrat Substrat Substrat Substrat Substrat", 0},
};

TEST_F(WordPlacement, TranslationsTakeTheLargestSizeThatFitsCentredInTheirPlace) {
  for (const Fitting& want : fittings) {
    SCOPED_TRACE(want.text);
    const painter::PaintedWord& english = painter::painted_words().at(want.word);
    std::vector<std::string> texts;
    for (const auto& word : painter::painted_words()) texts.push_back(word.setting.text);
    texts.at(want.word) = want.text;
    painter::WordSetter words(*typesetter_, {"de", &*typesetter_, true, texts});
    Canvas canvas(painter::picture_size, painter::picture_size, painter::white);
    if (want.size == 0) {
      try {
        words.set(canvas, "test.bmp", english);
        ADD_FAILURE() << "set a word that does not fit";
      } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("does not fit"), std::string::npos) << error.what();
      }
      continue;
    }
    words.set(canvas, "test.bmp", english);
    const painter::WordReport& report = words.reports().at(0);
    EXPECT_EQ(report.pixels_per_em, want.size);
    const Box& ink = report.ink;
    const Box& place = english.place;
    EXPECT_TRUE(place.contains(ink.x0, ink.y0) && place.contains(ink.x1, ink.y1));
    EXPECT_LE(std::abs((ink.x0 - place.x0) - (place.x1 - ink.x1)), 1) << "not centred";
  }
}

TEST_F(WordPlacement, AWordThatIsTheEnglishOneIsDrawnAsInEnglish) {
  std::vector<std::string> texts;
  for (const auto& word : painter::painted_words()) texts.push_back(word.setting.text);
  painter::WordSetter same(*typesetter_, {"fr", &*typesetter_, true, texts});
  painter::WordSetter english(*typesetter_, {"en", nullptr, true, {}});
  const auto own = painter::paint_picture_files(same);
  const auto reference = painter::paint_picture_files(english);
  for (std::size_t i = 0; i < own.size(); ++i) EXPECT_TRUE(own[i].bytes == reference[i].bytes) << own[i].name;
}

// A mask with the samples [first, last) set in row 0.
painter::SampleMask stroke(int width, int first, int last) {
  painter::SampleMask mask(width, 1);
  for (int s = first; s < last; ++s) mask.set(s, 0);
  return mask;
}

TEST(SubpixelSmoothing, StripesCountTheirWindowOfSixSamples) {
  // A stroke covering exactly pixels 2 and 3: its neighbours take one stripe's tint each.
  const painter::SampleMask mask = stroke(6, 12, 24);
  EXPECT_EQ(painter::smoothed_pixel(mask, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(painter::smoothed_pixel(mask, 1, 0), 0xFFFFBFu);  // blue window holds 2 set samples
  EXPECT_EQ(painter::smoothed_pixel(mask, 2, 0), 0x740000u);  // red sees 4 set, green and blue 6
  EXPECT_EQ(painter::smoothed_pixel(mask, 3, 0), 0x000074u);
  EXPECT_EQ(painter::smoothed_pixel(mask, 4, 0), 0xBFFFFFu);
  EXPECT_EQ(painter::smoothed_pixel(mask, 5, 0), 0xFFFFFFu);
}

TEST(SubpixelSmoothing, EveryCountHasItsLevel) {
  // A stroke starting at sample 6*2 + k: the red stripe of pixel 2 sees 4 - k of its window.
  const std::uint8_t want[] = {0x74, 0x9C, 0xBF, 0xDF, 0xFF};
  for (int k = 0; k <= 4; ++k) {
    const painter::SampleMask mask = stroke(6, 12 + k, 36);
    EXPECT_EQ(painter::smoothed_pixel(mask, 2, 0) >> 16, want[k]) << k;
  }
  EXPECT_EQ(painter::smoothed_pixel(stroke(6, 0, 36), 3, 0), 0x000000u);
  // One sample (the second of pixel 2's blue stripe) darkens the three stripes whose windows hold it.
  EXPECT_EQ(painter::smoothed_pixel(stroke(6, 17, 18), 2, 0), 0xFFDFDFu);
  EXPECT_EQ(painter::smoothed_pixel(stroke(6, 17, 18), 3, 0), 0xDFFFFFu);
}

TEST(SubpixelSmoothing, SamplesOutsideTheMaskCountAsUnset) {
  // A mask full of ink still fades at its edges: the windows there reach past it.
  const painter::SampleMask mask = stroke(2, 0, 12);
  EXPECT_EQ(painter::smoothed_pixel(mask, 0, 0), 0x740000u);
  EXPECT_EQ(painter::smoothed_pixel(mask, 1, 0), 0x000074u);
  EXPECT_EQ(painter::smoothed_pixel(mask, 2, 0), 0xBFFFFFu);  // beside the mask
  EXPECT_THROW(painter::SampleMask(2, 1).set(12, 0), std::out_of_range);
}

TEST(BitmapWriting, DecodesBackToTheCanvasAtEveryRowPadding) {
  for (const int width : {1, 2, 3, 4, 5, 203}) {
    Canvas canvas(width, 3, painter::white);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < width; ++x) canvas.set(x, y, static_cast<painter::Rgb>((x * 7919 + y * 104729) & 0xFFFFFF));
    }
    const std::vector<std::uint8_t> file = painter::encode_bmp24(canvas);
    EXPECT_EQ(file.size(), 54 + static_cast<std::size_t>((width * 3 + 3) / 4 * 4) * 3);
    const runtime::Image image = runtime::decode_bmp(file);
    ASSERT_EQ(image.width, width);
    ASSERT_EQ(image.height, 3);
    EXPECT_EQ(image.pixels, canvas.pixels()) << width;
  }
}

TEST(CanvasFill, RefusesBoxesOffTheCanvas) {
  Canvas canvas(10, 10, painter::white);
  EXPECT_THROW(canvas.fill({5, 10, 0, 0}, painter::black), std::out_of_range);
  EXPECT_THROW(canvas.fill({-1, 3, 0, 0}, painter::black), std::out_of_range);
  EXPECT_THROW(canvas.fill({3, 2, 0, 0}, painter::black), std::invalid_argument);
  canvas.fill({0, 9, 9, 9}, painter::black);
  EXPECT_EQ(canvas.at(9, 9), painter::black);
  EXPECT_EQ(canvas.at(9, 8), painter::white);
}

}  // namespace
}  // namespace morvane::test
