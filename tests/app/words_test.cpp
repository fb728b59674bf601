// The program's words on their way from the translators' catalogue to the runtime: the
// catalogue's reading, and the table's bytes written and read back or refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/tools/message_catalogue.h"
#include "formats/words_file.h"

namespace {

using namespace morvane;
using formats::WordEntry;

TEST(MessageCatalogue, ContextIsTheKeyAndAMissingOrFuzzyTranslationFallsBackToEnglish) {
  const char* po = R"(# a comment
msgid ""
msgstr ""
"Language: de\n"

#. for translators
msgctxt "Picture1 name"
msgid "The free enzyme"
msgstr "Das freie Enzym"

msgctxt "Picture2 description"
msgid ""
"Two \"red\" pieces.\n"
"Escape\tcancels."
msgstr ""

#, fuzzy
msgctxt "Command1 name"
msgid "Reset"
msgstr "Zurück"
)";
  const formats::WordsFile words = app::read_catalogue(po, "en");
  EXPECT_EQ(words.language, "de");
  EXPECT_EQ(words.entries, (std::vector<WordEntry>{{"Picture1 name", "Das freie Enzym"},
                                                   {"Picture2 description", "Two \"red\" pieces.\nEscape\tcancels."},
                                                   {"Command1 name", "Reset"}}));
  EXPECT_EQ(formats::decode_words(formats::encode_words(words)), words);
  EXPECT_EQ(app::read_catalogue("msgctxt \"k\"\nmsgid \"x\"\nmsgstr \"\"\n", "en").language, "en");
}

TEST(MessageCatalogue, RefusesWhatTheProgramCannotLookUp) {
  const struct {
    const char* po;
    const char* says;
  } cases[] = {
      {"msgid \"Reset\"\nmsgstr \"\"\n", "line 1: the message \"Reset\" has no msgctxt"},
      {"msgctxt \"a\"\nmsgid \"x\"\nmsgstr \"\"\nmsgctxt \"a\"\nmsgid \"y\"\nmsgstr \"\"\n", "line 4: the msgctxt \"a\" is given twice"},
      {"msgctxt \"a\"\nmsgid \"x\"\nmsgid_plural \"xs\"\n", "line 3: plural forms"},
      {"msgctxt \"a\"\nmsgid \"x\\q\"\n", "line 2: an unknown escape \\q"},
      {"msgctxt \"a\"\nmsgid \"x\n", "line 2: a string not in double quotes"},
      {"msgctxt \"a\"\nmsgid \"x\"y\"\n", "line 2: a double quote inside a string"},
      {"\"stray\"\n", "line 1: a string that continues nothing"},
      {"msgstr \"x\"\n", "line 1: msgstr without msgid"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.po);
    try {
      app::read_catalogue(c.po, "en");
      ADD_FAILURE() << "taken";
    } catch (const app::CatalogueError& e) {
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
  }
}

TEST(WordsTable, RefusesBrokenBytes) {
  const std::vector<std::uint8_t> good = formats::encode_words({"en", {{"a", "A."}, {"b", "B."}}});
  auto with = [&](std::size_t at, std::uint8_t value) {
    auto b = good;
    b[at] = value;
    return b;
  };
  const struct {
    const char* what;
    std::vector<std::uint8_t> bytes;
    const char* says;
  } cases[] = {
      {"a wrong magic", with(0, 'X'), "no \"MWRD\" at offset 0"},
      {"another version", with(4, 2), "a version other than 1 at offset 4"},
      {"cut inside the last text", {good.begin(), good.end() - 1}, "a text runs past the end at offset 26"},
      {"a key's length past the end", with(22, 0x01), "a key runs past the end at offset 23"},
      {"a byte after the last entry", [&] { auto b = good; b.push_back(0); return b; }(), "bytes after the last entry at offset 28"},
      {"more entries than fit", with(10, 0xFF), "more entries than the table can hold at offset 10"},
      {"nothing at all", {}, "shorter than its magic"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      formats::decode_words(c.bytes);
      ADD_FAILURE() << "taken";
    } catch (const formats::WordsError& e) {
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
  }
  EXPECT_THROW(formats::encode_words({"en", {{"a", "A."}, {"a", "B."}}}), formats::WordsError);
}

}  // namespace
