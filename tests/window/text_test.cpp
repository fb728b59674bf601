// UTF-8 decoding, line breaking and the installed-font rasterizer.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "runtime/core/objects/narrow_text.h"
#include "runtime/core/paint/line_breaks.h"
#include "runtime/text/freetype_text.h"
#include "runtime/text/utf8.h"

namespace morvane::runtime {
namespace {

std::u32string decode(std::string_view s) {
  std::u32string out;
  for (std::size_t pos = 0; pos < s.size();) out += text::next_code_point(s, pos);
  return out;
}

TEST(Utf8, DecodesEveryLengthOfSequence) {
  EXPECT_EQ(decode("Do?"), U"Do?");
  EXPECT_EQ(decode("\xC3\xA9"), U"\u00E9");
  EXPECT_EQ(decode("\xE2\x80\x93"), U"\u2013");
  EXPECT_EQ(decode("\xF0\x9F\x99\x82"), U"\U0001F642");
}

TEST(Utf8, MalformedBytesBecomeReplacementCharactersOneByteAtATime) {
  const char32_t bad = text::kReplacementCharacter;
  EXPECT_EQ(decode("\x80"), std::u32string(1, bad));                  // stray continuation
  EXPECT_EQ(decode("\xFFZ"), (std::u32string{bad, U'Z'}));            // impossible lead
  EXPECT_EQ(decode("a\xE2\x80"), (std::u32string{U'a', bad, bad}));   // cut off at the end
  EXPECT_EQ(decode("\xC0\x80"), (std::u32string{bad, bad}));          // overlong NUL
  EXPECT_EQ(decode("\xED\xA0\x80"), (std::u32string{bad, bad, bad})); // surrogate
  EXPECT_EQ(decode("\xF4\x90\x80\x80"), (std::u32string(4, bad)));    // past U+10FFFF
  EXPECT_EQ(decode("\xC3(x"), (std::u32string{bad, U'(', U'x'}));     // bad continuation
}

TEST(NarrowToUtf8, EachCodePageOfTheCaptionsAndItsUndefinedBytes) {
  struct Row {
    std::string_view bytes;
    std::uint16_t code_page;
    std::string_view utf8;
  };
  const Row rows[] = {
      {"What Do Enzymes Do?", 1252, "What Do Enzymes Do?"},
      {"\xBFQu\xE9?", 1252, "\u00BFQu\u00E9?"},
      {"a\x81z", 1252, "a\uFFFDz"},                           // 0x81 is undefined in 1252
      {"\xD7\xF2\xEE", 1251, "\u0427\u0442\u043E"},           // Что
      {"\xD6\xD0\xCE\xC4", 936, "\u4E2D\u6587"},                     // 中文
      {"\xD6", 936, "\uFFFD"},                                // a lead byte cut off at the end
      {"\xC7\xE1", 1256, "\u0627\u0644"},                     // ال
      {"\xE0\xA4\x8F", 65001, "\u090F"},                      // ए
      {"\xE0\xA4", 65001, "\uFFFD"},
      {"x\xE9", 1, "x\uFFFD"},                                // no such code page: ASCII only
      {"", 1251, ""},
  };
  for (const Row& r : rows) EXPECT_EQ(narrow_to_utf8(r.bytes, r.code_page), r.utf8) << r.code_page << " " << r.bytes;
}

// Every byte 10 pixels wide.
int fixed(std::string_view run) { return static_cast<int>(run.size()) * 10; }

std::vector<std::string> lines(std::string_view text, int width) {
  std::vector<std::string> out;
  for (auto l : break_lines(text, width, fixed)) out.emplace_back(l);
  return out;
}

TEST(BreakLines, KeepsACaptionThatFitsOnOneLine) {
  EXPECT_EQ(lines("What Do Enzymes Do?", 190), (std::vector<std::string>{"What Do Enzymes Do?"}));
  EXPECT_EQ(lines("", 100), (std::vector<std::string>{""}));
}

TEST(BreakLines, BreaksAtSpacesAndDropsTheSpacesAtEachBreak) {
  EXPECT_EQ(lines("What Do Enzymes Do?", 100), (std::vector<std::string>{"What Do", "Enzymes", "Do?"}));
  EXPECT_EQ(lines("ab   cd", 40), (std::vector<std::string>{"ab", "cd"}));
  EXPECT_EQ(lines("  ab cd", 50), (std::vector<std::string>{"  ab", "cd"}));  // leading spaces stay
}

TEST(BreakLines, AWordWiderThanTheLineStandsAlone) {
  EXPECT_EQ(lines("a Enzymes b", 30), (std::vector<std::string>{"a", "Enzymes", "b"}));
}

TEST(BreakLines, LineBreaksAlwaysEndALine) {
  EXPECT_EQ(lines("a\r\nb\nc\rd", 1000), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(lines("a\n\nb", 1000), (std::vector<std::string>{"a", "", "b"}));
}

FontSpec font(std::string name, std::uint32_t size_e4) {
  FontSpec f;
  f.name = std::move(name);
  f.size_e4 = size_e4;
  return f;
}

int ink(const TextMask& m) {
  return static_cast<int>(std::count_if(m.coverage.begin(), m.coverage.end(), [](std::uint8_t a) { return a > 128; }));
}

TEST(FreeTypeText, ComicSansMsOrAComicStandInDrawsTheCaptions) {
  text::FreeTypeTextRasterizer text;
  const FontSpec button = font("Comic Sans MS", 142500);
  const FontSpec label = font("Comic Sans MS", 157500);
  ASSERT_EQ(button.pixel_size(), 19);
  const std::string family = text.face_family(button);
  EXPECT_NE(family.find("Comic"), std::string::npos) << family;

  const int reset = text.measure("Reset", button);
  EXPECT_GT(reset, 20);
  EXPECT_LT(reset, 81 - 4);  // fits inside the button's edges
  EXPECT_LT(text.measure("What Do Enzymes Do?", label), 281);  // one line on the label
  EXPECT_GT(text.metrics(label).line_height(), text.metrics(button).line_height() - 1);
  EXPECT_GE(text.metrics(button).line_height(), 19);

  const TextMask m = text.render("Reset", button);
  EXPECT_EQ(m.height, text.metrics(button).line_height());
  EXPECT_GE(m.left + m.width, reset);
  EXPECT_GT(ink(m), 40);
}

TEST(FreeTypeText, AMissingFamilyFallsBackToAnInstalledFace) {
  text::FreeTypeTextRasterizer text;
  const FontSpec f = font("No Such Face Anywhere", 120000);
  EXPECT_FALSE(text.face_family(f).empty());
  EXPECT_GT(text.measure("Reset", f), 0);
  EXPECT_GT(ink(text.render("Reset", f)), 20);
}

TEST(FreeTypeText, GlyphsAreDrawnOnceAndKept) {
  text::FreeTypeTextRasterizer text;
  const FontSpec f = font("Comic Sans MS", 142500);
  text.render("Reset", f);
  const std::size_t after_first = text.glyphs_drawn();
  EXPECT_EQ(after_first, 4u);  // R, e, s, t
  text.render("Reset", f);
  text.measure("tree", f);
  EXPECT_EQ(text.glyphs_drawn(), after_first + 1);  // only the r is new
}

TEST(FreeTypeText, AScriptTheFormsFaceLacksIsDrawnInItsLanguagesCaptionFace) {
  text::FreeTypeTextRasterizer text;
  const FontSpec russian = [] {
    FontSpec f = font("Comic Sans MS", 120000);
    f.charset = 204;
    return f;
  }();
  FontSpec noto = russian;
  noto.name = "Noto Sans";
  if (text.face_family(noto) != "Noto Sans") GTEST_SKIP() << "Noto Sans is not installed";
  const std::string word = "\u0421\u0431\u0440\u043E\u0441";  // Сброс
  const TextMask drawn = text.render(word, russian);
  EXPECT_EQ(drawn.coverage, text.render(word, noto).coverage);
  EXPECT_EQ(text.measure(word, russian), text.measure(word, noto));
  EXPECT_GT(ink(drawn), 30);
}

TEST(FreeTypeText, ArabicIsShapedIntoJoinedForms) {
  text::FreeTypeTextRasterizer text;
  FontSpec f = font("Noto Sans Arabic", 120000);
  f.charset = 178;
  if (text.face_family(f) != "Noto Sans Arabic") GTEST_SKIP() << "Noto Sans Arabic is not installed";
  // Three joined beh are narrower than three standing alone.
  const int alone = text.measure("\u0628", f);
  EXPECT_LT(text.measure("\u0628\u0628\u0628", f), 3 * alone);
  EXPECT_GT(ink(text.render("\u0628\u0628\u0628", f)), 10);
}

TEST(FreeTypeText, EmptyAndMalformedRunsAreHarmless) {
  text::FreeTypeTextRasterizer text;
  const FontSpec f = font("Comic Sans MS", 142500);
  EXPECT_EQ(text.measure("", f), 0);
  const TextMask empty = text.render("", f);
  EXPECT_EQ(empty.width, 0);
  EXPECT_TRUE(empty.coverage.empty());
  const TextMask bad = text.render("\xFF\xC3", f);
  EXPECT_EQ(static_cast<std::size_t>(bad.width) * static_cast<std::size_t>(bad.height), bad.coverage.size());
  EXPECT_GT(text.measure("\xFF", f), 0);  // shown as a replacement glyph, not dropped
}

}  // namespace
}  // namespace morvane::runtime
