// The program's words as the runtime reads them: a small table from a key (what the
// words are for, e.g. "Picture2 name") to a text in one language, made at build time
// from the translators' message catalogue. Little-endian throughout:
//
//   offset 0  4 bytes  "MWRD"
//   offset 4  u16      version (1)
//   offset 6  u16      length of the language tag, then the tag's UTF-8 bytes ("en")
//             u32      number of entries
//   each entry: u16 key length, the key's UTF-8 bytes, u16 text length, the text's bytes
//
// Entries keep the catalogue's order; keys are unique.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace morvane::formats {

inline constexpr char kWordsMagic[4] = {'M', 'W', 'R', 'D'};
inline constexpr std::uint16_t kWordsVersion = 1;

struct WordEntry {
  std::string key;
  std::string text;
  friend bool operator==(const WordEntry&, const WordEntry&) = default;
};

struct WordsFile {
  std::string language;
  std::vector<WordEntry> entries;
  friend bool operator==(const WordsFile&, const WordsFile&) = default;
};

class WordsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws WordsError for a key or text longer than 65535 bytes, or a repeated key.
std::vector<std::uint8_t> encode_words(const WordsFile& words);
// Throws WordsError, naming the offset, for a wrong magic or version, a field that runs
// past the end, or bytes after the last entry. (A repeated key, which encode_words
// refuses, is not looked for: the first of them would be found.)
WordsFile decode_words(std::span<const std::uint8_t> bytes);

}  // namespace morvane::formats
