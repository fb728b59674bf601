// Every language's committed pictures against the English ones: the same headers and
// drawings, and its words only in the words' places, black on white.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "formats/languages.h"
#include "tests/assets/picture_files.h"

namespace morvane::formats {
void PrintTo(const Language& language, std::ostream* out) { *out << language.tag; }
}  // namespace morvane::formats

namespace morvane::test {
namespace {

struct Place {
  int x0, x1, y0, y1;
  bool contains(int x, int y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

constexpr Place enzyme_label{58, 151, 159, 185};

struct PictureWords {
  std::string file;
  std::vector<Place> places;
};

const std::vector<PictureWords> pictures{
    {"enzyme.bmp", {enzyme_label}},
    {"substrate.bmp", {{0, 202, 156, 196}}},  // the band under the pieces, across the picture
    {"product.bmp", {{47, 137, 91, 129}}},
    {"complex.bmp", {{53, 159, 64, 90}, enzyme_label}},
};

std::vector<formats::Language> translations() {
  return {formats::languages.begin() + 1, formats::languages.end()};
}

class LanguagePictures : public testing::TestWithParam<formats::Language> {
 protected:
  static std::string path(const std::string& file) { return std::string(GetParam().tag) + "/" + file; }
};

TEST_P(LanguagePictures, DifferFromEnglishOnlyInsideTheWordPlaces) {
  for (const PictureWords& picture : pictures) {
    SCOPED_TRACE(path(picture.file));
    const std::vector<std::uint8_t> english = read_asset(picture.file);
    const std::vector<std::uint8_t> own = read_asset(path(picture.file));
    ASSERT_EQ(own.size(), english.size());
    EXPECT_TRUE(std::equal(english.begin(), english.begin() + 54, own.begin())) << "the headers differ";
    const runtime::Image english_image = load_picture(picture.file);
    const runtime::Image image = load_picture(path(picture.file));
    int outside = 0;
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        bool in_place = false;
        for (const Place& place : picture.places) in_place = in_place || place.contains(x, y);
        if (!in_place && pixel(image, x, y) != pixel(english_image, x, y)) ++outside;
      }
    }
    EXPECT_EQ(outside, 0) << "pixels changed outside the word places";
  }
}

TEST_P(LanguagePictures, EachWordIsInkOnWhiteInsideItsPlace) {
  for (const PictureWords& picture : pictures) {
    const runtime::Image image = load_picture(path(picture.file));
    for (const Place& place : picture.places) {
      SCOPED_TRACE(path(picture.file) + " place at x " + std::to_string(place.x0) + ", y " + std::to_string(place.y0));
      int ink = 0;
      int foreign = 0;
      for (int y = place.y0; y <= place.y1; ++y) {
        for (int x = place.x0; x <= place.x1; ++x) {
          const std::uint32_t colour = pixel(image, x, y);
          if (colour != 0xFFFFFF) ++ink;
          if (!is_smoothing_colour(colour)) ++foreign;
        }
      }
      EXPECT_GT(ink, 0) << "no word in its place";
      EXPECT_EQ(foreign, 0) << "colours that are not the words' black on white";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryTranslation, LanguagePictures, testing::ValuesIn(translations()),
                         [](const testing::TestParamInfo<formats::Language>& info) {
                           return std::string(info.param.tag);
                         });

}  // namespace
}  // namespace morvane::test
