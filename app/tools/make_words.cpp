// make_words CATALOGUE OUTPUT
// Turns a message catalogue (po/morvane.pot, or a language's .po) into the program's
// words table (formats/words_file.h), reads it back as a check, and writes OUTPUT.
#include <cstdio>
#include <exception>
#include <string>

#include "app/tools/file_bytes.h"
#include "app/tools/message_catalogue.h"
#include "formats/words_file.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s CATALOGUE OUTPUT\n", argv[0]);
    return 2;
  }
  try {
    const auto text = morvane::app::tools::read_file(argv[1]);
    morvane::formats::WordsFile words;
    try {
      // A template's messages are the English words.
      words = morvane::app::read_catalogue({reinterpret_cast<const char*>(text.data()), text.size()}, "en");
    } catch (const morvane::app::CatalogueError& e) {
      throw std::runtime_error(std::string(argv[1]) + ": " + e.what());
    }
    const auto bytes = morvane::formats::encode_words(words);
    if (morvane::formats::decode_words(bytes) != words) throw std::runtime_error("the words do not read back as written");
    morvane::app::tools::write_file(argv[2], bytes);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_words: %s\n", e.what());
    return 1;
  }
  return 0;
}
