// make_desktop_entry TEMPLATE OUTPUT CATALOGUE...
// The menu entry with each language's name and comment: after the template's Name= and
// Comment= lines, a Name[xx]= and Comment[xx]= line for each catalogue (po/<xx>.po) from
// its "desktop name" and "desktop comment" messages. A catalogue whose message is not
// translated (the English text) adds no line. The English lines stay as they are.
#include <cstdio>
#include <exception>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "app/tools/file_bytes.h"
#include "app/tools/message_catalogue.h"
#include "formats/words_file.h"

namespace {

using morvane::formats::WordsFile;

std::string as_text(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

const std::string* find(const WordsFile& words, std::string_view key) {
  for (const auto& e : words.entries)
    if (e.key == key) return &e.text;
  return nullptr;
}

// A desktop entry's value is one line: a line break in a translation would end it.
std::string one_line(const std::string& text) {
  if (text.find_first_of("\r\n") != std::string::npos) throw std::runtime_error("a menu entry's text holds a line break");
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s TEMPLATE OUTPUT CATALOGUE...\n", argv[0]);
    return 2;
  }
  try {
    std::vector<WordsFile> languages;
    for (int i = 3; i < argc; ++i) {
      const std::string text = as_text(morvane::app::tools::read_file(argv[i]));
      try {
        languages.push_back(morvane::app::read_catalogue(text, ""));
      } catch (const morvane::app::CatalogueError& e) {
        throw std::runtime_error(std::string(argv[i]) + ": " + e.what());
      }
      if (languages.back().language.empty()) throw std::runtime_error(std::string(argv[i]) + " names no language");
    }
    std::istringstream in(as_text(morvane::app::tools::read_file(argv[1])));
    std::string out;
    bool seen_name = false;
    bool seen_comment = false;
    for (std::string line; std::getline(in, line);) {
      out += line + "\n";
      for (const auto& [prefix, key, seen] : {std::tuple{"Name=", "desktop name", &seen_name},
                                              std::tuple{"Comment=", "desktop comment", &seen_comment}}) {
        if (line.rfind(prefix, 0) != 0) continue;
        *seen = true;
        const std::string english = line.substr(std::string_view(prefix).size());
        const std::string field(prefix, std::string_view(prefix).size() - 1);
        for (const WordsFile& words : languages) {
          const std::string* text = find(words, key);
          if (!text) throw std::runtime_error("the catalogue of " + words.language + " has no \"" + key + "\"");
          if (*text != english) out += field + "[" + words.language + "]=" + one_line(*text) + "\n";
        }
      }
    }
    if (!seen_name || !seen_comment) throw std::runtime_error(std::string(argv[1]) + " has no Name= or Comment= line");
    morvane::app::tools::write_file(argv[2], std::string_view(out));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_desktop_entry: %s\n", e.what());
    return 1;
  }
  return 0;
}
