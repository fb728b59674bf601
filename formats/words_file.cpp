#include "formats/words_file.h"

#include <algorithm>
#include <set>
#include <string_view>

#include "formats/little_endian.h"

namespace morvane::formats {

namespace {

void append_text(std::vector<std::uint8_t>& out, std::string_view text, std::string_view what) {
  if (text.size() > 0xFFFF) throw WordsError(std::string(what) + " is longer than 65535 bytes");
  append_le16(out, static_cast<std::uint16_t>(text.size()));
  out.insert(out.end(), text.begin(), text.end());
}

[[noreturn]] void fail(std::size_t at, const char* what) {
  throw WordsError("words: " + std::string(what) + " at offset " + std::to_string(at));
}

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::size_t at() const { return at_; }
  std::size_t left() const { return bytes_.size() - at_; }
  void need(std::size_t count, const char* what) const {
    if (count > left()) fail(at_, what);
  }
  std::uint16_t u16(const char* what) {
    need(2, what);
    at_ += 2;
    return le16(bytes_.data() + at_ - 2);
  }
  std::uint32_t u32(const char* what) {
    need(4, what);
    at_ += 4;
    return le32(bytes_.data() + at_ - 4);
  }
  std::string text(const char* what) {
    const std::uint16_t n = u16(what);
    need(n, what);
    at_ += n;
    return std::string(reinterpret_cast<const char*>(bytes_.data() + at_ - n), n);
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

}  // namespace

std::vector<std::uint8_t> encode_words(const WordsFile& words) {
  std::vector<std::uint8_t> out(std::begin(kWordsMagic), std::end(kWordsMagic));
  append_le16(out, kWordsVersion);
  append_text(out, words.language, "the language tag");
  append_le32(out, static_cast<std::uint32_t>(words.entries.size()));
  std::set<std::string_view> keys;
  for (const WordEntry& e : words.entries) {
    if (!keys.insert(e.key).second) throw WordsError("words: the key \"" + e.key + "\" is given twice");
    append_text(out, e.key, "the key \"" + e.key.substr(0, 40) + "\"");
    append_text(out, e.text, "the text of \"" + e.key + "\"");
  }
  return out;
}

WordsFile decode_words(std::span<const std::uint8_t> bytes) {
  Reader r(bytes);
  r.need(6, "a table shorter than its magic and version");
  if (!std::equal(std::begin(kWordsMagic), std::end(kWordsMagic), bytes.begin())) fail(0, "no \"MWRD\"");
  r.u32("the magic");
  if (r.u16("the version") != kWordsVersion) fail(4, "a version other than 1");
  WordsFile out;
  out.language = r.text("the language tag runs past the end");
  const std::uint32_t count = r.u32("the number of entries runs past the end");
  // Each entry takes at least 4 bytes: a count that cannot fit is refused before any allocation.
  if (count > r.left() / 4) fail(r.at() - 4, "more entries than the table can hold");
  out.entries.resize(count);
  for (WordEntry& e : out.entries) {
    e.key = r.text("a key runs past the end");
    e.text = r.text("a text runs past the end");
  }
  if (r.left() != 0) fail(r.at(), "bytes after the last entry");
  return out;
}

}  // namespace morvane::formats
