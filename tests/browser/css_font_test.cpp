#include "runtime/backends/browser/css_font.h"

#include <gtest/gtest.h>

namespace morvane::runtime {
namespace {

FontSpec font(std::string name, std::uint32_t size_e4) {
  FontSpec f;
  f.name = std::move(name);
  f.size_e4 = size_e4;
  return f;
}

TEST(CssFont, TheComicFaceAtItsPixelSizeWithComicStandIns) {
  EXPECT_EQ(css_font(font("Comic Sans MS", 157500)), "400 21px \"Comic Sans MS\", \"Comic Neue\", \"Comic Relief\", sans-serif");
  EXPECT_EQ(css_font(font("Comic Sans MS", 142500)), "400 19px \"Comic Sans MS\", \"Comic Neue\", \"Comic Relief\", sans-serif");
  EXPECT_EQ(css_font(font("COMIC SANS MS", 142500)), "400 19px \"COMIC SANS MS\", \"Comic Neue\", \"Comic Relief\", sans-serif");
}

TEST(CssFont, OtherFacesFallBackToSansSerifOnly) {
  FontSpec f = font("MS Sans Serif", 82500);
  f.weight = 700;
  f.italic = true;
  EXPECT_EQ(css_font(f), "italic 700 11px \"MS Sans Serif\", sans-serif");
}

TEST(CssFont, ANameCannotBreakOutOfItsQuotes) {
  EXPECT_EQ(css_font(font("Evil\", serif; x\\\"", 120000)), "400 16px \"Evil, serif; x\", sans-serif");
  EXPECT_EQ(css_font(font(std::string("A\nB\x7f", 4), 120000)), "400 16px \"AB\", sans-serif");
  EXPECT_EQ(css_font(font("", 120000)), "400 16px sans-serif");
  EXPECT_EQ(css_font(font("\"\"", 120000)), "400 16px sans-serif");
}

TEST(CssFont, WeightAndSizeStayWithinWhatCssTakes) {
  FontSpec f = font("Arial", 0);
  f.weight = 0;
  EXPECT_EQ(css_font(f), "1 1px \"Arial\", sans-serif");
  f.weight = 5000;
  EXPECT_EQ(css_font(f), "1000 1px \"Arial\", sans-serif");
}

}  // namespace
}  // namespace morvane::runtime
