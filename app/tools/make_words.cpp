// make_words CATALOGUE OUTPUT [--template POT]
// Turns a message catalogue (po/morvane.pot, or a language's .po) into the program's
// words table (formats/words_file.h), reads it back as a check, and writes OUTPUT. With
// the template, the catalogue is a language's and must be whole: every message of the
// template translated, none fuzzy. The table leaves out the words that only the build
// reads (run_time_words).
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <utility>

#include "app/tools/file_bytes.h"
#include "app/tools/message_catalogue.h"
#include "formats/words_file.h"

int main(int argc, char** argv) {
  const bool translation = argc == 5 && std::string(argv[3]) == "--template";
  if (argc != 3 && !translation) {
    std::fprintf(stderr, "usage: %s CATALOGUE OUTPUT [--template POT]\n", argv[0]);
    return 2;
  }
  try {
    const auto text = morvane::app::tools::read_file(argv[1]);
    morvane::formats::WordsFile words;
    try {
      const std::string_view catalogue(reinterpret_cast<const char*>(text.data()), text.size());
      if (translation) {
        const auto template_text = morvane::app::tools::read_file(argv[4]);
        words = morvane::app::read_translation(
            catalogue, {reinterpret_cast<const char*>(template_text.data()), template_text.size()},
            std::filesystem::path(argv[1]).stem().string());
      } else {
        // A template's messages are the English words.
        words = morvane::app::read_catalogue(catalogue, "en");
      }
    } catch (const morvane::app::CatalogueError& e) {
      throw std::runtime_error(std::string(argv[1]) + ": " + e.what());
    }
    words = morvane::app::run_time_words(std::move(words));
    const auto bytes = morvane::formats::encode_words(words);
    if (morvane::formats::decode_words(bytes) != words) throw std::runtime_error("the words do not read back as written");
    morvane::app::tools::write_file(argv[2], bytes);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_words: %s\n", e.what());
    return 1;
  }
  return 0;
}
