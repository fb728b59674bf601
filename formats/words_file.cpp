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

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::size_t at() const { return at_; }
  bool done() const { return at_ == bytes_.size(); }
  void need(std::size_t count, std::string_view what) const {
    if (count > bytes_.size() - at_)
      throw WordsError("words: " + std::string(what) + " (" + std::to_string(count) + " bytes) at offset " +
                       std::to_string(at_) + " runs past the end of the " + std::to_string(bytes_.size()) +
                       "-byte table");
  }
  std::uint16_t u16(std::string_view what) {
    need(2, what);
    const std::uint16_t v = le16(bytes_.data() + at_);
    at_ += 2;
    return v;
  }
  std::uint32_t u32(std::string_view what) {
    need(4, what);
    const std::uint32_t v = le32(bytes_.data() + at_);
    at_ += 4;
    return v;
  }
  std::string text(std::string_view what) {
    const std::uint16_t n = u16(what);
    need(n, what);
    std::string s(reinterpret_cast<const char*>(bytes_.data() + at_), n);
    at_ += n;
    return s;
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
  r.need(4, "the magic \"MWRD\"");
  if (!std::equal(std::begin(kWordsMagic), std::end(kWordsMagic), bytes.begin()))
    throw WordsError("words: no \"MWRD\" at offset 0");
  r.u32("the magic");
  if (const std::uint16_t version = r.u16("the version"); version != kWordsVersion)
    throw WordsError("words: version " + std::to_string(version) + " at offset 4, this program reads version " +
                     std::to_string(kWordsVersion));
  WordsFile out;
  out.language = r.text("the language tag");
  const std::uint32_t count = r.u32("the number of entries");
  // Each entry takes at least 4 bytes: a count that cannot fit is refused before any allocation.
  if (count > (bytes.size() - r.at()) / 4)
    throw WordsError("words: " + std::to_string(count) + " entries cannot fit in the " +
                     std::to_string(bytes.size() - r.at()) + " bytes after offset " + std::to_string(r.at()));
  out.entries.reserve(count);
  std::set<std::string> keys;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t at = r.at();
    WordEntry e;
    e.key = r.text("a key");
    e.text = r.text("the text of \"" + e.key + "\"");
    if (!keys.insert(e.key).second)
      throw WordsError("words: the key \"" + e.key + "\" at offset " + std::to_string(at) + " is given twice");
    out.entries.push_back(std::move(e));
  }
  if (!r.done()) throw WordsError("words: " + std::to_string(bytes.size() - r.at()) + " bytes after the last entry");
  return out;
}

}  // namespace morvane::formats
