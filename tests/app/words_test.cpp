// The program's words on their way from the translators' catalogue to the runtime: the
// catalogue's reading, and the table's bytes written and read back or refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/tools/fitting_record.h"
#include "app/tools/form1_captions.h"
#include "app/tools/message_catalogue.h"
#include "formats/languages.h"
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
  // The program's table keeps what it looks up and leaves out what only the build reads.
  const formats::WordsFile mixed{"en", {{"Command1 caption", "Reset"}, {"Command1 name", "Reset"},
                                        {"picture word Enzyme", "Enzyme"}, {"desktop name", "x"},
                                        {"language name de", "Deutsch"}, {"page language", "Language"}}};
  EXPECT_EQ(app::run_time_words(mixed).entries,
            (std::vector<WordEntry>{{"Command1 name", "Reset"}, {"page language", "Language"}}));
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

// What the build refuses on its way from a language's catalogue and fitting record to its
// stream: each case one change to a good Russian catalogue or record.
TEST(LanguageCaptions, RefusesACatalogueOrRecordTheStreamCannotBeMadeFrom) {
  const std::string pot =
      "msgctxt \"Form1 caption\"\nmsgid \"What Do Enzymes Do?\"\nmsgstr \"\"\n"
      "msgctxt \"Label1 caption\"\nmsgid \"What Do Enzymes Do?\"\nmsgstr \"\"\n"
      "msgctxt \"Command1 caption\"\nmsgid \"Reset\"\nmsgstr \"\"\n"
      "msgctxt \"picture word Enzyme\"\nmsgid \"Enzyme\"\nmsgstr \"\"\n";
  const auto po_with = [](const std::string& command, const std::string& flag = "") {
    return "msgctxt \"Form1 caption\"\nmsgid \"What Do Enzymes Do?\"\nmsgstr \"Что делают ферменты?\"\n"
           "msgctxt \"Label1 caption\"\nmsgid \"What Do Enzymes Do?\"\nmsgstr \"Что делают ферменты?\"\n" +
           flag + "msgctxt \"Command1 caption\"\nmsgid \"Reset\"\nmsgstr \"" + command + "\"\n" +
           "msgctxt \"picture word Enzyme\"\nmsgid \"Enzyme\"\nmsgstr \"Фермент\"\n";
  };
  const auto record_with = [](int command_pixels, const std::string& command = "Сброс") {
    return "Form1 caption\t-\t-\tЧто делают ферменты?\n"
           "Label1 caption\t21\t21\tЧто делают ферменты?\n"
           "Command1 caption\t" + std::to_string(command_pixels) + "\t19\t" + command + "\n" +
           "picture word Enzyme\t24\t24\tФермент\n";
  };
  const formats::Language russian = *formats::find_language("ru");
  const auto make = [&](const std::string& po, const std::string& record) {
    return app::language_captions(app::read_translation(po, pot, "ru"), app::read_fitting_record(record), russian,
                                  "po/ru.po", "assets/ru/fitting.txt");
  };

  // Sizes down to two thirds of the English 19 pixels (13) are taken, in quarter points.
  const app::Form1Captions taken = make(po_with("Сброс"), record_with(13));
  EXPECT_EQ(taken.command, "\xD1\xE1\xF0\xEE\xF1");
  EXPECT_EQ(taken.charset, 204);
  EXPECT_EQ(taken.command_size_e4, 97500u);
  EXPECT_EQ(taken.label_size_e4, 157500u);

  const struct {
    const char* what;
    std::string po, record;
    const char* says;
  } cases[] = {
      {"a template entry missing", po_with("Сброс").substr(0, po_with("Сброс").find("msgctxt \"picture")),
       record_with(19), "no entry \"picture word Enzyme\" of the template"},
      {"an empty caption", po_with(""), record_with(19), "the translation of \"Command1 caption\" is empty"},
      {"a fuzzy caption", po_with("Сброс", "#, fuzzy\n"), record_with(19),
       "the translation of \"Command1 caption\" is fuzzy"},
      {"a caption below two thirds", po_with("Сброс"), record_with(12),
       "assets/ru/fitting.txt: \"Command1 caption\" is 12 pixels to the em, below two thirds of the English 19"},
      {"a record older than the catalogue", po_with("Сбросить"), record_with(19),
       "\"Command1 caption\" is \"Сброс\" in the record but \"Сбросить\" in the catalogue (run paint_pictures "
       "assets/ru --language ru"},
      {"a record without a caption", po_with("Сброс"), record_with(19).substr(0, record_with(19).find("Command1")),
       "\"Command1 caption\" is not in the record"},
      {"a character the code page lacks", po_with("Сброс ü"), record_with(19, "Сброс ü"),
       "po/ru.po: the translation of \"Command1 caption\": code page 1251 cannot hold U+00FC"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      make(c.po, c.record);
      ADD_FAILURE() << "taken";
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
  }
}

}  // namespace
