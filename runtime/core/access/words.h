// The program's words for its accessible tree: names, descriptions and sentences in one
// language, looked up by key. The runtime knows only the keys' grammar, never the words:
//
//   "<control> name"                  the control's accessible name
//   "<control> description"           what it shows and what can be done with it
//   "<source> picked up"              said when the keys pick <source> up (its outline
//                                     starts over its own place)
//   "<source> over <target>"          the outline moved over <target>: a control's name,
//                                     <source> itself for its own place, or the form's
//                                     name for the bare background
//   "<source> put down on <target>"   a drop made with the keys (targets as above)
//   "<source> cancelled"              a drag made with the keys ended without a drop
//   "shows <control> <control> ..."   what the window shows when exactly these of the
//                                     watched controls are visible ("shows" alone: none);
//                                     the watched controls are all those named by a
//                                     "shows" or "... shown" key
//   "<control> shown"                 for a state no "shows" key names: one sentence per
//                                     visible watched control, in the table's order
//   "action <action>"                 an action's label ("action press")
//
// Any other key is the program's own (the page's words, say), found with text().
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/words_file.h"

namespace morvane::runtime::access {

class Words {
 public:
  Words() = default;  // no words: names fall back to captions and control names
  explicit Words(formats::WordsFile file) : file_(std::move(file)) {}
  // Throws formats::WordsError for a malformed table.
  static Words from_bytes(std::span<const std::uint8_t> bytes) { return Words(formats::decode_words(bytes)); }
  // The same, or no words (said on standard error) where the table is broken: a screen
  // reader then hears the captions and control names.
  static Words from_bytes_or_none(std::span<const std::uint8_t> bytes);

  const std::string& language() const { return file_.language; }
  // The text for `key`, or nothing when the table has none.
  std::optional<std::string_view> text(std::string_view key) const;
  std::span<const formats::WordEntry> entries() const { return file_.entries; }

 private:
  formats::WordsFile file_;
};

}  // namespace morvane::runtime::access
