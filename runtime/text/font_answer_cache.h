// What the font locator found in an earlier run, kept in a small file in the user's
// cache folder, so that a later start can open its faces without loading fontconfig's
// configuration (a few milliseconds). Every answer is kept with stamps (path, size,
// modification time) of the files it rests on: the fonts it names, fontconfig's
// configuration files and the font folders it reads. A file whose header, checksum or
// any stamp does not hold is not used at all; the locator then asks fontconfig afresh
// and writes the file again. A file that cannot be written only costs that speed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "runtime/text/font_locator.h"

namespace morvane::runtime::text {

// One file's state as seen by stat(): size -1 when the path does not exist.
struct FileStamp {
  std::string path;
  std::int64_t size = -1;
  std::int64_t mtime_ns = 0;

  static FileStamp of(const std::string& path);
  bool operator==(const FileStamp&) const = default;
};

// A question put to the locator: family, weight, italic, exact family.
using FontQuestion = std::tuple<std::string, int, bool, bool>;

struct FontAnswers {
  std::map<FontQuestion, std::optional<FontFile>> answers;
  std::vector<FileStamp> stamps;  // what the answers rest on, besides the font files they name
};

// The file's text for `answers`, with a stamp of each font file named (taken now).
std::string write_font_answers(const FontAnswers& answers);

// The answers in `text`, if it is whole (header and checksum) and every stamp in it
// still matches the file system; nullopt otherwise.
std::optional<FontAnswers> read_font_answers(std::string_view text);

// $XDG_CACHE_HOME/morvane/fonts, or ~/.cache/morvane/fonts; empty when neither is set.
std::filesystem::path default_font_cache_file();

// Reads `file` (nullopt when missing, unreadable or not valid, see read_font_answers).
std::optional<FontAnswers> load_font_answers(const std::filesystem::path& file);

// Writes `file` whole or not at all (a temporary file renamed over it), making its
// folder first; false when that was not possible.
bool save_font_answers(const std::filesystem::path& file, const FontAnswers& answers);

}  // namespace morvane::runtime::text
